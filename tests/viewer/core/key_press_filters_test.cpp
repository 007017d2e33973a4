#include <gtest/gtest.h>

#include "viewer/core/duplicate_key_press_filter.h"
#include "viewer/core/held_key_repeat_throttle.h"

namespace vesket::viewer {
namespace {

TEST(DuplicateKeyPressFilter, SamePressTwiceWithinThresholdIsSentOnce) {
  DuplicateKeyPressFilter filter;
  filter.thresholdMs = DuplicateKeyPressFilter::thresholdForRepeatInterval(0.03);  // 15 ms
  EXPECT_TRUE(filter.admit("a", 1000, false));
  EXPECT_FALSE(filter.admit("a", 1005, false));
  // The dropped press is not recorded: the window still counts from the first.
  EXPECT_FALSE(filter.admit("a", 1014.9, false));
  EXPECT_TRUE(filter.admit("a", 1015, false));
  EXPECT_TRUE(filter.admit("b", 1016, false));
  ASSERT_TRUE(filter.last);
  EXPECT_EQ(*filter.last, (DuplicateKeyPressFilter::LastEmission{"b", 1016, "rawEncoder", false}));
}

TEST(DuplicateKeyPressFilter, RepeatsAndClockStepsBackAreNeverDropped) {
  DuplicateKeyPressFilter filter;
  filter.thresholdMs = 20;
  EXPECT_TRUE(filter.admit("x", 500, false));
  EXPECT_TRUE(filter.admit("x", 501, true));
  EXPECT_TRUE(filter.last->wasOSRepeat);
  EXPECT_TRUE(filter.admit("x", 400, false));  // negative elapsed time
}

TEST(DuplicateKeyPressFilter, ThresholdIsHalfTheRepeatIntervalClamped) {
  EXPECT_DOUBLE_EQ(DuplicateKeyPressFilter::thresholdForRepeatInterval(0.03), 15);
  EXPECT_DOUBLE_EQ(DuplicateKeyPressFilter::thresholdForRepeatInterval(0.001), 8);
  EXPECT_DOUBLE_EQ(DuplicateKeyPressFilter::thresholdForRepeatInterval(0.5), 20);
}

TEST(HeldKeyRepeatThrottle, IntervalFromSetting) {
  struct Case {
    std::optional<double> setting;
    double interval;
  };
  for (const Case& c : {Case{std::nullopt, 80}, Case{0, 80}, Case{-5, 80}, Case{1000, 500},
                        Case{0.5, 1}, Case{33, 33}}) {
    EXPECT_DOUBLE_EQ(HeldKeyRepeatThrottle::intervalFromSetting(c.setting), c.interval)
        << c.setting.value_or(-1);
  }
}

TEST(HeldKeyRepeatThrottle, RepeatsArePacedAndAFreshPressResets) {
  HeldKeyRepeatThrottle throttle;  // 80 ms
  EXPECT_TRUE(throttle.admit(false, 0));
  EXPECT_TRUE(throttle.admit(true, 30));
  EXPECT_FALSE(throttle.admit(true, 60));
  EXPECT_FALSE(throttle.admit(true, 109));
  EXPECT_TRUE(throttle.admit(true, 110));
  EXPECT_TRUE(throttle.admit(false, 120));
  EXPECT_FALSE(throttle.lastRepeatEmissionMs);
  EXPECT_TRUE(throttle.admit(true, 125));  // first repeat after a fresh press
  EXPECT_TRUE(throttle.admit(true, 100));  // clock went back: sent
}

}  // namespace
}  // namespace vesket::viewer
