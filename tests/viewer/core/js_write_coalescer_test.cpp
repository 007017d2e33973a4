#include "viewer/core/js_write_coalescer.h"

#include <gtest/gtest.h>

#include <string>

#include "viewer/core/terminal_attach_generation.h"

namespace vesket::viewer {
namespace {

TEST(JSWriteCoalescer, KeepsTheNewestWithinCapacity) {
  JSWriteCoalescer coalescer;
  EXPECT_EQ(coalescer.capacity(), 5000u);
  for (int k = 0; k < 5001; ++k) coalescer.enqueue("s" + std::to_string(k), 1);
  EXPECT_EQ(coalescer.pending().size(), 5000u);
  EXPECT_EQ(coalescer.pendingGenerations().size(), 5000u);
  EXPECT_EQ(coalescer.droppedCount(), 1u);
  EXPECT_EQ(coalescer.pending().front(), "s1");
  EXPECT_EQ(coalescer.pending().back(), "s5000");

  for (int k = 0; k < 3; ++k) coalescer.enqueue("more", std::nullopt);
  EXPECT_EQ(coalescer.droppedCount(), 4u);
  EXPECT_EQ(coalescer.pending().front(), "s4");
}

TEST(JSWriteCoalescer, FlushKeepsCurrentAndUngenerationedScripts) {
  JSWriteCoalescer coalescer;
  coalescer.enqueue("a", 3);
  coalescer.enqueue("b", std::nullopt);
  coalescer.enqueue("c", 4);
  coalescer.enqueue("d", 4);
  coalescer.enqueue("e", 5);
  EXPECT_EQ(coalescer.takeFlush(4), "b\nc\nd");
  EXPECT_TRUE(coalescer.pending().empty());
  EXPECT_TRUE(coalescer.pendingGenerations().empty());
  // Nothing of the current generation: no evaluation at all.
  coalescer.enqueue("old", 3);
  EXPECT_EQ(coalescer.takeFlush(4), std::nullopt);
  EXPECT_TRUE(coalescer.pending().empty());
}

TEST(JSWriteCoalescer, SchedulesOneFlushAtATime) {
  JSWriteCoalescer coalescer;
  EXPECT_TRUE(coalescer.enqueue("a", 1));
  EXPECT_FALSE(coalescer.enqueue("b", 1));
  EXPECT_FALSE(coalescer.enqueue("c", 1));
  EXPECT_TRUE(coalescer.isFlushScheduled());
  EXPECT_EQ(coalescer.takeFlush(1), "a\nb\nc");
  EXPECT_FALSE(coalescer.isFlushScheduled());
  EXPECT_TRUE(coalescer.enqueue("d", 1));
}

TEST(JSWriteCoalescer, BackgroundHoldsScriptsUntilForeground) {
  JSWriteCoalescer coalescer;
  EXPECT_TRUE(coalescer.isForeground());
  EXPECT_FALSE(coalescer.setForeground(false));
  EXPECT_FALSE(coalescer.enqueue("a", 1));
  EXPECT_FALSE(coalescer.enqueue("b", 1));
  EXPECT_FALSE(coalescer.isFlushScheduled());
  EXPECT_TRUE(coalescer.setForeground(true));
  EXPECT_FALSE(coalescer.setForeground(true));  // already scheduled
  EXPECT_EQ(coalescer.takeFlush(1), "a\nb");
  EXPECT_FALSE(coalescer.setForeground(true));  // nothing waiting
}

TEST(JSWriteCoalescer, ClearLeavesNothingForTheScheduledFlush) {
  JSWriteCoalescer coalescer;
  EXPECT_TRUE(coalescer.enqueue("a", std::nullopt));
  coalescer.clear();
  EXPECT_EQ(coalescer.takeFlush(1), std::nullopt);
}

TEST(TerminalAttachGeneration, FiltersBySession) {
  TerminalAttachGeneration generation;
  EXPECT_EQ(generation.current(), 0);
  EXPECT_EQ(generation.beginSession(), 1);
  EXPECT_EQ(generation.beginSession(), 2);
  EXPECT_TRUE(generation.accepts(2));
  EXPECT_FALSE(generation.accepts(1));
  EXPECT_FALSE(generation.accepts(3));
  EXPECT_TRUE(generation.accepts(std::nullopt));
  generation.tearDown();
  EXPECT_TRUE(generation.isTornDown());
  EXPECT_FALSE(generation.accepts(2));
  EXPECT_FALSE(generation.accepts(std::nullopt));
}

}  // namespace
}  // namespace vesket::viewer
