#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "inbox/core/task_records.h"

namespace vesket::relay_service {

// The task board of every account: tasks, their children and their events.
class TaskStore {
 public:
  virtual ~TaskStore() = default;

  // Stores a new task under a fresh id (the store's), with its "created" event.
  virtual inbox::RelayTaskItem createTask(std::int64_t userId, inbox::RelayTaskItem task,
                                          const std::optional<std::string>& actor) = 0;
  virtual std::optional<inbox::RelayTaskItem> findTask(std::int64_t userId, const std::string& id) = 0;
  // The account's tasks, oldest first.
  virtual std::vector<inbox::RelayTaskItem> listTasks(std::int64_t userId) = 0;
  virtual std::vector<inbox::RelayTaskItem> listChildren(std::int64_t userId, const std::string& parentId) = 0;
  // Lets `change` edit the task and saves it, with the events it returns, when it returns
  // any or changed the task; nothing when the account has no such task.
  virtual std::optional<inbox::RelayTaskItem> updateTask(
      std::int64_t userId, const std::string& id,
      const std::function<std::vector<inbox::RelayTaskEvent>(inbox::RelayTaskItem&)>& change) = 0;
  // Removes the task, its events and its children; false for no such task.
  virtual bool deleteTask(std::int64_t userId, const std::string& id) = 0;
  virtual std::optional<std::vector<inbox::RelayTaskEvent>> listTaskEvents(std::int64_t userId,
                                                                           const std::string& id) = 0;
};

}  // namespace vesket::relay_service
