#pragma once

// The task board's rules: which column a status belongs to, what dropping a card on
// another column does, how wide the columns are, the task tree (children and roll-ups)
// and a task's timeline.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "inbox/core/task_records.h"

namespace vesket::inbox {

enum class BoardColumn { toDo = 0, inProgress = 1, needsReview = 2, done = 3 };

namespace BoardColumns {
BoardColumn column(std::string_view status);
bool isAdjacent(BoardColumn a, BoardColumn b);
}  // namespace BoardColumns

struct BoardDragOutcome {
  enum class Kind { advance, verify, blockedNotAdjacent, blockedHasChildren };
  Kind kind = Kind::blockedNotAdjacent;
  std::string status;  // for advance: the status the card takes

  friend bool operator==(const BoardDragOutcome&, const BoardDragOutcome&) = default;
  static BoardDragOutcome decide(BoardColumn from, BoardColumn to, bool hasChildren);
};

struct KanbanLayout {
  double columnWidth = 0;
  bool needsScroll = false;
  static KanbanLayout compute(double availableWidth, int columnCount, double spacing, double minColumnWidth);
};

namespace RelayTaskTree {
std::vector<RelayTaskItem> topLevel(const std::vector<RelayTaskItem>& tasks);
std::vector<RelayTaskItem> children(const std::string& id, const std::vector<RelayTaskItem>& tasks);
int childrenNeedingReview(const std::string& id, const std::vector<RelayTaskItem>& tasks);
// The task's own roll-up when it has one, else counted from its children.
std::pair<std::int64_t, std::int64_t> rollupCounts(const RelayTaskItem& task, const std::vector<RelayTaskItem>& tasks);
// "done/total done".
std::string rollupText(const RelayTaskItem& task, const std::vector<RelayTaskItem>& tasks);
}  // namespace RelayTaskTree

struct TaskTimelineEntry {
  std::variant<RelayTaskEvent, RelayTaskItem> entry;  // an event, or a child's result
  std::string id() const;         // the event's id, or "child:" + the child's id
  std::string createdAt() const;  // ISO 8601 text
};

namespace TaskTimeline {
// Every event and every child, ascending by time.
std::vector<TaskTimelineEntry> merge(const std::vector<RelayTaskEvent>& events, const std::vector<RelayTaskItem>& children);
}  // namespace TaskTimeline

}  // namespace vesket::inbox
