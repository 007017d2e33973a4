#pragma once

// What one line received on a terminal-attach connection means for the session.
//
// The attach connection carries the session's output events ({"id": attachId, "ok": true,
// "event": {"data": Base64}}), its end ({"id": attachId, "done": true}), its refusal, and
// the replies to the input frames written on the same connection. Replies to input are
// ignored unless they report a failure: a rejected input means the session must be
// reattached.

#include <string>
#include <string_view>
#include <variant>

namespace vesket::control_plane {

struct AttachIgnore {};
struct AttachDone {};
// An output event: the pane's bytes, decoded from the event's Base64 `data`.
struct AttachOutput {
  std::string bytes;
};
// The session fails with ControlPlaneError::requestFailed(message) or, for an undecodable
// event, ControlPlaneError::protocolError(message).
struct AttachFailure {
  enum class Kind { requestFailed, protocolError };
  Kind kind = Kind::requestFailed;
  std::string message;
};

using AttachLine = std::variant<AttachIgnore, AttachDone, AttachOutput, AttachFailure>;

AttachLine classifyAttachLine(std::string_view line, const std::string& attachId);

}  // namespace vesket::control_plane
