#pragma once

// The inbox as the relay returns it: threads (one conversation with one agent), messages
// with their structured payloads (decision questions, progress reports, release notes),
// the answer state of the user's outgoing messages, platform notifications and the files
// they carry. Decoded strictly by field name (optional fields may be absent or null); the
// relay validates what agents post with the same records.
//
// Enumerated values (a message's kind, a decision's state, ...) stay text as on the wire;
// the constants below name the values this side knows.

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::inbox {

namespace MessageKind {
inline constexpr std::string_view message = "message";
inline constexpr std::string_view report = "report";
bool isKnown(std::string_view kind);
}  // namespace MessageKind

namespace MessageDirection {
inline constexpr std::string_view in = "in";    // agent to user
inline constexpr std::string_view out = "out";  // user to agent
}  // namespace MessageDirection

namespace DecisionState {
inline constexpr std::string_view open = "open";
inline constexpr std::string_view decided = "decided";
inline constexpr std::string_view withdrawn = "withdrawn";
bool isKnown(std::string_view state);
}  // namespace DecisionState

struct InboxThread {
  std::string agentSlug;
  std::string agentDisplay;
  std::optional<std::string> agentColor;
  std::string lastPreview;
  double lastAtMs = 0;
  std::int64_t unreadCount = 0;
  std::optional<std::string> paneId;
  std::optional<std::string> paneLabel;
  std::optional<bool> ended;
  std::optional<double> endedAtMs;
  std::optional<std::int64_t> waitingCount;
  std::optional<std::int64_t> decisionCount;

  static InboxThread fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const InboxThread&, const InboxThread&) = default;
};

struct PayloadSection {
  std::optional<std::string> heading;
  std::optional<std::string> content;
  static PayloadSection fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const PayloadSection&, const PayloadSection&) = default;
};

struct DecisionOption {
  std::string k;
  std::string label;
  std::optional<std::string> why;
  static DecisionOption fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const DecisionOption&, const DecisionOption&) = default;
};

struct DecisionAnswer {
  std::string k;
  std::optional<std::string> via;
  std::optional<double> atMs;
  std::optional<std::string> device;
  static DecisionAnswer fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const DecisionAnswer&, const DecisionAnswer&) = default;
};

struct Decision {
  std::optional<std::string> key;
  std::string question;
  std::vector<DecisionOption> options;
  std::optional<std::string> recommended;
  std::string state{DecisionState::open};
  std::optional<DecisionAnswer> answer;
  std::optional<std::string> deadline;
  std::optional<std::string> withdrawnWhy;
  std::optional<std::string> taskId;

  const DecisionOption* option(std::string_view k) const;
  static Decision fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const Decision&, const Decision&) = default;
};

struct Release {
  std::string platform;
  std::string version;
  std::string build;
  std::string state;
  static Release fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const Release&, const Release&) = default;
};

struct Fact {
  std::string label;
  std::string value;
  std::optional<std::string> tone;  // "ok", "warn", "err", "info"
  std::optional<std::string> link;
  static Fact fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const Fact&, const Fact&) = default;
};

struct Artifact {
  std::string label;
  std::string ref;
  std::optional<std::string> href;
  std::optional<std::string> kind;  // "path", "commit", "release", "task", "link"
  static Artifact fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const Artifact&, const Artifact&) = default;
};

struct InboxPayload {
  std::optional<std::string> summary;
  std::optional<std::vector<PayloadSection>> sections;
  std::optional<std::string> footnote;
  std::optional<double> re;  // the id of the message this one answers
  std::optional<std::string> card;  // "decision", "progress", "release"
  std::optional<Decision> decision;
  std::optional<Release> release;
  std::optional<std::vector<Fact>> facts;
  std::optional<std::vector<Artifact>> artifacts;
  std::optional<std::string> dedupKey;
  static InboxPayload fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const InboxPayload&, const InboxPayload&) = default;
};

// How the agent handled one of the user's outgoing messages.
struct InboxAnswer {
  std::string state;  // pending, working, answered, seen, declined, failed, waitingOnYou, noAnswer, notDelivered
  std::vector<double> cardIds;
  static InboxAnswer fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const InboxAnswer&, const InboxAnswer&) = default;
};

struct InboxMessage {
  double id = 0;
  std::optional<std::string> title;
  std::string body;
  std::string kind{MessageKind::message};
  std::optional<InboxPayload> payload;
  double createdAtMs = 0;
  std::string direction{MessageDirection::in};
  std::optional<std::string> agentSlug;
  std::optional<std::string> agentDisplay;
  std::optional<std::string> agentColor;
  bool isFailed = false;
  std::optional<InboxAnswer> answer;

  // The decision the message carries, if any.
  const Decision* decision() const { return payload && payload->decision ? &*payload->decision : nullptr; }
  bool hasOpenDecision() const { return decision() && decision()->state == DecisionState::open; }

  static InboxMessage fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const InboxMessage&, const InboxMessage&) = default;
};

struct InboxReplyResponse {
  InboxMessage message;
  static InboxReplyResponse fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
};

struct FileNotificationPayload {
  std::string token;
  std::string filename;
  std::int64_t size = 0;
  std::string mimeType;
  static FileNotificationPayload fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const FileNotificationPayload&, const FileNotificationPayload&) = default;
};

struct PlatformNotification {
  std::string id;
  std::string title;
  std::string body;
  std::string kind;
  double createdAtMs = 0;
  bool read = false;
  // From the object "payload": a shared file (when it has the file's keys) and the pane.
  std::optional<FileNotificationPayload> file;
  std::optional<std::string> paneId;
  std::optional<std::string> paneLabel;

  static PlatformNotification fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const PlatformNotification&, const PlatformNotification&) = default;
};

// The lists of GET /api/inbox/threads and .../messages.
std::vector<InboxThread> decodeThreads(const nlohmann::json& json);
std::vector<InboxMessage> decodeMessages(const nlohmann::json& json);
// "notifications": the list of GET /api/notifications.
std::vector<PlatformNotification> decodeNotificationsEnvelope(const nlohmann::json& json);

// Message ids in paths and queries: every digit, no decimals or exponent ("%.0f").
std::string formatMessageId(double id);

}  // namespace vesket::inbox
