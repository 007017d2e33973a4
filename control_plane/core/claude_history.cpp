#include "control_plane/core/claude_history.h"

#include "control_plane/core/json_codec.h"

namespace vesket::control_plane {

namespace {

using json_codec::field;

constexpr auto kCursor = json_codec::record<ClaudeHistoryCursor>(
    "ClaudeHistoryCursor",
    field("sessionId", &ClaudeHistoryCursor::sessionId),
    field("offset", &ClaudeHistoryCursor::offset));

constexpr auto kEntry = json_codec::record<ClaudeHistoryEntry>(
    "ClaudeHistoryEntry",
    field("eventId", &ClaudeHistoryEntry::eventId),
    field("cursor", &ClaudeHistoryEntry::cursor),
    field("kind", &ClaudeHistoryEntry::kind),
    field("lines", &ClaudeHistoryEntry::lines),
    field("boundary", &ClaudeHistoryEntry::boundary));

constexpr auto kSegment = json_codec::record<ClaudeHistorySegment>(
    "ClaudeHistorySegment",
    field("segmentId", &ClaudeHistorySegment::segmentId),
    field("sessionId", &ClaudeHistorySegment::sessionId),
    field("boundary", &ClaudeHistorySegment::boundary),
    field("entries", &ClaudeHistorySegment::entries));

constexpr auto kSnapshot = json_codec::record<ClaudeHistorySnapshot>(
    "ClaudeHistorySnapshot",
    field("width", &ClaudeHistorySnapshot::width),
    field("segments", &ClaudeHistorySnapshot::segments),
    field("historyEnd", &ClaudeHistorySnapshot::historyEnd),
    field("liveStart", &ClaudeHistorySnapshot::liveStart),
    field("fallback", &ClaudeHistorySnapshot::fallback));

constexpr auto kLiveFrame = json_codec::record<ClaudeHistoryLiveFrame>(
    "ClaudeHistoryLiveFrame",
    field("eventId", &ClaudeHistoryLiveFrame::eventId),
    field("cursor", &ClaudeHistoryLiveFrame::cursor),
    field("kind", &ClaudeHistoryLiveFrame::kind),
    field("text", &ClaudeHistoryLiveFrame::text),
    field("boundary", &ClaudeHistoryLiveFrame::boundary),
    field("sequence", &ClaudeHistoryLiveFrame::sequence),
    field("lines", &ClaudeHistoryLiveFrame::lines));

constexpr auto kBatch = json_codec::record<ClaudeHistoryBatch>(
    "ClaudeHistoryBatch",
    field("mode", &ClaudeHistoryBatch::mode),
    field("width", &ClaudeHistoryBatch::width),
    field("history", &ClaudeHistoryBatch::history),
    field("liveFrames", &ClaudeHistoryBatch::liveFrames));

constexpr auto kStreamEvent = json_codec::record<ClaudeHistoryStreamEvent>(
    "ClaudeHistoryStreamEvent",
    field("type", &ClaudeHistoryStreamEvent::type),
    field("paneId", &ClaudeHistoryStreamEvent::paneId),
    field("batch", &ClaudeHistoryStreamEvent::batch),
    field("frame", &ClaudeHistoryStreamEvent::frame),
    field("reason", &ClaudeHistoryStreamEvent::reason));

}  // namespace

ClaudeHistoryCursor ClaudeHistoryCursor::fromJson(const nlohmann::json& json) { return kCursor.decode(json); }
nlohmann::json ClaudeHistoryCursor::toJson() const { return kCursor.encode(*this); }

ClaudeHistoryEntry ClaudeHistoryEntry::fromJson(const nlohmann::json& json) { return kEntry.decode(json); }
nlohmann::json ClaudeHistoryEntry::toJson() const { return kEntry.encode(*this); }

ClaudeHistorySegment ClaudeHistorySegment::fromJson(const nlohmann::json& json) { return kSegment.decode(json); }
nlohmann::json ClaudeHistorySegment::toJson() const { return kSegment.encode(*this); }

ClaudeHistorySnapshot ClaudeHistorySnapshot::fromJson(const nlohmann::json& json) {
  return kSnapshot.decode(json);
}
nlohmann::json ClaudeHistorySnapshot::toJson() const { return kSnapshot.encode(*this); }

ClaudeHistoryLiveFrame ClaudeHistoryLiveFrame::fromJson(const nlohmann::json& json) {
  return kLiveFrame.decode(json);
}
nlohmann::json ClaudeHistoryLiveFrame::toJson() const { return kLiveFrame.encode(*this); }

ClaudeHistoryBatch ClaudeHistoryBatch::fromJson(const nlohmann::json& json) { return kBatch.decode(json); }
nlohmann::json ClaudeHistoryBatch::toJson() const { return kBatch.encode(*this); }

ClaudeHistoryStreamEvent ClaudeHistoryStreamEvent::fromJson(const nlohmann::json& json) {
  return kStreamEvent.decode(json);
}
nlohmann::json ClaudeHistoryStreamEvent::toJson() const { return kStreamEvent.encode(*this); }

ClaudeHistoryStreamEvent ClaudeHistoryStreamEvent::fromLine(std::string_view line) {
  const auto json = nlohmann::json::parse(line.begin(), line.end(), nullptr, false);
  if (json.is_discarded()) throw DecodingError("claude-history line is not valid JSON");
  return fromJson(json);
}

}  // namespace vesket::control_plane
