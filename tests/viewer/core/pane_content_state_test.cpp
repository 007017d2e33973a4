#include "viewer/core/pane_content_state.h"

#include <gtest/gtest.h>

#include "tests/viewer/core/awaiting_marker_text.h"
#include "viewer/core/fit_width.h"
#include "viewer/core/local_account_verification.h"

namespace vesket::viewer {
namespace {

using namespace std::chrono_literals;
using Change = LineDiffer::Change;
namespace P = PaneContentPolling;

const std::string kBox = "╭" + std::string() + "──────────────────╮\n│ ❯ │\n╰──────────────────╯\n? for shortcuts\n";

TEST(PaneContentState, FirstCaptureAfterResetAppendsEverything) {
  PaneContentState state(500);
  EXPECT_EQ(state.loadPhase(), LoadPhase::loading);
  const auto reset = state.reset();
  EXPECT_EQ(reset.change, Change::replace({}));
  EXPECT_FALSE(reset.captureHealthChanged);  // already waiting

  const auto first = state.ingest("hello\nworld");
  EXPECT_EQ(first.change, Change::append({"hello", "world"}, 0));
  EXPECT_TRUE(first.isEmptyChanged);
  EXPECT_TRUE(first.loadPhaseChanged);
  EXPECT_TRUE(first.captureHealthChanged);
  EXPECT_EQ(state.loadPhase(), LoadPhase::loaded);
  EXPECT_EQ(state.captureHealth(), CaptureHealth::live);
  EXPECT_FALSE(state.isEmpty());

  // The same raw text again is nothing new.
  const auto again = state.ingest("hello\nworld");
  EXPECT_EQ(again.change, Change::none());
  EXPECT_FALSE(again.loadPhaseChanged || again.captureHealthChanged || again.isEmptyChanged);

  // A reset after content clears everything and announces it.
  const auto cleared = state.reset();
  EXPECT_TRUE(cleared.isEmptyChanged && cleared.loadPhaseChanged && cleared.captureHealthChanged);
  EXPECT_EQ(state.loadPhase(), LoadPhase::loading);
  EXPECT_FALSE(state.hasCaptured());
}

TEST(PaneContentState, BlankCaptureIsEmptyNotLoading) {
  PaneContentState state;
  state.ingest(" \n\t\n");
  EXPECT_EQ(state.loadPhase(), LoadPhase::empty);
  EXPECT_TRUE(state.hasCaptured());
}

TEST(PaneContentState, InputBoxIsHiddenButAwaitingRunsOnRawText) {
  PaneContentState state;
  const std::string marker = testing::approvalMarker("p", "Go?", "[]", "attention");
  const auto first = state.ingest("output\n" + marker + "\n" + kBox);
  EXPECT_EQ(first.change, Change::append({"output", marker, ""}, 0));
  EXPECT_TRUE(first.awaitingChanged);
  ASSERT_TRUE(state.awaitingPrompt());
  EXPECT_EQ(state.awaitingPrompt()->id, "p");

  // Only the box changed: new raw text, but nothing for the view and the same prompt.
  std::string typed = kBox;
  typed.replace(typed.find("❯ "), 4, "❯ y");
  const auto second = state.ingest("output\n" + marker + "\n" + typed);
  EXPECT_EQ(second.change, Change::none());
  EXPECT_FALSE(second.awaitingChanged);
  EXPECT_EQ(state.lastRawCapture(), "output\n" + marker + "\n" + typed);

  // The marker resolves: the prompt goes.
  const auto third = state.ingest("output\n" + marker + "\n" + testing::resolvedMarker("p") + "\n");
  EXPECT_TRUE(third.awaitingChanged);
  EXPECT_FALSE(state.awaitingPrompt());

  // With the box shown, the box lines reach the view.
  PaneContentState shown;
  shown.hideAgentInputChrome = false;
  EXPECT_EQ(shown.ingest("output\n" + kBox).change.lines.size(), 6u);
}

TEST(PaneContentState, FailuresKeepTheBufferAndReportHealthOnce) {
  PaneContentState state;
  state.ingest("a");
  EXPECT_TRUE(state.captureFailed().captureHealthChanged);
  EXPECT_FALSE(state.captureFailed().captureHealthChanged);
  EXPECT_EQ(state.captureHealth(), CaptureHealth::retrying);
  EXPECT_TRUE(state.canResync());
  EXPECT_EQ(state.resyncChange(), Change::replace({"a"}));
  EXPECT_TRUE(state.ingest("a").captureHealthChanged);  // back to live, same text
  EXPECT_EQ(state.captureHealth(), CaptureHealth::live);
}

// The reader is told, step by step, whether the text is loading, unreadable, blank, current
// or stale.
TEST(PaneContentState, FeedTellsLoadingFailedEmptyLiveAndStale) {
  PaneContentState state;
  auto feed = [&] { return paneTextFeedOf(state.loadPhase(), state.captureHealth()); };
  state.reset();
  EXPECT_EQ(feed(), PaneTextFeed::loading);
  state.captureFailed();
  EXPECT_EQ(feed(), PaneTextFeed::failed) << "nothing was ever read";
  state.ingest("  \n\t\n");
  EXPECT_EQ(feed(), PaneTextFeed::empty);
  state.ingest("$ make\nok");
  EXPECT_EQ(feed(), PaneTextFeed::live);
  state.captureFailed();
  EXPECT_EQ(feed(), PaneTextFeed::stale) << "the old text stays but is no longer current";
  state.ingest("$ make\nok");
  EXPECT_EQ(feed(), PaneTextFeed::live) << "the same text read again is current again";
  state.reset();
  EXPECT_EQ(feed(), PaneTextFeed::loading) << "a new selection starts afresh, not retrying";
}

TEST(PaneContentState, ClearAwaiting) {
  PaneContentState state;
  state.ingest(testing::needsYouSignal("review", "look", "w"));
  EXPECT_TRUE(state.awaitingPrompt());
  EXPECT_TRUE(state.clearAwaiting().awaitingChanged);
  EXPECT_FALSE(state.clearAwaiting().awaitingChanged);
}

TEST(PaneContentPolling, Intervals) {
  EXPECT_EQ(P::captureTimeout(false), 2000ms);
  EXPECT_EQ(P::captureTimeout(true), std::nullopt);
  EXPECT_EQ(P::delayAfterSuccess(PaneActivity::running), 350ms);
  EXPECT_EQ(P::delayAfterSuccess(PaneActivity::idle), 2000ms);
  EXPECT_EQ(P::delayAfterFailure(PaneActivity::idle, false), 250ms);
  EXPECT_EQ(P::delayAfterFailure(PaneActivity::idle, true), 2000ms);
  EXPECT_EQ(P::delayAfterFailure(PaneActivity::running, true), 350ms);
}

TEST(KickLimiter, DropsKicksCloserThan150ms) {
  KickLimiter limiter;
  const auto t0 = std::chrono::steady_clock::time_point{} + 10s;
  EXPECT_TRUE(limiter.admit(t0));
  EXPECT_FALSE(limiter.admit(t0 + 100ms));
  EXPECT_FALSE(limiter.admit(t0 + 149ms));  // measured from the last admitted kick
  EXPECT_TRUE(limiter.admit(t0 + 150ms));
  EXPECT_EQ(limiter.lastKickAt(), t0 + 150ms);
}

TEST(FitWidth, Cols) {
  EXPECT_EQ(FitWidth::cols(700, 7), 100);
  EXPECT_EQ(FitWidth::cols(200, 7), 40);
  EXPECT_EQ(FitWidth::cols(7000, 7), 400);
  EXPECT_EQ(FitWidth::cols(706.9, 7), 100);
  EXPECT_EQ(FitWidth::cols(0, 7), std::nullopt);
  EXPECT_EQ(FitWidth::cols(700, 0), std::nullopt);
  EXPECT_EQ(FitWidth::cols(-700, -7), std::nullopt);
}

TEST(FitWidthMode, IdsLabelsColumns) {
  std::vector<std::string> ids, labels;
  for (FitWidthMode mode : FitWidthModes::kAll) {
    ids.emplace_back(FitWidthModes::id(mode));
    labels.emplace_back(FitWidthModes::label(mode));
    EXPECT_EQ(FitWidthModes::fromId(FitWidthModes::id(mode)), mode);
  }
  EXPECT_EQ(ids, (std::vector<std::string>{"off", "fit", "cols80", "cols120", "cols160"}));
  EXPECT_EQ(labels, (std::vector<std::string>{"Off", "Fit", "80", "120", "160"}));
  EXPECT_EQ(FitWidthModes::fixedColumns(FitWidthMode::fit), std::nullopt);
  EXPECT_EQ(FitWidthModes::fixedColumns(FitWidthMode::cols120), 120);
  EXPECT_EQ(FitWidthModes::fromId("Cols80"), std::nullopt);
}

TEST(LocalAccountVerification, Verdicts) {
  using V = LocalAccountVerdict;
  namespace L = LocalAccountVerification;
  EXPECT_EQ(L::evaluate(true, true, "u1", "u1"), V::verified);
  EXPECT_EQ(L::evaluate(true, true, "u1", "u2"), V::mismatch);
  EXPECT_EQ(L::evaluate(false, true, "u1", "u1"), V::unreachable);
  EXPECT_EQ(L::evaluate(true, false, "u1", "u1"), V::unreachable);
  EXPECT_EQ(L::evaluate(true, true, std::nullopt, "u1"), V::unreachable);
  EXPECT_EQ(L::evaluate(true, true, "u1", std::nullopt), V::unreachable);
}

}  // namespace
}  // namespace vesket::viewer
