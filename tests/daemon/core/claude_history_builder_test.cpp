#include "daemon/core/claude_history_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "claude_history_fixture.h"
#include "daemon/core/text_wrap.h"

using namespace vesket::daemon;
using namespace vesket::control_plane;
using vesket::daemon::test::kTranscriptHead;
using vesket::daemon::test::kTranscriptTailEnd;
using vesket::daemon::test::kTranscriptTailStart;
using nlohmann::json;

namespace {

ClaudeHistoryBuilder::Options options(int width = 60, std::size_t maxEntries = 2000) {
  ClaudeHistoryBuilder::Options o;
  o.paneId = "%7";
  o.width = width;
  o.sessionId = "s-1";
  o.maxEntries = maxEntries;
  return o;
}

// What the application shows for a batch: the lines of every history entry, then the live
// frames by sequence, joined with LF.
std::string flatten(const ClaudeHistoryBatch& batch) {
  std::vector<std::string> lines;
  for (const auto& segment : batch.history.segments) {
    for (const auto& entry : segment.entries) lines.insert(lines.end(), entry.lines.begin(), entry.lines.end());
  }
  auto frames = batch.liveFrames;
  std::stable_sort(frames.begin(), frames.end(), [](const auto& a, const auto& b) { return a.sequence < b.sequence; });
  for (const auto& frame : frames) lines.insert(lines.end(), frame.lines.begin(), frame.lines.end());
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\n" : "") + lines[i];
  return text;
}

std::vector<std::string> entryKinds(const ClaudeHistoryBatch& batch) {
  std::vector<std::string> kinds;
  for (const auto& segment : batch.history.segments) {
    for (const auto& entry : segment.entries) kinds.push_back(entry.kind);
  }
  return kinds;
}

std::vector<std::string> frameKinds(const ClaudeHistoryBatch& batch) {
  std::vector<std::string> kinds;
  for (const auto& frame : batch.liveFrames) kinds.push_back(frame.kind);
  return kinds;
}

std::string line(const json& record) { return record.dump() + "\n"; }

json prompt(const std::string& uuid, const std::string& text, const std::string& session = "s-1") {
  return {{"type", "user"}, {"uuid", uuid}, {"sessionId", session},
          {"message", {{"role", "user"}, {"content", text}}}};
}

json reply(const std::string& uuid, const std::string& text, const std::string& session = "s-1") {
  return {{"type", "assistant"}, {"uuid", uuid}, {"sessionId", session},
          {"message", {{"role", "assistant"}, {"content", json::array({{{"type", "text"}, {"text", text}}})}}}};
}

}  // namespace

TEST(ClaudeHistoryBuilder, RendersAGrowingTranscriptAsOneScreen) {
  ClaudeHistoryBuilder builder(options(60));
  EXPECT_TRUE(builder.append(kTranscriptHead + kTranscriptTailStart));
  EXPECT_EQ(builder.pendingBytes(), kTranscriptTailStart.size()) << "the half-written record waits";
  EXPECT_EQ(builder.offset(), static_cast<std::int64_t>(kTranscriptHead.size()));

  const ClaudeHistoryBatch first = builder.batch();
  EXPECT_EQ(first.mode, "replace");
  EXPECT_EQ(first.width, 60);
  EXPECT_EQ(first.history.width, 60);
  EXPECT_FALSE(first.history.fallback);
  EXPECT_EQ(flatten(first),
            "\n"
            "※ Fix flaky retry test\n"
            "\n"
            "> Why does the retry test fail on CI?\n"
            "\n"
            "✻ Thinking…\n"
            "  The test sleeps for a fixed time.\n"
            "\n"
            "● Let me run it.\n"
            "\n"
            "● Bash(ctest -R retry --output-on-failure)\n"
            "  ⎿  Test #4: retry ...***Failed\n"
            "     1 test failed\n"
            "\n"
            "● The test waits a fixed 100 ms for the retry.\n"
            "\n"
            "> Fix it please\n"
            "\n"
            "● Edit(tests/retry_test.cpp)\n"
            "  ⎿  The file tests/retry_test.cpp has been updated.");

  // The latest turn is live; what came before is settled history.
  EXPECT_EQ(entryKinds(first), (std::vector<std::string>{"summary", "prompt", "thinking", "assistant", "tool_use", "tool_result", "assistant"}));
  EXPECT_EQ(frameKinds(first), (std::vector<std::string>{"prompt", "tool_use", "tool_result"}));
  ASSERT_EQ(first.history.segments.size(), 1u);
  EXPECT_EQ(first.history.segments[0].boundary, "start");
  EXPECT_EQ(first.liveFrames[0].eventId, "u-3");
  EXPECT_EQ(first.liveFrames[0].text, "Fix it please");
  const auto promptOffset = static_cast<std::int64_t>(kTranscriptHead.find(R"("uuid":"u-3")"));
  const auto lineStart = static_cast<std::int64_t>(kTranscriptHead.rfind('\n', static_cast<std::size_t>(promptOffset)) + 1);
  EXPECT_EQ(first.history.liveStart, (ClaudeHistoryCursor{"s-1", lineStart}));
  EXPECT_EQ(first.history.historyEnd, first.history.liveStart);
  EXPECT_LT(first.liveFrames[0].sequence, first.liveFrames[1].sequence);

  // The rest of the record arrives: one more live frame, nothing settled changes.
  EXPECT_TRUE(builder.append(kTranscriptTailEnd));
  EXPECT_EQ(builder.pendingBytes(), 0u);
  const ClaudeHistoryBatch second = builder.batch();
  EXPECT_EQ(second.history, first.history);
  ASSERT_EQ(second.liveFrames.size(), 4u);
  EXPECT_EQ(second.liveFrames.back().lines,
            (std::vector<std::string>{"", "● Done: the test now waits for the retry itself."}));

  // A new prompt settles the finished turn.
  EXPECT_TRUE(builder.append(line(prompt("u-9", "thanks"))));
  const ClaudeHistoryBatch third = builder.batch();
  EXPECT_EQ(frameKinds(third), (std::vector<std::string>{"prompt"}));
  EXPECT_EQ(entryKinds(third).size(), 11u);
  EXPECT_EQ(flatten(third), flatten(second) + "\n\n> thanks");
}

TEST(ClaudeHistoryBuilder, FeedingByteByByteGivesTheSameBatch) {
  const std::string transcript = kTranscriptHead + kTranscriptTailStart + kTranscriptTailEnd;
  ClaudeHistoryBuilder whole(options(30));
  whole.append(transcript);
  ClaudeHistoryBuilder bytes(options(30));
  for (char c : transcript) bytes.append(std::string_view(&c, 1));
  EXPECT_EQ(bytes.batch(), whole.batch());
  EXPECT_EQ(bytes.offset(), static_cast<std::int64_t>(transcript.size()));
}

TEST(ClaudeHistoryBuilder, LinesThatShowNothingChangeNothing) {
  ClaudeHistoryBuilder builder(options());
  builder.append(line(prompt("u-1", "hello")));
  const ClaudeHistoryBatch before = builder.batch();
  const std::string noise =
      "\n"
      "not json at all\n"
      "{\"type\":\"user\",\"message\":{\"content\":\"cut\"\n"  // damaged: cut inside
      "[1,2,3]\n"
      "{\"type\":\"progress\",\"data\":{}}\n"
      "{\"type\":\"user\",\"isMeta\":true,\"message\":{\"content\":\"meta\"}}\n"
      "{\"type\":\"assistant\",\"message\":{\"content\":[{\"type\":\"text\",\"text\":\"\\ud800\"}]}}\n";
  EXPECT_FALSE(builder.append(noise));
  const ClaudeHistoryBatch after = builder.batch();
  EXPECT_EQ(after.liveFrames, before.liveFrames);
  EXPECT_EQ(after.history.segments, before.history.segments);
  EXPECT_EQ(after.history.historyEnd, before.history.historyEnd) << "cursors name records, not bytes read";
}

TEST(ClaudeHistoryBuilder, WithoutAPromptEverythingIsSettled) {
  ClaudeHistoryBuilder builder(options());
  builder.append(line(reply("a-1", "resumed work")));
  const ClaudeHistoryBatch batch = builder.batch();
  EXPECT_TRUE(batch.liveFrames.empty());
  EXPECT_FALSE(batch.history.liveStart);
  EXPECT_EQ(batch.history.historyEnd, (ClaudeHistoryCursor{"s-1", builder.offset()}));

  ClaudeHistoryBuilder empty(options());
  const ClaudeHistoryBatch nothing = empty.batch();
  EXPECT_TRUE(nothing.history.segments.empty());
  EXPECT_EQ(nothing.history.historyEnd, (ClaudeHistoryCursor{"s-1", 0}));
}

TEST(ClaudeHistoryBuilder, SegmentsOpenAtCompactionAndAtAnotherConversation) {
  ClaudeHistoryBuilder builder(options());
  builder.append(line(prompt("u-1", "first")) + line(reply("a-1", "one")) +
                 line({{"type", "system"}, {"subtype", "compact_boundary"}, {"uuid", "c-1"}, {"sessionId", "s-1"}}) +
                 line({{"type", "user"}, {"uuid", "u-2"}, {"sessionId", "s-1"}, {"isCompactSummary", true},
                       {"message", {{"content", "This session is being continued..."}}}}) +
                 line(reply("a-2", "two")) + line(reply("a-3", "three", "s-2")) + line(prompt("u-4", "now", "s-2")));
  const ClaudeHistoryBatch batch = builder.batch();
  const auto& segments = batch.history.segments;
  ASSERT_EQ(segments.size(), 3u);
  EXPECT_EQ(segments[0].boundary, "start");
  EXPECT_EQ(segments[0].entries.size(), 2u);
  EXPECT_EQ(segments[1].boundary, "compact");
  EXPECT_EQ(segments[1].entries[0].kind, "compact");
  EXPECT_EQ(segments[1].entries[0].boundary, "compact");
  EXPECT_EQ(segments[1].entries.size(), 2u);
  EXPECT_EQ(segments[2].boundary, "session");
  EXPECT_EQ(segments[2].sessionId, "s-2");
  EXPECT_EQ(segments[2].entries[0].cursor.sessionId, "s-2");
  EXPECT_NE(segments[0].segmentId, segments[1].segmentId);
  EXPECT_EQ(frameKinds(batch), (std::vector<std::string>{"prompt"}));

  // A record without a conversation belongs to the latest one named.
  builder.append(line({{"type", "summary"}, {"summary", "later"}}));
  EXPECT_EQ(builder.items().back().sessionId, "s-2");
}

TEST(ClaudeHistoryBuilder, ReadingFromTheMiddleSkipsTheFragment) {
  const std::string transcript = kTranscriptHead;
  const std::size_t start = 10;  // inside the summary record
  ClaudeHistoryBuilder::Options o = options();
  o.startOffset = static_cast<std::int64_t>(start);
  ClaudeHistoryBuilder builder(o);
  builder.append(std::string_view(transcript).substr(start));
  const ClaudeHistoryBatch batch = builder.batch();
  ASSERT_FALSE(batch.history.segments.empty());
  EXPECT_EQ(batch.history.segments[0].boundary, "earlier");
  EXPECT_EQ(batch.history.segments[0].entries[0].kind, "prompt") << "the summary line was cut";
  EXPECT_EQ(builder.offset(), static_cast<std::int64_t>(transcript.size()));
  // Cursors are file offsets, not offsets into what was fed.
  EXPECT_EQ(batch.history.segments[0].entries[0].cursor.offset,
            static_cast<std::int64_t>(transcript.find('\n') + 1));

  // A replaced transcript starts over.
  builder.reset();
  EXPECT_TRUE(builder.batch().history.segments.empty());
  builder.append(line(prompt("u-1", "again")));
  EXPECT_EQ(builder.batch().liveFrames.at(0).cursor.offset, 0);
}

TEST(ClaudeHistoryBuilder, EntriesAreBoundedNewestFirst) {
  ClaudeHistoryBuilder builder(options(60, 5));
  std::string transcript;
  for (int i = 0; i < 20; ++i) {
    transcript += line(prompt("p-" + std::to_string(i), "ask " + std::to_string(i)));
    transcript += line(reply("r-" + std::to_string(i), "answer " + std::to_string(i)));
  }
  builder.append(transcript);
  EXPECT_LE(builder.items().size(), 10u) << "memory holds at most twice the shown entries";
  EXPECT_EQ(builder.droppedItems() + builder.items().size(), 40u);

  const ClaudeHistoryBatch batch = builder.batch();
  EXPECT_EQ(entryKinds(batch).size() + batch.liveFrames.size(), 5u);
  EXPECT_EQ(batch.history.segments[0].boundary, "earlier");
  ASSERT_EQ(batch.liveFrames.size(), 2u);
  EXPECT_EQ(batch.liveFrames[0].text, "ask 19");
  EXPECT_EQ(batch.liveFrames[1].sequence, 39) << "sequence counts every item read";

  // A live turn longer than the bound keeps its newest frames and no history.
  builder.append(line(prompt("p-x", "long turn")));
  for (int i = 0; i < 8; ++i) builder.append(line(reply("x-" + std::to_string(i), "step " + std::to_string(i))));
  const ClaudeHistoryBatch busy = builder.batch();
  EXPECT_TRUE(busy.history.segments.empty());
  ASSERT_EQ(busy.liveFrames.size(), 5u);
  EXPECT_EQ(busy.liveFrames.back().text, "step 7");
}

TEST(ClaudeHistoryBuilder, EventsEncodeAsStreamLines) {
  ClaudeHistoryBuilder builder(options(0));
  EXPECT_EQ(builder.width(), 1) << "width is at least 1";
  builder.append(line(prompt("u-1", "hi")));
  const ClaudeHistoryStreamEvent event = builder.replaceEvent();
  EXPECT_EQ(event.type, "replace");
  EXPECT_EQ(event.paneId, "%7");
  ASSERT_TRUE(event.batch);
  const json encoded = event.toJson();
  EXPECT_EQ(ClaudeHistoryStreamEvent::fromJson(encoded), event);
  EXPECT_EQ(encoded["batch"]["liveFrames"][0]["lines"], json({"", "h", "i"}));

  const json disabled = ClaudeHistoryBuilder::disabledEvent("%3", "no transcript").toJson();
  EXPECT_EQ(disabled, json({{"type", "disabled"}, {"paneId", "%3"}, {"reason", "no transcript"}}));
}

// Damaged transcripts (bytes flipped, cut, dropped) in chunks of any size: reading never
// throws, and every rendered line fits the width.
TEST(ClaudeHistoryBuilder, DamagedTranscriptsNeverBreakReading) {
  std::mt19937 random(42);
  const std::string original = kTranscriptHead + kTranscriptTailStart + kTranscriptTailEnd;
  for (int round = 0; round < 200; ++round) {
    std::string text = original;
    for (int edit = 0; edit < 1 + static_cast<int>(random() % 20); ++edit) {
      const std::size_t at = random() % text.size();
      switch (random() % 3) {
        case 0: text[at] = static_cast<char>(random()); break;
        case 1: text.erase(at, 1 + random() % 8); break;
        default: text.insert(at, 1, "\n{}\"\\\x1b\xff"[random() % 7]); break;
      }
    }
    const int width = 1 + static_cast<int>(random() % 50);
    ClaudeHistoryBuilder builder(options(width, 1 + random() % 20));
    for (std::size_t pos = 0; pos < text.size();) {
      const std::size_t size = 1 + random() % 300;
      EXPECT_NO_THROW(builder.append(std::string_view(text).substr(pos, size)));
      pos += size;
    }
    ClaudeHistoryBatch batch;
    ASSERT_NO_THROW(batch = builder.batch());
    for (const auto& frame : batch.liveFrames) {
      for (const auto& l : frame.lines) EXPECT_LE(vesket::daemon::TextWrap::displayWidth(l), std::max(width, 2));
    }
    EXPECT_NO_THROW(builder.replaceEvent().toJson().dump());
  }
}
