#include "inbox/core/task_records.h"

#include "control_plane/core/json_codec.h"

namespace vesket::inbox {

namespace codec = control_plane::json_codec;

namespace {

constexpr auto kRollup = codec::record<RelayTaskRollup>("RelayTaskRollup",
                                                        codec::field("status", &RelayTaskRollup::status),
                                                        codec::field("done", &RelayTaskRollup::done),
                                                        codec::field("total", &RelayTaskRollup::total));
constexpr auto kTask = codec::record<RelayTaskItem>(
    "RelayTaskItem", codec::field("id", &RelayTaskItem::id), codec::field("title", &RelayTaskItem::title),
    codec::field("agentTeam", &RelayTaskItem::agentTeam), codec::field("status", &RelayTaskItem::status),
    codec::field("priority", &RelayTaskItem::priority), codec::field("taskType", &RelayTaskItem::taskType),
    codec::field("result", &RelayTaskItem::result), codec::field("note", &RelayTaskItem::note),
    codec::field("createdAt", &RelayTaskItem::createdAt), codec::field("updatedAt", &RelayTaskItem::updatedAt),
    codec::field("parentId", &RelayTaskItem::parentId), codec::field("rollup", &RelayTaskItem::rollup),
    codec::field("workingPane", &RelayTaskItem::workingPane), codec::field("images", &RelayTaskItem::images));
constexpr auto kMeta = codec::record<RelayTaskFeedMeta>("RelayTaskFeedMeta",
                                                        codec::field("total", &RelayTaskFeedMeta::total),
                                                        codec::field("limit", &RelayTaskFeedMeta::limit),
                                                        codec::field("truncated", &RelayTaskFeedMeta::truncated));
constexpr auto kEnvelope = codec::record<RelayTasksEnvelope>("RelayTasksEnvelope",
                                                             codec::field("tasks", &RelayTasksEnvelope::tasks),
                                                             codec::field("meta", &RelayTasksEnvelope::meta));
constexpr auto kEvent = codec::record<RelayTaskEvent>(
    "RelayTaskEvent", codec::field("id", &RelayTaskEvent::id), codec::field("taskId", &RelayTaskEvent::taskId),
    codec::field("type", &RelayTaskEvent::type), codec::field("actor", &RelayTaskEvent::actor),
    codec::field("body", &RelayTaskEvent::body), codec::field("createdAt", &RelayTaskEvent::createdAt));
constexpr auto kEvents = codec::record<RelayTaskEventsEnvelope>(
    "RelayTaskEventsEnvelope", codec::field("events", &RelayTaskEventsEnvelope::events));
constexpr auto kDetail = codec::record<RelayTaskDetail>("RelayTaskDetail", codec::field("task", &RelayTaskDetail::task),
                                                        codec::defaulted("children", &RelayTaskDetail::children));
constexpr auto kImage = codec::record<RelayImageAttachment>("RelayImageAttachment",
                                                            codec::field("base64", &RelayImageAttachment::base64),
                                                            codec::field("ext", &RelayImageAttachment::ext));

}  // namespace

bool RelayTaskStatus::isKnown(std::string_view status) {
  return status == newTask || status == inProgress || status == workerDone || status == verified || status == needsFix;
}

RelayTaskRollup RelayTaskRollup::fromJson(const nlohmann::json& json) { return kRollup.decode(json); }
nlohmann::json RelayTaskRollup::toJson() const { return kRollup.encode(*this); }
RelayTaskItem RelayTaskItem::fromJson(const nlohmann::json& json) { return kTask.decode(json); }
nlohmann::json RelayTaskItem::toJson() const { return kTask.encode(*this); }
RelayTaskFeedMeta RelayTaskFeedMeta::fromJson(const nlohmann::json& json) { return kMeta.decode(json); }
nlohmann::json RelayTaskFeedMeta::toJson() const { return kMeta.encode(*this); }
RelayTasksEnvelope RelayTasksEnvelope::fromJson(const nlohmann::json& json) { return kEnvelope.decode(json); }
nlohmann::json RelayTasksEnvelope::toJson() const { return kEnvelope.encode(*this); }
RelayTaskEvent RelayTaskEvent::fromJson(const nlohmann::json& json) { return kEvent.decode(json); }
nlohmann::json RelayTaskEvent::toJson() const { return kEvent.encode(*this); }
RelayTaskEventsEnvelope RelayTaskEventsEnvelope::fromJson(const nlohmann::json& json) { return kEvents.decode(json); }
nlohmann::json RelayTaskEventsEnvelope::toJson() const { return kEvents.encode(*this); }
RelayTaskDetail RelayTaskDetail::fromJson(const nlohmann::json& json) { return kDetail.decode(json); }
nlohmann::json RelayTaskDetail::toJson() const { return kDetail.encode(*this); }
RelayImageAttachment RelayImageAttachment::fromJson(const nlohmann::json& json) { return kImage.decode(json); }
nlohmann::json RelayImageAttachment::toJson() const { return kImage.encode(*this); }

}  // namespace vesket::inbox
