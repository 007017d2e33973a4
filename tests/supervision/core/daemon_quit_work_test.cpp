#include "supervision/core/daemon_quit_work.h"

#include <gtest/gtest.h>

using vesket::supervision::DaemonQuitWork;

TEST(DaemonQuitWork, JudgesThePanesOutput) {
  EXPECT_EQ(DaemonQuitWork::fromPanesOutput(R"([{"paneId":"%1"},{"paneId":"%2"}])", false, false),
            DaemonQuitWork::livePanes(2));
  EXPECT_EQ(DaemonQuitWork::fromPanesOutput("[]", true, false), DaemonQuitWork::activeConnection());
  EXPECT_EQ(DaemonQuitWork::fromPanesOutput("[]", false, true), DaemonQuitWork::activeConnection());
  EXPECT_EQ(DaemonQuitWork::fromPanesOutput(" [] \n", false, false), DaemonQuitWork::noLiveWork());
  EXPECT_EQ(DaemonQuitWork::fromPanesOutput("", true, true), DaemonQuitWork::unknown());
  EXPECT_EQ(DaemonQuitWork::fromPanesOutput("daemon not running", false, false), DaemonQuitWork::unknown());
  EXPECT_EQ(DaemonQuitWork::fromPanesOutput(R"({"panes":[]})", false, false), DaemonQuitWork::unknown());
}

// The texts themselves are checked against the English table by the localisation test.
TEST(DaemonQuitWork, ConfirmationTexts) {
  using vesket::shell::LocalisedText;
  EXPECT_EQ(DaemonQuitWork::livePanes(3).confirmationMessage(), (LocalisedText{"macos.daemon_quit.open_panes", {}, 3}));
  EXPECT_EQ(DaemonQuitWork::activeConnection().confirmationMessage(),
            LocalisedText{"macos.daemon_quit.active_agent_or_remote_activity"});
  EXPECT_EQ(DaemonQuitWork::unknown().confirmationMessage(),
            LocalisedText{"macos.daemon_quit.could_not_verify_whether_panes_are_active"});
  EXPECT_FALSE(DaemonQuitWork::noLiveWork().confirmationMessage());
}
