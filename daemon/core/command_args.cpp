#include "daemon/core/command_args.h"

#include <cmath>

#include <fmt/format.h>

#include "daemon/core/command_error.h"

namespace vesket::daemon {

bool isPaneId(const std::string& text) {
  if (text.size() < 2 || text.size() > 12 || text[0] != '%') return false;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

CommandArgs::CommandArgs(std::string cmd, const nlohmann::json& args)
    : m_cmd(std::move(cmd)), m_args(args) {}

void CommandArgs::fail(const std::string& what) const {
  throw CommandError(fmt::format("{}: {}", m_cmd, what));
}

const nlohmann::json* CommandArgs::find(const std::string& key) const {
  if (!m_args.is_object()) return nullptr;
  const auto it = m_args.find(key);
  if (it == m_args.end() || it->is_null()) return nullptr;
  return &*it;
}

bool CommandArgs::has(const std::string& key) const { return find(key) != nullptr; }

std::string CommandArgs::requireString(const std::string& key) const {
  auto value = optionalString(key);
  if (!value) fail(fmt::format("missing argument '{}'", key));
  return *value;
}

std::optional<std::string> CommandArgs::optionalString(const std::string& key) const {
  const nlohmann::json* value = find(key);
  if (value == nullptr) return std::nullopt;
  if (!value->is_string()) fail(fmt::format("argument '{}' must be a string", key));
  // Text ends at a NUL wherever it goes (tmux, file names, panes): refused rather than cut.
  const auto& text = value->get_ref<const std::string&>();
  if (text.find('\0') != std::string::npos) fail(fmt::format("argument '{}' must not contain NUL characters", key));
  return text;
}

std::int64_t CommandArgs::integerValue(const std::string& key, const nlohmann::json& value,
                                       std::int64_t min, std::int64_t max) const {
  if (!value.is_number()) fail(fmt::format("argument '{}' must be a number", key));
  const double number = value.get<double>();
  if (!std::isfinite(number) || std::floor(number) != number) {
    fail(fmt::format("argument '{}' must be a whole number", key));
  }
  if (number < static_cast<double>(min) || number > static_cast<double>(max)) {
    fail(fmt::format("argument '{}' must be between {} and {}", key, min, max));
  }
  return static_cast<std::int64_t>(number);
}

std::int64_t CommandArgs::requireInteger(const std::string& key, std::int64_t min,
                                         std::int64_t max) const {
  const nlohmann::json* value = find(key);
  if (value == nullptr) fail(fmt::format("missing argument '{}'", key));
  return integerValue(key, *value, min, max);
}

std::optional<std::int64_t> CommandArgs::optionalInteger(const std::string& key, std::int64_t min,
                                                         std::int64_t max) const {
  const nlohmann::json* value = find(key);
  if (value == nullptr) return std::nullopt;
  return integerValue(key, *value, min, max);
}

std::optional<std::vector<std::int64_t>> CommandArgs::optionalIntegerArray(
    const std::string& key, std::int64_t min, std::int64_t max) const {
  const nlohmann::json* value = find(key);
  if (value == nullptr) return std::nullopt;
  if (!value->is_array()) fail(fmt::format("argument '{}' must be an array of numbers", key));
  std::vector<std::int64_t> result;
  result.reserve(value->size());
  for (const auto& element : *value) result.push_back(integerValue(key, element, min, max));
  return result;
}

std::optional<bool> CommandArgs::optionalBool(const std::string& key) const {
  const nlohmann::json* value = find(key);
  if (value == nullptr) return std::nullopt;
  if (!value->is_boolean()) fail(fmt::format("argument '{}' must be true or false", key));
  return value->get<bool>();
}

std::vector<nlohmann::json> CommandArgs::requireObjectArray(const std::string& key) const {
  const nlohmann::json* value = find(key);
  if (value == nullptr) fail(fmt::format("missing argument '{}'", key));
  if (!value->is_array()) fail(fmt::format("argument '{}' must be an array", key));
  std::vector<nlohmann::json> result;
  for (const auto& element : *value) {
    if (!element.is_object()) fail(fmt::format("argument '{}' must hold objects", key));
    result.push_back(element);
  }
  return result;
}

std::string CommandArgs::requirePaneId() const {
  auto paneId = optionalPaneId();
  if (!paneId) fail("missing argument 'paneId'");
  return *paneId;
}

std::optional<std::string> CommandArgs::optionalPaneId() const {
  auto paneId = optionalString("paneId");
  if (paneId && !isPaneId(*paneId)) {
    fail(fmt::format("argument 'paneId' must be a tmux pane id such as %1, not '{}'", *paneId));
  }
  return paneId;
}

}  // namespace vesket::daemon
