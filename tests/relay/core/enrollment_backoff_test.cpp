#include <gtest/gtest.h>

#include "relay/core/enrollment_backoff.h"

namespace vesket::relay {
namespace {

TEST(EnrollmentBackoffTest, PendingAnswersAreReusedForAWindowThatDoublesUpToTenMinutes) {
  const std::pair<int, double> windows[] = {{0, 30}, {1, 30}, {2, 60}, {3, 120}, {5, 480}, {6, 600}, {9, 600}, {400, 600}};
  for (const auto& [streak, seconds] : windows) EXPECT_EQ(EnrollmentBackoff::window(streak), seconds) << streak;

  EnrollmentPendingBackoff<std::string> table;
  EXPECT_FALSE(table.recent("relay|dev", 0));
  table.record("relay|dev", "first", true, 1000);  // streak 1: 30 s
  EXPECT_EQ(table.recent("relay|dev", 1029.9), "first");
  EXPECT_FALSE(table.recent("relay|dev", 1030));
  EXPECT_FALSE(table.recent("other|dev", 1001));
  table.record("relay|dev", "second", true, 1030);  // streak 2: 60 s
  table.record("relay|dev", "third", true, 1100);   // streak 3: 120 s
  EXPECT_EQ(table.recent("relay|dev", 1219), "third");
  EXPECT_FALSE(table.recent("relay|dev", 1220));
  // An answer that is not pending ends the streak: the next pending one starts at 30 s.
  table.record("relay|dev", "approved", false, 1300);
  EXPECT_FALSE(table.recent("relay|dev", 1300));
  table.record("relay|dev", "again", true, 1400);
  EXPECT_FALSE(table.recent("relay|dev", 1430));
  table.record("relay|dev", "kept", true, 1500);
  table.reset();
  EXPECT_FALSE(table.recent("relay|dev", 1501));
}

TEST(EnrollmentBackoffTest, RetryGateNamesWholeSecondsAndReadsItsOwnMessages) {
  EXPECT_EQ(EnrollmentRetryGate::remainingSeconds(1012.2, 1000), 13);
  EXPECT_EQ(EnrollmentRetryGate::remainingSeconds(1000.3, 1000), 1);
  EXPECT_FALSE(EnrollmentRetryGate::remainingSeconds(1000, 1000));
  EXPECT_FALSE(EnrollmentRetryGate::remainingSeconds(900, 1000));

  EXPECT_EQ(EnrollmentRetryGate::rateLimitedMessage(13), "rate_limited; retry after 13 seconds");
  EXPECT_EQ(EnrollmentRetryGate::secondsIn("rate_limited; retry after 13 seconds"), 13);
  EXPECT_FALSE(EnrollmentRetryGate::secondsIn("rate_limited"));
  EXPECT_FALSE(EnrollmentRetryGate::secondsIn("rate_limited; retry after soon"));
  EXPECT_FALSE(EnrollmentRetryGate::secondsIn("rate_limited; retry after 5 minutes"));

  EXPECT_EQ(EnrollmentRetryGate::parseRetryAfter("42"), 42.0);
  EXPECT_EQ(EnrollmentRetryGate::parseRetryAfter(" 1.5 "), 1.5);
  EXPECT_FALSE(EnrollmentRetryGate::parseRetryAfter(""));
  EXPECT_FALSE(EnrollmentRetryGate::parseRetryAfter("-3"));
  EXPECT_FALSE(EnrollmentRetryGate::parseRetryAfter("Wed, 21 Oct 2015 07:28:00 GMT"));
  EXPECT_FALSE(EnrollmentRetryGate::parseRetryAfter("inf"));
}

}  // namespace
}  // namespace vesket::relay
