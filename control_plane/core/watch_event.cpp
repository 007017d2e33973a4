#include "control_plane/core/watch_event.h"

#include "control_plane/core/json_codec.h"

namespace vesket::control_plane {

namespace {

using json_codec::field;

constexpr auto kWatchEventPayload = json_codec::record<WatchEventPayload>(
    "WatchEventPayload",
    field("type", &WatchEventPayload::type),
    field("panes", &WatchEventPayload::panes));

// The envelope of an event line: {"event": payload}.
struct WatchEnvelope {
  WatchEventPayload event;
};

constexpr auto kWatchEnvelope =
    json_codec::record<WatchEnvelope>("EventEnvelope", field("event", &WatchEnvelope::event));

}  // namespace

WatchEventPayload WatchEventPayload::fromJson(const nlohmann::json& json) {
  return kWatchEventPayload.decode(json);
}
nlohmann::json WatchEventPayload::toJson() const { return kWatchEventPayload.encode(*this); }

WatchEvent WatchEvent::fromPayload(WatchEventPayload payload) {
  if (payload.type == "snapshot" && payload.panes) return snapshot(std::move(*payload.panes));
  return unknown(std::move(payload.type));
}

WatchEvent WatchEvent::fromLine(std::string_view line) {
  const auto json = nlohmann::json::parse(line.begin(), line.end(), nullptr, false);
  if (json.is_discarded()) throw DecodingError("watch line is not valid JSON");
  return fromPayload(kWatchEnvelope.decode(json).event);
}

}  // namespace vesket::control_plane
