#include "shell/core/desktop_isolation.h"

#include <gtest/gtest.h>

#include <regex>

namespace vesket::shell {
namespace {

namespace DI = DesktopIsolation;

const char* const accountHome = "/home/ada";

TEST(DesktopIsolationContext, NormalInstanceHasNone) {
  EXPECT_EQ(DI::deriveContext({}, accountHome), std::nullopt);
  EXPECT_EQ(DI::deriveContext({{"VESKET_HOME", "/iso"}}, accountHome), std::nullopt);
  EXPECT_EQ(DI::deriveContext({{"VESKET_DESKTOP_ISOLATED", "yes"}, {"VESKET_HOME", "/iso"}},
                              accountHome),
            std::nullopt);
}

TEST(DesktopIsolationContext, SealedInstanceWithItsOwnHomes) {
  const auto context = DI::deriveContext(
      {{"VESKET_DESKTOP_ISOLATED", "1"}, {"VESKET_HOME", "/tmp/run1/vesket/"}, {"HOME", "/tmp/run1/home"}},
      accountHome);
  ASSERT_TRUE(context);
  EXPECT_EQ(context->vesketHome, "/tmp/run1/vesket");
  EXPECT_EQ(context->accountHome, "/tmp/run1/home");
  EXPECT_TRUE(context->sealed);
  ASSERT_TRUE(context->launchLabel);
  EXPECT_TRUE(std::regex_match(*context->launchLabel, std::regex(R"(com\.vesket\.daemon\.test\.[0-9a-f]{12})")))
      << *context->launchLabel;
  EXPECT_EQ(context->stateDirectory, "/tmp/run1/vesket/desktop-state");
  EXPECT_TRUE(std::regex_match(context->tmuxSocketDirectory, std::regex(R"(/tmp/vesket-iso-[0-9a-f]{12})")))
      << context->tmuxSocketDirectory;

  // Stable for the same home, different for another one.
  const auto again = DI::deriveContext(
      {{"VESKET_DESKTOP_ISOLATED", "1"}, {"DURNVALE_HOME", "/tmp/run1/vesket"}, {"HOME", "/tmp/run1/home"}},
      accountHome);
  EXPECT_EQ(again, context);
  const auto other = DI::deriveContext(
      {{"VESKET_DESKTOP_ISOLATED", "1"}, {"VESKET_HOME", "/tmp/run2/vesket"}, {"HOME", "/tmp/run1/home"}},
      accountHome);
  EXPECT_NE(other->launchLabel, context->launchLabel);
  EXPECT_NE(other->tmuxSocketDirectory, context->tmuxSocketDirectory);
}

TEST(DesktopIsolationContext, UnsealedInstanceGetsNoDaemonJob) {
  for (const char* home : {"/home/ada", "/home/ada/", "", "relative"}) {
    Environment environment{{"VESKET_DESKTOP_ISOLATED", "1"}, {"VESKET_HOME", "/srv/iso"}};
    if (*home) environment["HOME"] = home;
    const auto context = DI::deriveContext(environment, accountHome);
    ASSERT_TRUE(context) << home;
    EXPECT_EQ(context->vesketHome, "/srv/iso");
    EXPECT_EQ(context->accountHome, "/home/ada") << home;
    EXPECT_FALSE(context->sealed) << home;
    EXPECT_EQ(context->launchLabel, std::nullopt) << home;
  }
}

TEST(DesktopIsolationContext, HomesInsideTheRealProductHomeAreQuarantined) {
  const std::regex quarantine(R"(/tmp/vesket-desktop-quarantine-[0-9a-f]{12}/desktop-isolated)");
  struct Case {
    Environment environment;
    bool quarantined;
  };
  const std::vector<Case> cases = {
      {{{"VESKET_HOME", "/home/ada/.vesket"}}, true},
      {{{"VESKET_HOME", "/home/ada/.vesket/isolated"}}, true},
      {{{"VESKET_HOME", "~/.vesket/x"}}, true},
      {{{"VESKET_HOME", "/home/ada/other/../.vesket//x"}}, true},
      {{{"DURNVALE_HOME", "/home/ada/.vesket/x"}}, true},
      {{{"VESKET_HOME", ""}}, true},
      {{}, true},
      {{{"VESKET_HOME", "relative/home"}}, true},
      {{{"VESKET_HOME", "/home/ada/.vesket-iso"}}, false},
      {{{"VESKET_HOME", "/home/ada"}}, false},
  };
  for (auto c : cases) {
    c.environment["VESKET_DESKTOP_ISOLATED"] = "1";
    c.environment["HOME"] = "/tmp/fake-home";
    const auto context = DI::deriveContext(c.environment, accountHome);
    ASSERT_TRUE(context);
    EXPECT_EQ(std::regex_match(context->vesketHome, quarantine), c.quarantined) << context->vesketHome;
    if (c.quarantined) {
      EXPECT_EQ(context->stateDirectory, context->vesketHome + "/desktop-state");
    }
  }
}

TEST(DesktopIsolationContext, DerivedPaths) {
  DI::Context context{"/iso/vesket", "/iso/home", true, "com.vesket.daemon.test.abc",
                      "/iso/vesket/desktop-state", "/tmp/vesket-iso-abc"};
  EXPECT_EQ(DI::launchAgentsDirectory(context), "/iso/home/Library/LaunchAgents");
  EXPECT_EQ(DI::daemonPlistPath(context), "/iso/home/Library/LaunchAgents/com.vesket.daemon.plist");
  EXPECT_EQ(DI::defaultsSuitePath(context), "/iso/vesket/desktop-state/preferences");
  EXPECT_EQ(DI::deviceIDPath(context), "/iso/vesket/desktop-state/device-id");
}

TEST(DesktopIsolation, NormalStateDirectoryFollowsXdg) {
  EXPECT_EQ(DI::normalStateDirectory({}, "/home/ada"), "/home/ada/.local/state/vesket");
  EXPECT_EQ(DI::normalStateDirectory({{"XDG_STATE_HOME", "/xdg/state"}}, "/home/ada"),
            "/xdg/state/vesket");
  EXPECT_EQ(DI::normalStateDirectory({{"XDG_STATE_HOME", "rel"}}, "/home/ada"),
            "/home/ada/.local/state/vesket");
  EXPECT_EQ(DI::normalStateDirectory({{"XDG_STATE_HOME", ""}}, "/home/ada"),
            "/home/ada/.local/state/vesket");
}

const DI::Context isolated{"/iso/vesket", "/iso/home", true, "com.vesket.daemon.test.abc",
                           "/iso/vesket/desktop-state", "/tmp/vesket-iso-abc"};

TEST(DesktopIsolationPermits, HostActions) {
  const DI::HostAction actions[] = {
      DI::HostAction::appUpdateInstall, DI::HostAction::uninstall,
      DI::HostAction::loginItem,        DI::HostAction::skillInstall,
      DI::HostAction::packageInstall,   DI::HostAction::systemNotification,
      DI::HostAction::daemonServiceInstall};
  for (const auto action : actions) {
    EXPECT_TRUE(DI::permits(std::nullopt, action));
    EXPECT_FALSE(DI::permits(isolated, action));
  }
  EXPECT_EQ(DI::hostActionRefusalLine(DI::HostAction::daemonServiceInstall),
            "[desktop-isolation] host action daemonServiceInstall REFUSED in isolated mode\n");
  EXPECT_EQ(DI::hostActionName(DI::HostAction::systemNotification), "systemNotification");
}

TEST(DesktopIsolationPermits, DaemonCommands) {
  struct Case {
    std::vector<std::string> arguments;
    std::optional<DI::HostAction> action;
  };
  const std::vector<Case> cases = {
      {{}, std::nullopt},
      {{"update"}, DI::HostAction::appUpdateInstall},
      {{"update", "--check"}, DI::HostAction::appUpdateInstall},
      {{"uninstall"}, std::nullopt},
      {{"uninstall", "--dry-run"}, std::nullopt},
      {{"uninstall", "--json", "--execute"}, DI::HostAction::uninstall},
      {{"daemon", "install-service"}, DI::HostAction::daemonServiceInstall},
      {{"daemon", "restart-transaction", "--json"}, DI::HostAction::daemonServiceInstall},
      {{"daemon", "start"}, std::nullopt},
      {{"skills", "sync"}, DI::HostAction::skillInstall},
      {{"daemon"}, std::nullopt},
      {{"status", "--json"}, std::nullopt},
      {{"--execute", "uninstall"}, std::nullopt},
      {{"status", "install-service"}, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DI::hostActionForDaemonCommand(c.arguments), c.action);
    EXPECT_TRUE(DI::permitsDaemonCommand(std::nullopt, c.arguments));
    EXPECT_EQ(DI::permitsDaemonCommand(isolated, c.arguments), !c.action.has_value());
  }
}

TEST(DesktopIsolationEnvironment, PlanForASealedInstance) {
  const auto plan = DI::environmentPlan(isolated);
  const std::vector<std::pair<std::string, std::string>> set = {
      {"HOME", "/iso/home"},
      {"TMUX_TMPDIR", "/tmp/vesket-iso-abc"},
      {"VESKET_CLI_LINK_DIRS", "/iso/vesket/desktop-state/cli-links"},
      {"VESKET_HOME", "/iso/vesket"},
      {"DURNVALE_HOME", "/iso/vesket"},
      {"VESKET_HOME_INTENTIONAL", "1"}};
  const std::vector<std::string> remove = {"TMUX",           "TMUX_PANE",      "DAEMON_TOKEN",
                                           "RELAY_URL",      "BOARD_PUSH_API", "TASK_BOARD_API",
                                           "CONTROL_TOKEN"};
  EXPECT_EQ(plan.set, set);
  EXPECT_EQ(plan.remove, remove);
}

TEST(DesktopIsolationEnvironment, PlanWithoutLaunchLabelLeavesTheHomesAlone) {
  auto unsealed = isolated;
  unsealed.launchLabel.reset();
  const auto plan = DI::environmentPlan(unsealed);
  ASSERT_EQ(plan.set.size(), 3u);
  EXPECT_EQ(plan.set[2].first, "VESKET_CLI_LINK_DIRS");
}

TEST(DesktopIsolationEnvironment, ChildEnvironment) {
  const Environment parent{{"PATH", "/usr/bin"},     {"HOME", "/home/ada"},
                           {"TMUX", "/tmp/tmux-1/default,1,0"}, {"TMUX_PANE", "%3"},
                           {"CONTROL_TOKEN", "secret"}, {"VESKET_HOME", "/somewhere"},
                           {"RELAY_URL", "https://relay"}};
  EXPECT_EQ(DI::childEnvironment(std::nullopt, parent), parent);

  const Environment expected{{"PATH", "/usr/bin"},
                             {"HOME", "/iso/home"},
                             {"TMUX_TMPDIR", "/tmp/vesket-iso-abc"},
                             {"VESKET_CLI_LINK_DIRS", "/iso/vesket/desktop-state/cli-links"},
                             {"VESKET_HOME", "/iso/vesket"},
                             {"DURNVALE_HOME", "/iso/vesket"},
                             {"VESKET_HOME_INTENTIONAL", "1"}};
  EXPECT_EQ(DI::childEnvironment(isolated, parent), expected);
}

}  // namespace
}  // namespace vesket::shell
