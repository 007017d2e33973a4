#include "daemon/core/pane_activity_tracker.h"

#include <gtest/gtest.h>

namespace vesket::daemon {
namespace {

TEST(PaneActivityTracker, LevelsOverTime) {
  // Window 5 s, heavy at 4096 B/s (20480 bytes in the window), stale after 30 min.
  PaneActivityTracker tracker;
  const std::int64_t t0 = 1'000'000;
  struct Step {
    const char* what;
    std::int64_t atMs;
    std::size_t bytes;  // recorded at atMs before classifying
    const char* level;
  };
  const std::vector<Step> steps = {
      {"nothing known", t0, 0, "idle"},
      {"a spinner frame", t0 + 100, 40, "light"},
      {"spinner keeps going", t0 + 2000, 400, "light"},
      {"a burst of text", t0 + 2500, 21000, "heavy"},
      {"burst still within the window", t0 + 7400, 0, "heavy"},
      {"burst aged out, a little output since", t0 + 7800, 10, "light"},
      {"all output older than the window", t0 + 13000, 0, "idle"},
      {"almost stale", t0 + 7800 + 30 * 60 * 1000 - 1, 0, "idle"},
      {"stale", t0 + 7800 + 30 * 60 * 1000, 0, "stale"},
      {"output revives it", t0 + 7900 + 30 * 60 * 1000, 10, "light"},
  };
  for (const auto& s : steps) {
    tracker.record("%1", s.bytes, s.atMs);
    EXPECT_EQ(tracker.classify("%1", s.atMs), s.level) << s.what;
  }
}

TEST(PaneActivityTracker, ActivityKnownFromElsewhere) {
  PaneActivityTracker tracker;
  const std::int64_t now = 50'000'000;
  EXPECT_EQ(tracker.classify("%2", now, now - 1000), "light");
  EXPECT_EQ(tracker.classify("%2", now, now - 60'000), "idle");
  EXPECT_EQ(tracker.classify("%2", now, now - 31 * 60 * 1000), "stale");
  // The later of the two times counts.
  tracker.record("%2", 10, now - 60'000);
  EXPECT_EQ(tracker.classify("%2", now, now - 31 * 60 * 1000), "idle");
}

TEST(PaneActivityTracker, PanesAreSeparateAndForgotten) {
  PaneActivityTracker tracker;
  tracker.record("%1", 30000, 1000);
  tracker.record("%2", 5, 1000);
  EXPECT_EQ(tracker.classify("%1", 1000), "heavy");
  EXPECT_EQ(tracker.classify("%2", 1000), "light");
  EXPECT_EQ(tracker.recentBytes("%1", 1000), 30000u);
  tracker.retain({"%2"});
  EXPECT_EQ(tracker.classify("%1", 1000), "idle");
  EXPECT_EQ(tracker.recentBytes("%2", 1000), 5u);
}

}  // namespace
}  // namespace vesket::daemon
