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

TEST(DaemonQuitWork, ConfirmationTexts) {
  EXPECT_EQ(DaemonQuitWork::livePanes(1).confirmationMessage(),
            "Vesket has 1 open pane. Quitting will stop the daemon and remote access to this Mac. Your tmux panes "
            "stay local, but Vesket clients and agent coordination will disconnect.");
  EXPECT_EQ(DaemonQuitWork::livePanes(3).confirmationMessage()->substr(0, 25), "Vesket has 3 open panes. ");
  EXPECT_EQ(DaemonQuitWork::activeConnection().confirmationMessage(),
            "Vesket has active agent or remote activity. Quitting will stop the daemon and remote access to this "
            "Mac. Your tmux panes stay local, but Vesket clients and agent coordination will disconnect.");
  EXPECT_EQ(DaemonQuitWork::unknown().confirmationMessage(),
            "Vesket could not verify whether panes are active. Quitting will stop the daemon and remote access to "
            "this Mac.");
  EXPECT_FALSE(DaemonQuitWork::noLiveWork().confirmationMessage());
}
