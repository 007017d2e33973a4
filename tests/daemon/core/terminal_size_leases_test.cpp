#include "daemon/core/terminal_size_leases.h"

#include <gtest/gtest.h>

using namespace vesket::daemon;
using Leases = TerminalSizeLeases;
using Kind = Leases::Action::Kind;

namespace {
Leases::Action apply(const char* window, int cols, int rows) { return {Kind::apply, window, {cols, rows}}; }
const Leases::Action kNothing{};
}  // namespace

TEST(TerminalSizeLeases, OneViewerResizesAndHandsTheSizeBack) {
  Leases leases;
  EXPECT_EQ(leases.acquire("@1", "local-a", {100, 30}, std::nullopt), apply("@1", 100, 30));
  EXPECT_TRUE(leases.holds("local-a"));
  EXPECT_EQ(leases.resize("local-a", {120, 40}), apply("@1", 120, 40));
  EXPECT_EQ(leases.resize("local-a", {120, 40}), kNothing) << "same size, nothing to do";
  EXPECT_EQ(leases.release("local-a"), (Leases::Action{Kind::restoreAuto, "@1", {}}));
  EXPECT_FALSE(leases.holds("local-a"));
  EXPECT_EQ(leases.release("local-a"), kNothing) << "a second release does nothing";
  EXPECT_EQ(leases.resize("local-a", {1, 1}), kNothing) << "no lease, no resize";
}

TEST(TerminalSizeLeases, AFixedSizeIsRestoredAsItWas) {
  Leases leases;
  leases.acquire("@2", "local-a", {100, 30}, Leases::Size{80, 24});
  // A later lease's reading of the window (now 100x30) must not replace the original.
  leases.acquire("@2", "local-b", {90, 20}, Leases::Size{100, 30});
  leases.release("local-a");
  EXPECT_EQ(leases.release("local-b"), (Leases::Action{Kind::restoreManual, "@2", {80, 24}}));
}

TEST(TerminalSizeLeases, TheNewestViewerDecidesAndTheNextOneTakesOver) {
  Leases leases;
  EXPECT_EQ(leases.acquire("@1", "a", {100, 30}, std::nullopt), apply("@1", 100, 30));
  EXPECT_EQ(leases.acquire("@1", "b", {80, 24}, std::nullopt), apply("@1", 80, 24));
  EXPECT_EQ(leases.acquire("@1", "c", {80, 24}, std::nullopt), kNothing) << "already that size";
  EXPECT_EQ(leases.leaseCount("@1"), 3u);
  // a resizes: it is the newest now.
  EXPECT_EQ(leases.resize("a", {132, 50}), apply("@1", 132, 50));
  // Releasing an older lease changes nothing; releasing the newest hands over to the next.
  EXPECT_EQ(leases.release("b"), kNothing);
  EXPECT_EQ(leases.release("a"), apply("@1", 80, 24));
  EXPECT_EQ(leases.acquire("@1", "c", {81, 25}, std::nullopt), apply("@1", 81, 25)) << "re-acquire resizes";
  EXPECT_EQ(leases.leaseCount("@1"), 1u);
  EXPECT_EQ(leases.release("c"), (Leases::Action{Kind::restoreAuto, "@1", {}}));
  EXPECT_EQ(leases.leaseCount("@1"), 0u);
}

TEST(TerminalSizeLeases, WindowsAreIndependent) {
  Leases leases;
  leases.acquire("@1", "a", {100, 30}, std::nullopt);
  EXPECT_EQ(leases.acquire("@2", "b", {100, 30}, Leases::Size{50, 10}), apply("@2", 100, 30));
  EXPECT_EQ(leases.release("a"), (Leases::Action{Kind::restoreAuto, "@1", {}}));
  EXPECT_EQ(leases.leaseCount("@2"), 1u);
  EXPECT_EQ(leases.release("b"), (Leases::Action{Kind::restoreManual, "@2", {50, 10}}));
}
