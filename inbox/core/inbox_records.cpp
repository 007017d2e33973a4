#include "inbox/core/inbox_records.h"

#include <fmt/format.h>

#include <array>

#include "control_plane/core/json_codec.h"

namespace vesket::inbox {

namespace codec = control_plane::json_codec;

namespace {

constexpr auto kThread = codec::record<InboxThread>(
    "InboxThread", codec::field("agentSlug", &InboxThread::agentSlug),
    codec::field("agentDisplay", &InboxThread::agentDisplay), codec::field("agentColor", &InboxThread::agentColor),
    codec::field("lastPreview", &InboxThread::lastPreview), codec::field("lastAtMs", &InboxThread::lastAtMs),
    codec::field("unreadCount", &InboxThread::unreadCount), codec::field("paneId", &InboxThread::paneId),
    codec::field("paneLabel", &InboxThread::paneLabel), codec::field("ended", &InboxThread::ended),
    codec::field("endedAtMs", &InboxThread::endedAtMs), codec::field("waitingCount", &InboxThread::waitingCount),
    codec::field("decisionCount", &InboxThread::decisionCount));

constexpr auto kSection = codec::record<PayloadSection>("PayloadSection",
                                                        codec::field("heading", &PayloadSection::heading),
                                                        codec::field("content", &PayloadSection::content));
constexpr auto kOption = codec::record<DecisionOption>("Option", codec::field("k", &DecisionOption::k),
                                                       codec::field("label", &DecisionOption::label),
                                                       codec::field("why", &DecisionOption::why));
constexpr auto kAnswer = codec::record<DecisionAnswer>(
    "Answer", codec::field("k", &DecisionAnswer::k), codec::field("via", &DecisionAnswer::via),
    codec::field("atMs", &DecisionAnswer::atMs), codec::field("device", &DecisionAnswer::device));
constexpr auto kDecision = codec::record<Decision>(
    "Decision", codec::field("key", &Decision::key), codec::field("question", &Decision::question),
    codec::field("options", &Decision::options), codec::field("recommended", &Decision::recommended),
    codec::field("state", &Decision::state), codec::field("answer", &Decision::answer),
    codec::field("deadline", &Decision::deadline), codec::field("withdrawnWhy", &Decision::withdrawnWhy),
    codec::field("taskId", &Decision::taskId));
constexpr auto kRelease = codec::record<Release>("Release", codec::field("platform", &Release::platform),
                                                 codec::field("version", &Release::version),
                                                 codec::field("build", &Release::build),
                                                 codec::field("state", &Release::state));
constexpr auto kFact = codec::record<Fact>("Fact", codec::field("label", &Fact::label),
                                           codec::field("value", &Fact::value), codec::field("tone", &Fact::tone),
                                           codec::field("link", &Fact::link));
constexpr auto kArtifact = codec::record<Artifact>("Artifact", codec::field("label", &Artifact::label),
                                                   codec::field("ref", &Artifact::ref),
                                                   codec::field("href", &Artifact::href),
                                                   codec::field("kind", &Artifact::kind));
constexpr auto kPayload = codec::record<InboxPayload>(
    "InboxPayload", codec::field("summary", &InboxPayload::summary),
    codec::field("sections", &InboxPayload::sections), codec::field("footnote", &InboxPayload::footnote),
    codec::field("re", &InboxPayload::re), codec::field("card", &InboxPayload::card),
    codec::field("decision", &InboxPayload::decision), codec::field("release", &InboxPayload::release),
    codec::field("facts", &InboxPayload::facts), codec::field("artifacts", &InboxPayload::artifacts),
    codec::field("dedupKey", &InboxPayload::dedupKey));
constexpr auto kInboxAnswer = codec::record<InboxAnswer>("InboxAnswer", codec::field("state", &InboxAnswer::state),
                                                         codec::defaulted("cardIds", &InboxAnswer::cardIds));
constexpr auto kMessage = codec::record<InboxMessage>(
    "InboxMessage", codec::field("id", &InboxMessage::id), codec::field("title", &InboxMessage::title),
    codec::field("body", &InboxMessage::body), codec::field("kind", &InboxMessage::kind),
    codec::field("payload", &InboxMessage::payload), codec::field("createdAtMs", &InboxMessage::createdAtMs),
    codec::field("direction", &InboxMessage::direction), codec::field("agentSlug", &InboxMessage::agentSlug),
    codec::field("agentDisplay", &InboxMessage::agentDisplay), codec::field("agentColor", &InboxMessage::agentColor),
    codec::defaulted("isFailed", &InboxMessage::isFailed), codec::field("answer", &InboxMessage::answer));
constexpr auto kReply =
    codec::record<InboxReplyResponse>("InboxReplyResponse", codec::field("message", &InboxReplyResponse::message));
constexpr auto kFile = codec::record<FileNotificationPayload>(
    "FileNotificationPayload", codec::field("token", &FileNotificationPayload::token),
    codec::field("filename", &FileNotificationPayload::filename), codec::field("size", &FileNotificationPayload::size),
    codec::field("mimeType", &FileNotificationPayload::mimeType));
constexpr auto kNotification = codec::record<PlatformNotification>(
    "PlatformNotification", codec::field("id", &PlatformNotification::id),
    codec::field("title", &PlatformNotification::title), codec::field("body", &PlatformNotification::body),
    codec::field("kind", &PlatformNotification::kind), codec::field("createdAtMs", &PlatformNotification::createdAtMs),
    codec::defaulted("read", &PlatformNotification::read));

}  // namespace

bool MessageKind::isKnown(std::string_view kind) { return kind == message || kind == report; }

bool DecisionState::isKnown(std::string_view state) { return state == open || state == decided || state == withdrawn; }

InboxThread InboxThread::fromJson(const nlohmann::json& json) { return kThread.decode(json); }
nlohmann::json InboxThread::toJson() const { return kThread.encode(*this); }
PayloadSection PayloadSection::fromJson(const nlohmann::json& json) { return kSection.decode(json); }
nlohmann::json PayloadSection::toJson() const { return kSection.encode(*this); }
DecisionOption DecisionOption::fromJson(const nlohmann::json& json) { return kOption.decode(json); }
nlohmann::json DecisionOption::toJson() const { return kOption.encode(*this); }
DecisionAnswer DecisionAnswer::fromJson(const nlohmann::json& json) { return kAnswer.decode(json); }
nlohmann::json DecisionAnswer::toJson() const { return kAnswer.encode(*this); }
Decision Decision::fromJson(const nlohmann::json& json) { return kDecision.decode(json); }
nlohmann::json Decision::toJson() const { return kDecision.encode(*this); }
Release Release::fromJson(const nlohmann::json& json) { return kRelease.decode(json); }
nlohmann::json Release::toJson() const { return kRelease.encode(*this); }
Fact Fact::fromJson(const nlohmann::json& json) { return kFact.decode(json); }
nlohmann::json Fact::toJson() const { return kFact.encode(*this); }
Artifact Artifact::fromJson(const nlohmann::json& json) { return kArtifact.decode(json); }
nlohmann::json Artifact::toJson() const { return kArtifact.encode(*this); }
InboxPayload InboxPayload::fromJson(const nlohmann::json& json) { return kPayload.decode(json); }
nlohmann::json InboxPayload::toJson() const { return kPayload.encode(*this); }
InboxAnswer InboxAnswer::fromJson(const nlohmann::json& json) { return kInboxAnswer.decode(json); }
nlohmann::json InboxAnswer::toJson() const { return kInboxAnswer.encode(*this); }
InboxMessage InboxMessage::fromJson(const nlohmann::json& json) { return kMessage.decode(json); }
nlohmann::json InboxMessage::toJson() const { return kMessage.encode(*this); }
InboxReplyResponse InboxReplyResponse::fromJson(const nlohmann::json& json) { return kReply.decode(json); }
nlohmann::json InboxReplyResponse::toJson() const { return kReply.encode(*this); }
FileNotificationPayload FileNotificationPayload::fromJson(const nlohmann::json& json) { return kFile.decode(json); }
nlohmann::json FileNotificationPayload::toJson() const { return kFile.encode(*this); }

const DecisionOption* Decision::option(std::string_view k) const {
  for (const DecisionOption& candidate : options) {
    if (candidate.k == k) return &candidate;
  }
  return nullptr;
}

PlatformNotification PlatformNotification::fromJson(const nlohmann::json& json) {
  PlatformNotification notification = kNotification.decode(json);
  const auto payload = json.find("payload");
  if (payload == json.end() || !payload->is_object()) return notification;
  // A payload is a file when it has the file's keys; otherwise only its pane is read.
  constexpr std::array kFileKeys{"token", "filename", "size", "mimeType"};
  bool isFile = true;
  for (const char* key : kFileKeys) isFile = isFile && payload->contains(key);
  try {
    if (isFile) notification.file = FileNotificationPayload::fromJson(*payload);
    if (const auto pane = payload->find("paneId"); pane != payload->end() && pane->is_string()) {
      notification.paneId = pane->get<std::string>();
    }
    if (const auto label = payload->find("paneLabel"); label != payload->end() && label->is_string()) {
      notification.paneLabel = label->get<std::string>();
    }
  } catch (const control_plane::DecodingError&) {
    codec::detail::rethrowAtKey("PlatformNotification", "payload");
  }
  return notification;
}

nlohmann::json PlatformNotification::toJson() const {
  nlohmann::json json = kNotification.encode(*this);
  nlohmann::json payload = file ? file->toJson() : nlohmann::json::object();
  if (paneId) payload["paneId"] = *paneId;
  if (paneLabel) payload["paneLabel"] = *paneLabel;
  if (!payload.empty()) json["payload"] = std::move(payload);
  return json;
}

std::vector<PlatformNotification> decodeNotificationsEnvelope(const nlohmann::json& json) {
  if (!json.is_object()) codec::detail::failType(json, "object", "NotificationsEnvelope");
  const auto list = json.find("notifications");
  if (list == json.end()) codec::detail::failMissing("NotificationsEnvelope", "notifications");
  return codec::decode<std::vector<PlatformNotification>>(*list, "NotificationsEnvelope.notifications");
}

std::vector<InboxThread> decodeThreads(const nlohmann::json& json) {
  return codec::decode<std::vector<InboxThread>>(json, "threads");
}

std::vector<InboxMessage> decodeMessages(const nlohmann::json& json) {
  return codec::decode<std::vector<InboxMessage>>(json, "messages");
}

std::string formatMessageId(double id) { return fmt::format("{:.0f}", id); }

}  // namespace vesket::inbox
