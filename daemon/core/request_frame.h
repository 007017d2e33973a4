#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include <nlohmann/json.hpp>

namespace vesket::daemon {

// One request line from a client: {"id", "cmd", "args", "token"}.
struct RequestFrame {
  std::string id;
  std::string cmd;
  nlohmann::json args = nlohmann::json::object();  // always an object
  std::optional<std::string> token;

  bool operator==(const RequestFrame&) const = default;
};

// A line that is not a usable request. `id` is the request's id when one could be read;
// otherwise the failure reply carries `"id": null`, because a client cannot match it to a
// request anyway and a null id is still an honest answer on the wire.
struct RequestRejection {
  std::optional<std::string> id;
  std::string error;

  bool operator==(const RequestRejection&) const = default;
};

// Reads one line strictly: a JSON object with a non-empty string `id` and a non-empty
// string `cmd`; `args` absent or null reads as {}, otherwise it must be an object; `token`
// absent or null reads as none, otherwise it must be a string. Never throws.
std::variant<RequestFrame, RequestRejection> parseRequestFrame(std::string_view line);

}  // namespace vesket::daemon
