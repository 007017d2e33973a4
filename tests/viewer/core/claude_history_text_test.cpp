#include "viewer/core/claude_history_text.h"

#include <gtest/gtest.h>

namespace vesket::viewer {
namespace {

using namespace control_plane;

ClaudeHistoryEntry entry(std::vector<std::string> lines) {
  ClaudeHistoryEntry e;
  e.lines = std::move(lines);
  return e;
}

ClaudeHistoryLiveFrame frame(std::int64_t sequence, std::vector<std::string> lines) {
  ClaudeHistoryLiveFrame f;
  f.sequence = sequence;
  f.lines = std::move(lines);
  return f;
}

TEST(ClaudeHistoryText, HistoryInOrderThenLiveFramesBySequence) {
  ClaudeHistoryBatch batch;
  ClaudeHistorySegment first, second;
  first.entries = {entry({"> fix the router", ""}), entry({"⏺ Reading router.ts"})};
  second.entries = {entry({}), entry({"⏺ Done."})};
  batch.history.segments = {first, second};
  batch.liveFrames = {frame(5, {"late"}), frame(2, {"early a"}), frame(2, {"early b", "x"}), frame(3, {})};
  EXPECT_EQ(ClaudeHistoryText::flatten(batch),
            "> fix the router\n\n⏺ Reading router.ts\n⏺ Done.\nearly a\nearly b\nx\nlate");
  EXPECT_EQ(ClaudeHistoryText::flatten(ClaudeHistoryBatch{}), "");
}

}  // namespace
}  // namespace vesket::viewer
