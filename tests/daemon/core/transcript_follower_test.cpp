#include "daemon/core/transcript_follower.h"

#include <gtest/gtest.h>

#include <string>

#include "daemon/core/claude_history_builder.h"

using namespace vesket::daemon;
using Read = TranscriptFollower::Read;

TEST(TranscriptFollower, ReadsTheTailThenWhatGrowsAndStartsOverOnAnotherFile) {
  TranscriptFollower follower(1000);
  EXPECT_EQ(follower.update(TranscriptFollower::FileState{7, 400}), (Read{0, 400, true}));
  EXPECT_FALSE(follower.update(TranscriptFollower::FileState{7, 400})) << "unchanged";
  EXPECT_EQ(follower.update(TranscriptFollower::FileState{7, 450}), (Read{400, 450, false}));
  EXPECT_EQ(follower.position(), 450);
  // Rewritten shorter: afresh.
  EXPECT_EQ(follower.update(TranscriptFollower::FileState{7, 100}), (Read{0, 100, true}));
  // Another conversation's file, longer than the initial window: its tail only.
  EXPECT_EQ(follower.update(TranscriptFollower::FileState{9, 5000}), (Read{4000, 5000, true}));
  // Gone, then back: afresh.
  EXPECT_FALSE(follower.update(std::nullopt));
  EXPECT_EQ(follower.update(TranscriptFollower::FileState{9, 5100}), (Read{4100, 5100, true}));
}

// The follower's reads fed to the builder give the same history as reading the file at once.
TEST(TranscriptFollower, DrivesTheBuilderAcrossGrowthAndRestart) {
  std::string file;
  for (int i = 0; i < 30; ++i) {
    file += R"({"type":"user","uuid":"p)" + std::to_string(i) + R"(","sessionId":"s","message":{"content":"ask )" +
            std::to_string(i) + "\"}}\n";
  }
  TranscriptFollower follower(500);
  ClaudeHistoryBuilder builder({.paneId = "%1", .width = 40, .sessionId = "s", .maxEntries = 100});
  const auto follow = [&](std::uint64_t identity, std::size_t size) {
    if (auto read = follower.update(TranscriptFollower::FileState{identity, static_cast<std::int64_t>(size)})) {
      if (read->restart) builder.reset(read->from);
      builder.append(std::string_view(file).substr(static_cast<std::size_t>(read->from),
                                                   static_cast<std::size_t>(read->to - read->from)));
    }
  };
  follow(1, file.size() / 2);  // half written, mid-record
  follow(1, file.size());
  ClaudeHistoryBuilder whole({.paneId = "%1", .width = 40, .sessionId = "s", .maxEntries = 100});
  whole.reset(static_cast<std::int64_t>(file.size() / 2) - 500);
  whole.append(std::string_view(file).substr(file.size() / 2 - 500));
  EXPECT_EQ(builder.batch(), whole.batch());
  EXPECT_EQ(builder.offset(), static_cast<std::int64_t>(file.size()));
  EXPECT_FALSE(builder.items().empty());
  EXPECT_EQ(builder.items().back().text, "ask 29");
}
