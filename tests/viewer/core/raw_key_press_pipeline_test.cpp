#include "viewer/core/raw_key_press_pipeline.h"

#include <gtest/gtest.h>

namespace vesket::viewer {
namespace {

TerminalKeyEvent press(std::string characters, double atMs, bool repeat = false) {
  TerminalKeyEvent event;
  event.characters = characters;
  event.charactersIgnoringModifiers = std::move(characters);
  event.timestampMs = atMs;
  event.isRepeat = repeat;
  return event;
}

using Outcome = RawKeyPressPipeline::Outcome;

TEST(RawKeyPressPipeline, DuplicatesDroppedRepeatsPacedBySetting) {
  std::optional<double> setting;  // unset: 80 ms
  RawKeyPressPipeline pipeline([&] { return setting; }, 0.03);  // duplicate window 15 ms

  EXPECT_EQ(pipeline.handle(press("a", 1000), false), (Outcome{"a", {}}));
  EXPECT_EQ(pipeline.handle(press("a", 1005), false), (Outcome{std::nullopt, "duplicate-filter"}));
  EXPECT_EQ(pipeline.handle(press("a", 1006, true), false), (Outcome{"a", {}}));
  EXPECT_EQ(pipeline.handle(press("a", 1050, true), false),
            (Outcome{std::nullopt, "held-key-throttle"}));
  EXPECT_EQ(pipeline.handle(press("a", 1086, true), false), (Outcome{"a", {}}));

  setting = 1000;  // clamped to 500, read on the next repeat
  EXPECT_EQ(pipeline.handle(press("a", 1200, true), false),
            (Outcome{std::nullopt, "held-key-throttle"}));
  EXPECT_DOUBLE_EQ(pipeline.throttle().minIntervalMs, 500);
  EXPECT_EQ(pipeline.handle(press("a", 1586, true), false), (Outcome{"a", {}}));

  // Nothing encoded: nothing sent, nothing dropped.
  EXPECT_EQ(pipeline.handle(press("", 2000), false), (Outcome{}));
}

}  // namespace
}  // namespace vesket::viewer
