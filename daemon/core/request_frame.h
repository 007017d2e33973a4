#pragma once

#include <cstddef>
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

// What the daemon reads of a line before it builds anything from it: who asks (`id`), for
// what (`cmd`) and with which token. Checking the token needs nothing more, so a client
// without the token never makes the daemon build its arguments.
struct RequestHead {
  std::string id;
  std::string cmd;
  std::optional<std::string> token;

  bool operator==(const RequestHead&) const = default;
};

// A line that is not a usable request. `id` is the request's id when one could be read;
// otherwise the failure reply carries `"id": null`, because a client cannot match it to a
// request anyway and a null id is still an honest answer on the wire.
struct RequestRejection {
  std::optional<std::string> id;
  std::string error;

  bool operator==(const RequestRejection&) const = default;
};

// Bounds a request line must keep. Checked while the line is only scanned, so a line past
// them costs a pass over its bytes and no memory: a deeply nested line would otherwise
// cost the daemon its stack when the value is copied or written out, and a line of many
// small values (an 8 MiB line of "[" is four million arrays) hundreds of megabytes.
struct RequestLimits {
  std::size_t maxDepth = 32;        // nesting of objects and arrays, the frame's own included
  std::size_t maxValues = 100000;   // values of any kind in the line
};

// Reads one line strictly: valid UTF-8, a JSON object within `limits`, with a non-empty
// string `id` and a non-empty string `cmd`; `args` absent or null reads as {}, otherwise it
// must be an object; `token` absent or null reads as none, otherwise it must be a string.
// Scans without building a value. Never throws.
std::variant<RequestHead, RequestRejection> readRequestHead(std::string_view line,
                                                            const RequestLimits& limits = {});

// Builds the whole frame of a line whose head was read (`args` included). Never throws.
RequestFrame completeRequestFrame(RequestHead head, std::string_view line);

// readRequestHead and completeRequestFrame in one.
std::variant<RequestFrame, RequestRejection> parseRequestFrame(std::string_view line,
                                                               const RequestLimits& limits = {});

}  // namespace vesket::daemon
