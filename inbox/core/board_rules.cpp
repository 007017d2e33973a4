#include "inbox/core/board_rules.h"

#include <algorithm>
#include <cstdlib>

namespace vesket::inbox {

BoardColumn BoardColumns::column(std::string_view status) {
  if (status == RelayTaskStatus::inProgress) return BoardColumn::inProgress;
  if (status == RelayTaskStatus::workerDone) return BoardColumn::needsReview;
  if (status == RelayTaskStatus::verified) return BoardColumn::done;
  return BoardColumn::toDo;  // "new", "needsFix"
}

bool BoardColumns::isAdjacent(BoardColumn a, BoardColumn b) {
  return std::abs(static_cast<int>(a) - static_cast<int>(b)) == 1;
}

BoardDragOutcome BoardDragOutcome::decide(BoardColumn from, BoardColumn to, bool hasChildren) {
  if (!BoardColumns::isAdjacent(from, to)) return {Kind::blockedNotAdjacent, {}};
  if (hasChildren) return {Kind::blockedHasChildren, {}};
  switch (to) {
    case BoardColumn::toDo: return {Kind::advance, std::string(RelayTaskStatus::newTask)};
    case BoardColumn::inProgress: return {Kind::advance, std::string(RelayTaskStatus::inProgress)};
    case BoardColumn::needsReview: return {Kind::advance, std::string(RelayTaskStatus::workerDone)};
    case BoardColumn::done: break;
  }
  return {Kind::verify, {}};
}

KanbanLayout KanbanLayout::compute(double availableWidth, int columnCount, double spacing, double minColumnWidth) {
  const int n = std::max(columnCount, 1);
  const double w = (availableWidth - spacing * (n - 1)) / n;
  KanbanLayout layout;
  layout.columnWidth = std::max(w, minColumnWidth);
  layout.needsScroll = w + 0.5 < layout.columnWidth;
  return layout;
}

std::vector<RelayTaskItem> RelayTaskTree::topLevel(const std::vector<RelayTaskItem>& tasks) {
  std::vector<RelayTaskItem> top;
  for (const auto& task : tasks) {
    if (!task.parentId) top.push_back(task);
  }
  return top;
}

std::vector<RelayTaskItem> RelayTaskTree::children(const std::string& id, const std::vector<RelayTaskItem>& tasks) {
  std::vector<RelayTaskItem> found;
  for (const auto& task : tasks) {
    if (task.parentId == id) found.push_back(task);
  }
  return found;
}

int RelayTaskTree::childrenNeedingReview(const std::string& id, const std::vector<RelayTaskItem>& tasks) {
  int count = 0;
  for (const auto& task : tasks) count += task.parentId == id && task.status == RelayTaskStatus::workerDone;
  return count;
}

std::pair<std::int64_t, std::int64_t> RelayTaskTree::rollupCounts(const RelayTaskItem& task,
                                                                  const std::vector<RelayTaskItem>& tasks) {
  if (task.rollup) return {task.rollup->done, task.rollup->total};
  std::int64_t done = 0;
  std::int64_t total = 0;
  for (const auto& child : tasks) {
    if (child.parentId != task.id) continue;
    ++total;
    done += child.status == RelayTaskStatus::workerDone || child.status == RelayTaskStatus::verified;
  }
  return {done, total};
}

std::string RelayTaskTree::rollupText(const RelayTaskItem& task, const std::vector<RelayTaskItem>& tasks) {
  const auto [done, total] = rollupCounts(task, tasks);
  return std::to_string(done) + "/" + std::to_string(total) + " done";
}

std::string TaskTimelineEntry::id() const {
  if (const auto* event = std::get_if<RelayTaskEvent>(&entry)) return event->id;
  return "child:" + std::get<RelayTaskItem>(entry).id;
}

std::string TaskTimelineEntry::createdAt() const {
  if (const auto* event = std::get_if<RelayTaskEvent>(&entry)) return event->createdAt;
  return std::get<RelayTaskItem>(entry).createdAt;
}

std::vector<TaskTimelineEntry> TaskTimeline::merge(const std::vector<RelayTaskEvent>& events,
                                                   const std::vector<RelayTaskItem>& children) {
  std::vector<TaskTimelineEntry> entries;
  for (const auto& event : events) entries.push_back({event});
  for (const auto& child : children) entries.push_back({child});
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TaskTimelineEntry& a, const TaskTimelineEntry& b) { return a.createdAt() < b.createdAt(); });
  return entries;
}

}  // namespace vesket::inbox
