#include "viewer/core/pane_awaiting_state.h"

#include <gtest/gtest.h>

#include "control_plane/core/pane_entry.h"

#include "tests/viewer/core/awaiting_marker_text.h"

namespace vesket::viewer {
namespace {

using namespace std::chrono_literals;
namespace S = PaneAwaitingSweep;
using testing::approvalMarker;
using testing::resolvedMarker;

TEST(PaneAwaitingSweep, DelayGrowsWithThePaneList) {
  EXPECT_EQ(S::sweepDelay(S::kDefaultPollInterval, 0), 1500ms);
  EXPECT_EQ(S::sweepDelay(S::kDefaultPollInterval, 12), 1500ms);
  EXPECT_EQ(S::sweepDelay(S::kDefaultPollInterval, 13), 1625ms);
  EXPECT_EQ(S::sweepDelay(S::kDefaultPollInterval, 40), 5000ms);
  EXPECT_EQ(S::sweepDelay(10s, 40), 10s);
}

TEST(PaneAwaitingSweep, OutcomeOfOneCapture) {
  const std::string marker = approvalMarker("q1", "Proceed?", R"(["Yes","No"])", "yes-no");
  EXPECT_EQ(S::outcome(std::nullopt), DetectOutcome::keep());
  EXPECT_EQ(S::outcome(std::string()), DetectOutcome::keep());
  EXPECT_EQ(S::outcome(std::string("$ ls\n")), DetectOutcome::notAwaiting());
  const DetectOutcome awaiting = S::outcome(marker);
  ASSERT_EQ(awaiting.kind, DetectOutcome::Kind::awaiting);
  EXPECT_EQ(awaiting.prompt->id, "q1");
  EXPECT_EQ(S::outcome(marker + resolvedMarker("q1")), DetectOutcome::notAwaiting());
}

AwaitingPrompt prompt(std::string id, std::string question = "q") {
  return AwaitingPrompt{std::move(id), std::move(question), {}, ApprovalSelectionStyle::attention,
                        std::nullopt};
}

TEST(PaneAwaitingState, SweepsUpdateBadgesAndPublishSetChanges) {
  PaneAwaitingState state;
  state.setPaneIds({"%1", "%2", "%3"});

  // %1 asks, %2 has nothing, %3 failed to capture.
  state.apply({{"%1", DetectOutcome::awaiting(prompt("a"))},
               {"%2", DetectOutcome::notAwaiting()},
               {"%3", DetectOutcome::keep()}});
  EXPECT_TRUE(state.publish());
  EXPECT_EQ(state.awaitingPaneIds(), (std::set<std::string>{"%1"}));
  EXPECT_TRUE(state.isAwaiting("%1"));
  EXPECT_FALSE(state.isAwaiting("%3"));

  // A failed capture keeps the badge; a new question on the same pane is not a set change,
  // but the published prompt follows it.
  state.apply({{"%1", DetectOutcome::keep()}, {"%3", DetectOutcome::awaiting(prompt("c"))}});
  EXPECT_TRUE(state.publish());
  state.apply({{"%1", DetectOutcome::awaiting(prompt("a", "new question"))}});
  EXPECT_FALSE(state.publish());
  EXPECT_EQ(state.prompts().at("%1").question, "new question");

  // A capture without markers clears the badge.
  state.apply({{"%1", DetectOutcome::notAwaiting()}});
  EXPECT_TRUE(state.publish());
  EXPECT_EQ(state.awaitingPaneIds(), (std::set<std::string>{"%3"}));

  // Later outcomes of the same pane in one sweep win.
  state.apply({{"%2", DetectOutcome::awaiting(prompt("b"))}, {"%2", DetectOutcome::notAwaiting()}});
  EXPECT_FALSE(state.publish());
}

TEST(PaneAwaitingState, SetPaneIdsDropsPanesThatLeft) {
  PaneAwaitingState state;
  state.apply({{"%1", DetectOutcome::awaiting(prompt("a"))},
               {"%2", DetectOutcome::awaiting(prompt("b"))}});
  state.publish();
  EXPECT_FALSE(state.setPaneIds({"%2", "%1", "%9"}));  // reordered, nothing dropped
  EXPECT_TRUE(state.setPaneIds({"%2"}));
  EXPECT_EQ(state.lastKnown().size(), 1u);
  EXPECT_TRUE(state.publish());
  EXPECT_EQ(state.awaitingPaneIds(), (std::set<std::string>{"%2"}));
}


TEST(PaneAwaitingState, AgentPromptsMergeWithMarkersAndADialogWins) {
  control_plane::AgentPromptRow row{"claude:x-1", "permission", "Claude Code wants to use Bash: make\nDo you want to proceed?",
                                    {{1, "Yes", "1"}, {2, "No", "2"}}, "numbered", "claude-hook", 1.0};
  const AgentReportedPrompt dialog = AgentReportedPrompt::fromRow(row);
  EXPECT_EQ(dialog.prompt.options[1], (ApprovalOption{2, "No", "2"}));
  EXPECT_FALSE(dialog.waitingForMessage);
  row.kind = "waiting";
  row.style = "no-such-style";
  row.options.clear();
  const AgentReportedPrompt waiting = AgentReportedPrompt::fromRow(row);
  EXPECT_EQ(waiting.prompt.selectionStyle, ApprovalSelectionStyle::freeTextPrompt);

  PaneAwaitingState state;
  state.apply({{"%1", DetectOutcome::awaiting(prompt("marker1"))}, {"%2", DetectOutcome::awaiting(prompt("marker2"))}});
  EXPECT_TRUE(state.setAgentPrompts({{"%1", dialog}, {"%2", waiting}, {"%3", waiting}}));
  EXPECT_FALSE(state.setAgentPrompts({{"%1", dialog}, {"%2", waiting}, {"%3", waiting}}));
  EXPECT_TRUE(state.publish());
  EXPECT_EQ(state.prompts().at("%1").id, "claude:x-1");  // the agent's dialog over the marker
  EXPECT_EQ(state.prompts().at("%2").id, "marker2");     // the marker over an agent that idles
  EXPECT_EQ(state.awaitingPaneIds(), (std::set<std::string>{"%1", "%2", "%3"}));

  // Each source ends on its own: a sweep without markers leaves the agents' prompts.
  state.apply({{"%1", DetectOutcome::notAwaiting()}, {"%2", DetectOutcome::notAwaiting()}});
  EXPECT_FALSE(state.publish());
  EXPECT_EQ(state.prompts().at("%2").id, waiting.prompt.id);
  state.setAgentPrompts({});
  EXPECT_TRUE(state.publish());
  EXPECT_TRUE(state.awaitingPaneIds().empty());
}

}  // namespace
}  // namespace vesket::viewer
