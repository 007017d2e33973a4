#include "viewer/core/viewer_state.h"

#include <gtest/gtest.h>

#include "viewer/core/emulator_attach_plan.h"
#include "viewer/core/mac_auto_fit_hysteresis.h"

using namespace vesket::viewer;
using vesket::control_plane::ConnectionState;
using Kind = ViewerState::Kind;

TEST(ViewerStateMachine, FirstApplicableRuleWins) {
  struct Case {
    const char* name;
    ViewerStateInputs in;
    ViewerState expected;
  };
  auto connected = [](bool hasPanes, std::optional<std::string> selected, bool listed, bool running) {
    ViewerStateInputs in;
    in.connection = ConnectionState::connected();
    in.hasPanes = hasPanes;
    in.selectedPaneId = std::move(selected);
    in.selectedIsListed = listed;
    in.selectedIsRunning = running;
    return in;
  };
  ViewerStateInputs corruptWhileReconnecting;
  corruptWhileReconnecting.connection = ConnectionState::reconnecting(3);
  corruptWhileReconnecting.localAccountCorrupt = true;
  ViewerStateInputs mismatchAndUnreachable;
  mismatchAndUnreachable.localAccountMismatch = true;
  mismatchAndUnreachable.localAccountUnreachable = true;
  ViewerStateInputs unreachable;
  unreachable.connection = ConnectionState::connected();
  unreachable.localAccountUnreachable = true;
  unreachable.localAccountUnreachableAttempt = 4;
  ViewerStateInputs reconnecting;
  reconnecting.connection = ConnectionState::reconnecting(2);
  ViewerStateInputs idle;
  ViewerStateInputs unavailable;
  unavailable.connection = ConnectionState::unavailable();

  const std::vector<Case> cases = {
      {"corrupt account beats reconnecting", corruptWhileReconnecting, ViewerState::of(Kind::signedOut)},
      {"mismatch beats unreachable", mismatchAndUnreachable, ViewerState::of(Kind::localAccountMismatch)},
      {"unreachable carries its attempt", unreachable, ViewerState::of(Kind::localAccountUnreachable, 4)},
      {"reconnecting carries its attempt", reconnecting, ViewerState::of(Kind::reconnecting, 2)},
      {"idle shows connecting", idle, ViewerState::of(Kind::connecting)},
      {"unavailable means no daemon", unavailable, ViewerState::of(Kind::daemonNotRunning)},
      {"no panes", connected(false, "%1", false, false), ViewerState::of(Kind::noPanes)},
      {"selected pane gone", connected(true, "%9", false, true), ViewerState::of(Kind::paneEnded)},
      {"no selection, idle", connected(true, std::nullopt, false, false), ViewerState::of(Kind::streamingIdle)},
      {"no selection, running", connected(true, std::nullopt, false, true), ViewerState::of(Kind::streamingRunning)},
      {"selected and running", connected(true, "%1", true, true), ViewerState::of(Kind::streamingRunning)},
  };
  for (const auto& c : cases) EXPECT_EQ(ViewerStateMachine::derive(c.in), c.expected) << c.name;

  EXPECT_TRUE(ViewerState::of(Kind::paneEnded).panesAreKnown());
  EXPECT_FALSE(ViewerState::of(Kind::reconnecting, 1).panesAreKnown());
}

TEST(MacAutoFitHysteresis, EngagesAfterOneSecondAndRestsFiveSecondsBetweenEngagements) {
  MacAutoFitHysteresis h;
  EXPECT_FALSE(h.evaluate(true, true, 0.0));
  EXPECT_FALSE(h.evaluate(true, true, 0.5));
  EXPECT_TRUE(h.evaluate(true, true, 1.0));
  EXPECT_TRUE(h.evaluate(false, true, 1.5)) << "held while it can hold, even if it could not engage";
  EXPECT_FALSE(h.evaluate(false, false, 2.0));
  EXPECT_FALSE(h.evaluate(true, true, 3.0));
  EXPECT_FALSE(h.evaluate(true, true, 4.5));
  EXPECT_FALSE(h.evaluate(true, true, 5.75)) << "less than 5 s after the last engagement";
  EXPECT_TRUE(h.evaluate(true, true, 6.0));
}

TEST(MacAutoFitHysteresis, InterruptedCandidacyStartsOver) {
  MacAutoFitHysteresis h;
  EXPECT_FALSE(h.evaluate(true, true, 0.0));
  EXPECT_FALSE(h.evaluate(false, false, 0.75));
  EXPECT_FALSE(h.evaluate(true, true, 1.0));
  EXPECT_FALSE(h.evaluate(true, true, 1.75));
  EXPECT_TRUE(h.evaluate(true, true, 2.0));
}

TEST(EmulatorAttachPlan, ProtectedAgentGuardsAndRestoresTheWindow) {
  EmulatorAttachPlan plan{"vesket-view-1", "@4", "%7", EmulatorAttachMode::protectedAgent, "latest", 132, 40, "%6"};
  using C = EmulatorAttachPlan::Command;
  EXPECT_EQ(plan.preAttachSizeGuard(), (std::vector<C>{{"resize-window", "-t", "@4", "-x", "132", "-y", "40"}}));
  const auto setup = plan.viewerSessionSetup();
  ASSERT_EQ(setup.size(), 6u);
  EXPECT_EQ(setup[0], (C{"new-session", "-d", "-P", "-F", "#{window_id}", "-s", "vesket-view-1"}));
  EXPECT_EQ(setup[3], (C{"link-window", "-s", "@4", "-t", "vesket-view-1:99"}));
  EXPECT_EQ(setup[4], (C{"kill-window", "-t", "<initial-window>"}));
  EXPECT_EQ(setup[5], (C{"select-pane", "-t", "%7"}));
  EXPECT_EQ(plan.attachArgs(), (C{"attach-session", "-t", "vesket-view-1", "-f", "ignore-size"}));
  const auto teardown = plan.teardownCommands();
  ASSERT_EQ(teardown.size(), 4u);
  EXPECT_EQ(teardown[0], (C{"kill-session", "-t", "vesket-view-1"}));
  EXPECT_EQ(teardown[2], (C{"set-option", "-w", "-t", "@4", "window-size", "latest"}));
  EXPECT_EQ(teardown[3], (C{"select-pane", "-t", "%6"}));
}

TEST(EmulatorAttachPlan, OwnedShellNeitherGuardsNorRestoresSize) {
  EmulatorAttachPlan plan{"v", "@1", "%1", EmulatorAttachMode::ownedShell, std::nullopt, 80, 24, "%1"};
  EXPECT_TRUE(plan.preAttachSizeGuard().empty());
  EXPECT_EQ(plan.attachArgs(), (EmulatorAttachPlan::Command{"attach-session", "-t", "v"}));
  EXPECT_EQ(plan.teardownCommands().size(), 1u) << "the prior active pane is the target itself";

  plan.mode = EmulatorAttachMode::protectedAgent;
  const auto teardown = plan.teardownCommands();
  EXPECT_EQ(teardown.back(), (EmulatorAttachPlan::Command{"set-option", "-w", "-u", "-t", "@1", "window-size"}))
      << "no prior size: the option is unset";
}
