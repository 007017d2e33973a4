#pragma once

// The newline-delimited JSON frames of the control socket, as the application sees them.
//
// A request is one compact JSON object on one line: {"id","cmd","args"[,"token"]}. The
// daemon answers with lines that carry the request's id: a unary reply
// {"id","ok":true,"data":...} or {"id","ok":false,"error":"..."}; a stream sends event lines
// {"id","ok":true,...} until {"id","done":true} or a failure line.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include <nlohmann/json.hpp>

namespace vesket::control_plane {

struct RequestFrame {
  std::string id;
  std::string cmd;
  nlohmann::json args = nlohmann::json::object();  // always an object; {} when empty
  std::optional<std::string> token;                // the key is left out when absent

  // One compact line, without the terminating line feed.
  std::string encode() const;
};

// The first, lenient reading of every received line: every key optional, wrong types read
// as absent, unknown keys ignored.
struct FrameHead {
  std::optional<std::string> id;
  std::optional<bool> ok;
  std::optional<bool> done;
  std::optional<std::string> error;

  // Nothing when the line is not a JSON object.
  static std::optional<FrameHead> decode(std::string_view line);
  // The same for a line already parsed.
  static std::optional<FrameHead> fromJson(const nlohmann::json& json);
};

// The line that stops a stream: exactly {"id":...,"cmd":"cancel"}.
std::string encodeCancelLine(const std::string& id);

// What one received line means for a unary request with the given id.
struct ReplyData {
  nlohmann::json data;  // the envelope's `data`; null when the key is missing
  bool hasData = false;
};
struct ReplyFailure {
  std::string message;  // the reply's `error`, or "unknown error"
};
using ReplyOutcome = std::variant<ReplyData, ReplyFailure>;

// Nothing for lines that are not the request's reply (undecodable, no id, another id).
std::optional<ReplyOutcome> matchReply(std::string_view line, const std::string& requestId);

// Decodes the `data` of a success reply into T with T::fromJson (or the JSON itself when T is
// nlohmann::json). A mismatch throws ControlPlaneError::protocolError with the decoding
// error's description.
template <typename T>
T decodeReplyData(const ReplyData& reply);

// What one received line means for a stream with the given id.
struct StreamIgnore {};
struct StreamDone {};
struct StreamEvent {};
struct StreamFailure {
  std::string message;  // the line's `error`, or "stream error"
};
using StreamLine = std::variant<StreamIgnore, StreamDone, StreamEvent, StreamFailure>;

StreamLine classifyStreamLine(std::string_view line, const std::string& streamId);

// The longest socket path the platform's socket address can hold, in bytes.
inline constexpr std::size_t kMaxSocketPathBytes = 103;

// The reason given when a socket path is too long, or nothing when it fits.
std::optional<std::string> socketPathTooLongReason(const std::string& path);

// The control socket under a product home.
std::string socketPathForHome(const std::string& home);

// The product home the environment names (VesketIdentity::productHome).
std::string defaultHome(const std::function<std::optional<std::string>(const char*)>& getenv,
                        const std::string& userHome);

// The control socket the environment names: VESKET_HOME, else DURNVALE_HOME, else
// ~/.vesket, followed by "/daemon/control.sock". `getenv` returns nothing for unset variables.
std::string defaultSocketPath(const std::function<std::optional<std::string>(const char*)>& getenv,
                              const std::string& userHome);

}  // namespace vesket::control_plane

#include "control_plane/core/frames_impl.h"
