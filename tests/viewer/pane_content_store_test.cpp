#include "viewer/pane_content_store.h"

#include <gtest/gtest.h>

#include "tests/support/event_loop.h"
#include "tests/viewer/core/awaiting_marker_text.h"
#include "tests/viewer/scripted_pane_content_source.h"

namespace vesket::viewer {
namespace {

using namespace std::chrono_literals;
using Change = LineDiffer::Change;
using vesket::testing::spinFor;
using vesket::testing::waitUntil;
using testing::ScriptedPaneContentSource;

class PaneContentStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store = std::make_unique<PaneContentStore>(source, 500);
    store->runningInterval = 20ms;
    store->idleInterval = 20ms;
    store->onChange = [this](const Change& change) { changes.push_back(change); };
    store->onCaptureHealthChange = [this](CaptureHealth health) { healths.push_back(health); };
    store->onLoadPhaseChange = [this](LoadPhase phase) { phases.push_back(phase); };
    store->onAwaitingChange = [this](const std::optional<AwaitingPrompt>& prompt) {
      prompts.push_back(prompt);
    };
  }

  std::shared_ptr<ScriptedPaneContentSource> source = std::make_shared<ScriptedPaneContentSource>();
  std::unique_ptr<PaneContentStore> store;
  std::vector<Change> changes;
  std::vector<CaptureHealth> healths;
  std::vector<LoadPhase> phases;
  std::vector<std::optional<AwaitingPrompt>> prompts;
};

TEST_F(PaneContentStoreTest, SelectResetsThenAppendsTheFirstCapture) {
  source->texts["%1"] = "one\ntwo";
  store->select("%1");
  ASSERT_FALSE(changes.empty());
  EXPECT_EQ(changes.front(), Change::replace({}));
  ASSERT_TRUE(waitUntil([&] { return changes.size() >= 2; }));
  EXPECT_EQ(changes[1], Change::append({"one", "two"}, 0));
  EXPECT_EQ(store->loadPhase(), LoadPhase::loaded);
  EXPECT_EQ(healths, (std::vector<CaptureHealth>{CaptureHealth::live}));
  EXPECT_EQ(phases, (std::vector<LoadPhase>{LoadPhase::loaded}));

  // Unchanged captures produce no further changes; new lines are appended.
  spinFor(100);
  EXPECT_EQ(changes.size(), 2u);
  source->texts["%1"] = "two\nthree";
  ASSERT_TRUE(waitUntil([&] { return changes.size() >= 3; }));
  EXPECT_EQ(changes[2], Change::append({"three"}, 0));

  // The first capture of a selection has a 2 s limit, later ones none.
  EXPECT_EQ(source->calls.front().timeout, 2.0);
  EXPECT_EQ(source->calls.back().timeout, std::nullopt);

  // Selecting the same pane again does nothing.
  const std::size_t before = changes.size();
  store->select("%1");
  EXPECT_EQ(changes.size(), before);
}

TEST_F(PaneContentStoreTest, FailuresKeepTheTextAndRetry) {
  source->texts["%1"] = "kept";
  store->select("%1");
  ASSERT_TRUE(waitUntil([&] { return store->captureHealth() == CaptureHealth::live; }));
  source->texts["%1"] = std::nullopt;
  ASSERT_TRUE(waitUntil([&] { return store->captureHealth() == CaptureHealth::retrying; }));
  spinFor(100);  // several failures, one health change
  EXPECT_EQ(healths, (std::vector<CaptureHealth>{CaptureHealth::live, CaptureHealth::retrying}));
  EXPECT_EQ(store->differ().lines(), (std::vector<std::string>{"kept"}));
  source->texts["%1"] = "kept";
  ASSERT_TRUE(waitUntil([&] { return store->captureHealth() == CaptureHealth::live; }));
  EXPECT_EQ(changes.size(), 2u);  // the reset and the first capture only
}

TEST_F(PaneContentStoreTest, FailingFirstCaptureRetriesQuicklyWithTheLimit) {
  source->texts["%1"] = std::nullopt;
  store->runningInterval = 5s;  // failures before any success do not wait for it
  store->select("%1");
  ASSERT_TRUE(waitUntil([&] { return source->calls.size() >= 3; }, 2000));
  for (const auto& call : source->calls) EXPECT_EQ(call.timeout, 2.0);
  EXPECT_EQ(store->loadPhase(), LoadPhase::loading);
  EXPECT_EQ(store->captureHealth(), CaptureHealth::retrying);
}

TEST_F(PaneContentStoreTest, KicksWithin150msRestartPollingOnce) {
  auto clock = std::chrono::steady_clock::time_point{} + 100s;
  store->now = [&] { return clock; };
  store->runningInterval = 10s;  // only kicks capture again
  source->texts["%1"] = "a";
  store->select("%1");
  ASSERT_TRUE(waitUntil([&] { return source->calls.size() == 1 && store->hasCaptured(); }));
  store->kickImmediateCapture();
  clock += 100ms;
  store->kickImmediateCapture();  // dropped
  ASSERT_TRUE(waitUntil([&] { return source->calls.size() == 2; }));
  spinFor(100);
  EXPECT_EQ(source->calls.size(), 2u);
  clock += 60ms;  // 0.16 s after the first kick
  store->kickImmediateCapture();
  ASSERT_TRUE(waitUntil([&] { return source->calls.size() == 3; }));
}

TEST_F(PaneContentStoreTest, AwaitingPromptFromTheRawCapture) {
  source->texts["%1"] = "work\n" + testing::approvalMarker("p", "Continue?", "[]", "attention") + "\n";
  store->select("%1");
  ASSERT_TRUE(waitUntil([&] { return store->awaitingPrompt().has_value(); }));
  EXPECT_EQ(store->awaitingPrompt()->id, "p");
  store->clearAwaiting();
  EXPECT_FALSE(store->awaitingPrompt());
  ASSERT_EQ(prompts.size(), 2u);
  EXPECT_FALSE(prompts.back());
}

TEST_F(PaneContentStoreTest, ResyncRedrawsOrStartsAfresh) {
  source->texts["%1"] = "x\ny";
  store->resync();  // nothing selected, nothing captured: nothing to do
  EXPECT_TRUE(changes.empty());
  store->select("%1");
  ASSERT_TRUE(waitUntil([&] { return store->hasCaptured(); }));
  changes.clear();
  store->resync();
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0], Change::replace({"x", "y"}));

  store->forceRefresh();
  EXPECT_EQ(changes.back(), Change::replace({}));
  ASSERT_TRUE(waitUntil([&] { return changes.back().kind == Change::Kind::append; }));
  EXPECT_EQ(changes.back(), Change::append({"x", "y"}, 0));
}

TEST_F(PaneContentStoreTest, ChangingSelectionEndsTheOldLoop) {
  source->texts["%1"] = "one";
  source->texts["%2"] = "two";
  store->select("%1");
  ASSERT_TRUE(waitUntil([&] { return store->hasCaptured(); }));
  store->select("%2");
  ASSERT_TRUE(waitUntil([&] { return store->hasCaptured(); }));
  EXPECT_EQ(store->differ().lines(), (std::vector<std::string>{"two"}));
  spinFor(60);
  const std::size_t firstPane = static_cast<std::size_t>(
      std::count_if(source->calls.begin(), source->calls.end(), [](const auto& c) { return c.paneId == "%1"; }));
  spinFor(100);
  EXPECT_EQ(std::count_if(source->calls.begin(), source->calls.end(), [](const auto& c) { return c.paneId == "%1"; }),
            static_cast<std::ptrdiff_t>(firstPane));

  store->select(std::nullopt);
  const std::size_t calls = source->calls.size();
  spinFor(100);
  EXPECT_LE(source->calls.size(), calls + 1);  // at most the capture that was in flight
  EXPECT_FALSE(store->isPolling());
}

}  // namespace
}  // namespace vesket::viewer
