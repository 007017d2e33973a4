#include "control_plane/core/attach_line.h"

#include "control_plane/core/base64.h"
#include "control_plane/core/control_plane_errors.h"
#include "control_plane/core/decoding_error.h"
#include "control_plane/core/frames.h"
#include "control_plane/core/json_codec.h"

namespace vesket::control_plane {

namespace {

// The `event` of an output line: the output bytes in standard Base64.
struct AttachEvent {
  std::string data;

  static AttachEvent fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
};

struct AttachEnvelope {
  AttachEvent event;
};

constexpr auto kAttachEvent = json_codec::record<AttachEvent>(
    "TerminalAttachEvent", json_codec::field("data", &AttachEvent::data));
constexpr auto kAttachEnvelope = json_codec::record<AttachEnvelope>(
    "EventEnvelope", json_codec::field("event", &AttachEnvelope::event));

AttachEvent AttachEvent::fromJson(const nlohmann::json& json) { return kAttachEvent.decode(json); }
nlohmann::json AttachEvent::toJson() const { return kAttachEvent.encode(*this); }

}  // namespace

AttachLine classifyAttachLine(std::string_view line, const std::string& attachId) {
  const auto json = nlohmann::json::parse(line.begin(), line.end(), nullptr, false);
  const auto head = FrameHead::fromJson(json);
  if (!head) return AttachIgnore{};

  if (!head->id || *head->id != attachId) {
    // A reply to an input frame (or a line without an id): only a refusal matters.
    if (head->ok.value_or(true)) return AttachIgnore{};
    return AttachFailure{AttachFailure::Kind::requestFailed,
                         head->error.value_or("terminal input rejected; reattach required")};
  }
  if (head->done.value_or(false)) return AttachDone{};
  if (!head->ok) return AttachIgnore{};
  if (!*head->ok) {
    return AttachFailure{AttachFailure::Kind::requestFailed, head->error.value_or("terminal-attach failed")};
  }
  std::string data;
  try {
    data = kAttachEnvelope.decode(json).event.data;
  } catch (const DecodingError& error) {
    return AttachFailure{AttachFailure::Kind::protocolError, error.what()};
  }
  auto bytes = Base64::tryDecode(data);
  if (!bytes) {
    // Invalid Base64 is itself a protocol error; like an undecodable envelope, the session
    // fails with a protocol error carrying its description (so the prefix appears twice).
    const auto underlying = ControlPlaneError::protocolError("terminal-attach: event.data not valid base64");
    return AttachFailure{AttachFailure::Kind::protocolError, underlying.description()};
  }
  return AttachOutput{std::move(*bytes)};
}

}  // namespace vesket::control_plane
