#pragma once

// The account's task board as the relay returns it: tasks (with their children and
// roll-ups), the feed envelope and the task's events.

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::inbox {

namespace RelayTaskStatus {
inline constexpr std::string_view newTask = "new";
inline constexpr std::string_view inProgress = "inProgress";
inline constexpr std::string_view workerDone = "workerDone";
inline constexpr std::string_view verified = "verified";
inline constexpr std::string_view needsFix = "needsFix";
bool isKnown(std::string_view status);
}  // namespace RelayTaskStatus

struct RelayTaskRollup {
  std::string status;
  std::int64_t done = 0;
  std::int64_t total = 0;
  static RelayTaskRollup fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const RelayTaskRollup&, const RelayTaskRollup&) = default;
};

struct RelayTaskItem {
  std::string id;
  std::string title;
  std::string agentTeam;
  std::string status{RelayTaskStatus::newTask};
  std::optional<std::string> priority;
  std::optional<std::string> taskType;  // "demand" or "work"
  std::optional<std::string> result;
  std::optional<std::string> note;
  std::string createdAt;
  std::string updatedAt;
  std::optional<std::string> parentId;
  std::optional<RelayTaskRollup> rollup;
  std::optional<std::string> workingPane;
  std::optional<std::vector<std::string>> images;

  static RelayTaskItem fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const RelayTaskItem&, const RelayTaskItem&) = default;
};

struct RelayTaskFeedMeta {
  std::int64_t total = 0;
  std::int64_t limit = 0;
  bool truncated = false;
  static RelayTaskFeedMeta fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
};

struct RelayTasksEnvelope {
  std::vector<RelayTaskItem> tasks;
  std::optional<RelayTaskFeedMeta> meta;
  static RelayTasksEnvelope fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
};

struct RelayTaskEvent {
  std::string id;
  std::string taskId;
  std::string type;  // "created", "statusChange", "note", "dispatched"
  std::optional<std::string> actor;
  std::optional<std::string> body;
  std::string createdAt;
  static RelayTaskEvent fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const RelayTaskEvent&, const RelayTaskEvent&) = default;
};

struct RelayTaskEventsEnvelope {
  std::vector<RelayTaskEvent> events;
  static RelayTaskEventsEnvelope fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
};

// GET /api/tasks/{id}?include=children: the task and its children.
struct RelayTaskDetail {
  RelayTaskItem task;
  std::vector<RelayTaskItem> children;
  static RelayTaskDetail fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
};

struct RelayImageAttachment {
  std::string base64;
  std::string ext;
  static RelayImageAttachment fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
};

}  // namespace vesket::inbox
