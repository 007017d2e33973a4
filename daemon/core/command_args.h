#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace vesket::daemon {

// Typed, checked access to a request's `args`. Every accessor throws CommandError with a
// message naming the command and the argument ("send: argument 'text' must be a string"),
// so a handler can read its arguments in a few lines and a client always learns what was
// wrong. Optional arguments read absent when missing or null. No string holds a NUL.
class CommandArgs {
 public:
  CommandArgs(std::string cmd, const nlohmann::json& args);

  const std::string& cmd() const { return m_cmd; }
  bool has(const std::string& key) const;

  std::string requireString(const std::string& key) const;
  std::optional<std::string> optionalString(const std::string& key) const;

  // A JSON number with an integral value inside [min, max] (clients send integers as floats).
  std::int64_t requireInteger(const std::string& key, std::int64_t min, std::int64_t max) const;
  std::optional<std::int64_t> optionalInteger(const std::string& key, std::int64_t min,
                                              std::int64_t max) const;
  std::optional<std::vector<std::int64_t>> optionalIntegerArray(const std::string& key,
                                                                std::int64_t min,
                                                                std::int64_t max) const;
  std::optional<bool> optionalBool(const std::string& key) const;

  // An array of objects; the element checks are the caller's.
  std::vector<nlohmann::json> requireObjectArray(const std::string& key) const;

  // `paneId` as tmux writes it: "%" followed by decimal digits.
  std::string requirePaneId() const;
  std::optional<std::string> optionalPaneId() const;

  [[noreturn]] void fail(const std::string& what) const;

 private:
  const nlohmann::json* find(const std::string& key) const;  // null when missing or JSON null
  std::int64_t integerValue(const std::string& key, const nlohmann::json& value, std::int64_t min,
                            std::int64_t max) const;

  std::string m_cmd;
  const nlohmann::json& m_args;
};

// Whether the text is a tmux pane id ("%12").
bool isPaneId(const std::string& text);

}  // namespace vesket::daemon
