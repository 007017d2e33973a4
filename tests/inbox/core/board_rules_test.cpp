// The board's column rules, layout, task tree and timeline.
#include <gtest/gtest.h>

#include "inbox/core/board_rules.h"

namespace vesket::inbox {
namespace {

using C = BoardColumn;
using K = BoardDragOutcome::Kind;

TEST(BoardRulesTest, StatusesFallIntoColumnsAndDragsFollowAdjacency) {
  EXPECT_EQ(BoardColumns::column("new"), C::toDo);
  EXPECT_EQ(BoardColumns::column("needsFix"), C::toDo);
  EXPECT_EQ(BoardColumns::column("inProgress"), C::inProgress);
  EXPECT_EQ(BoardColumns::column("workerDone"), C::needsReview);
  EXPECT_EQ(BoardColumns::column("verified"), C::done);

  const struct {
    C from, to;
    bool children;
    BoardDragOutcome outcome;
  } cases[] = {
      {C::toDo, C::done, false, {K::blockedNotAdjacent, ""}},
      {C::toDo, C::needsReview, false, {K::blockedNotAdjacent, ""}},
      {C::toDo, C::toDo, false, {K::blockedNotAdjacent, ""}},
      {C::toDo, C::inProgress, false, {K::advance, "inProgress"}},
      {C::inProgress, C::toDo, false, {K::advance, "new"}},
      {C::inProgress, C::needsReview, false, {K::advance, "workerDone"}},
      {C::needsReview, C::done, false, {K::verify, ""}},
      {C::needsReview, C::done, true, {K::blockedHasChildren, ""}},
      {C::done, C::toDo, true, {K::blockedNotAdjacent, ""}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BoardDragOutcome::decide(c.from, c.to, c.children), c.outcome)
        << static_cast<int>(c.from) << "->" << static_cast<int>(c.to);
  }
}

TEST(BoardRulesTest, KanbanLayoutScrollsWhenColumnsWouldBeTooNarrow) {
  const auto narrow = KanbanLayout::compute(800, 4, 12, 240);
  EXPECT_EQ(narrow.columnWidth, 240);
  EXPECT_TRUE(narrow.needsScroll);  // w = 191
  const auto wide = KanbanLayout::compute(1236, 4, 12, 240);
  EXPECT_EQ(wide.columnWidth, 300);
  EXPECT_FALSE(wide.needsScroll);
  EXPECT_EQ(KanbanLayout::compute(300, 0, 12, 100).columnWidth, 300);
}

RelayTaskItem task(std::string id, std::string status, std::optional<std::string> parent = {}, std::string at = "") {
  RelayTaskItem item;
  item.id = std::move(id);
  item.status = std::move(status);
  item.parentId = std::move(parent);
  item.createdAt = std::move(at);
  return item;
}

TEST(BoardRulesTest, TreeRollupsAndTimeline) {
  const std::vector<RelayTaskItem> tasks = {task("P", "inProgress"), task("a", "workerDone", "P"), task("b", "verified", "P"),
                                            task("c", "new", "P"), task("Q", "new")};
  EXPECT_EQ(RelayTaskTree::topLevel(tasks).size(), 2u);
  EXPECT_EQ(RelayTaskTree::children("P", tasks).size(), 3u);
  EXPECT_EQ(RelayTaskTree::childrenNeedingReview("P", tasks), 1);
  EXPECT_EQ(RelayTaskTree::rollupText(tasks[0], tasks), "2/3 done");
  RelayTaskItem withOwn = tasks[0];
  withOwn.rollup = RelayTaskRollup{"x", 5, 9};
  EXPECT_EQ(RelayTaskTree::rollupText(withOwn, tasks), "5/9 done");
  EXPECT_EQ(RelayTaskTree::rollupText(tasks[4], tasks), "0/0 done");

  const std::vector<RelayTaskEvent> events = {{"e1", "P", "created", {}, {}, "2026-01-01T00:00:00.000Z"},
                                              {"e2", "P", "note", {}, {}, "2026-01-03T00:00:00.000Z"}};
  const auto timeline = TaskTimeline::merge(events, {task("k", "workerDone", "P", "2026-01-02T00:00:00.000Z")});
  ASSERT_EQ(timeline.size(), 3u);
  EXPECT_EQ(timeline[0].id(), "e1");
  EXPECT_EQ(timeline[1].id(), "child:k");
  EXPECT_EQ(timeline[2].id(), "e2");
}

}  // namespace
}  // namespace vesket::inbox
