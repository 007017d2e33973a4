#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace vesket::daemon {

// Encodes the lines the daemon writes, each a compact JSON object ending in one line feed.
// Text that is not valid UTF-8 (pane output can hold anything) is replaced by U+FFFD rather
// than failing the reply.
struct ReplyLine {
  // {"id", "ok": true, "data"}: a unary success.
  static std::string data(const std::string& id, const nlohmann::json& data);
  // {"id", "ok": false, "error"}: a failure; an absent id is written as null.
  static std::string failure(const std::optional<std::string>& id, const std::string& error);
  // {"id", "ok": true, "event"}: one event of a stream.
  static std::string event(const std::string& id, const nlohmann::json& event);
  // {"id", "done": true}: the stream ended normally.
  static std::string done(const std::string& id);

  // Compact, UTF-8-safe encoding of any value (no trailing line feed).
  static std::string encode(const nlohmann::json& value);
};

}  // namespace vesket::daemon
