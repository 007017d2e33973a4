#include "shell/core/launchctl_verdict.h"

#include <gtest/gtest.h>

namespace vesket::shell {
namespace {

namespace DI = DesktopIsolation;

const DI::Context sealed{"/iso/vesket", "/iso/home", true, "com.vesket.daemon.test.abc",
                         "/iso/vesket/desktop-state", "/tmp/vesket-iso-abc"};

DI::Context withLabel(std::optional<std::string> label) {
  auto context = sealed;
  context.launchLabel = std::move(label);
  return context;
}

TEST(LaunchctlVerdict, Rules) {
  const std::string own = "gui/501/com.vesket.daemon.test.abc";
  struct Case {
    std::vector<std::string> arguments;
    std::optional<DI::Context> context;
    std::optional<std::string> refusal;
  };
  const std::vector<Case> cases = {
      // A normal instance may do anything, production job included.
      {{"bootstrap", "gui/501", "/x/com.vesket.daemon.plist"}, std::nullopt, std::nullopt},
      {{"bootout", "gui/501/com.vesket.daemon"}, std::nullopt, std::nullopt},
      {{}, std::nullopt, std::nullopt},
      {{}, sealed, "no subcommand"},
      // Production labels are refused wherever they appear, before anything else.
      {{"print", "gui/501/com.vesket.daemon"}, sealed,
       "names the production launchd job (gui/501/com.vesket.daemon)"},
      {{"list", "com.vesket.daemon"}, sealed, "names the production launchd job (com.vesket.daemon)"},
      {{"kickstart", "-k", "gui/501/com.durnvale.daemon"}, sealed,
       "names the production launchd job (gui/501/com.durnvale.daemon)"},
      {{"com.vesket.daemon"}, sealed, "names the production launchd job (com.vesket.daemon)"},
      {{"list"}, sealed, std::nullopt},
      {{"list"}, withLabel(std::nullopt), std::nullopt},
      {{"list", "com.vesket.daemon.test.abc"}, sealed, "list takes no label in isolated mode"},
      {{"print", own}, withLabel(std::nullopt),
       "no isolated launchd label can be derived for home /iso/vesket"},
      {{"print", own}, withLabel("com.example.job"),
       "no isolated launchd label can be derived for home /iso/vesket"},
      {{"bootstrap", "gui/501"}, withLabel(std::nullopt),
       "no isolated launchd label can be derived for home /iso/vesket"},
      {{"print", own}, sealed, std::nullopt},
      {{"bootout", own}, sealed, std::nullopt},
      {{"kickstart", "-k", "-p", own}, sealed, std::nullopt},
      {{"print", "gui/502/com.vesket.daemon.test.abc"}, sealed,
       "print may only address " + own},
      {{"bootout", own, own}, sealed, "bootout may only address " + own},
      {{"kickstart", "-k"}, sealed, "kickstart may only address " + own},
      {{"print", "gui/501/com.vesket.daemon.test.other"}, sealed, "print may only address " + own},
      {{"bootstrap", "gui/501", "/iso/home/Library/LaunchAgents/com.vesket.daemon.plist"}, sealed,
       "an isolated instance never loads a launchd job"},
      {{"load", "-w", "/x.plist"}, sealed, "subcommand load is not permitted in isolated mode"},
      {{"-k"}, sealed, "subcommand -k is not permitted in isolated mode"},
  };
  for (const auto& c : cases) {
    const auto verdict = DI::launchctlVerdict(c.arguments, c.context, 501);
    EXPECT_EQ(verdict.refusal, c.refusal) << DI::launchctlRefusalLine(c.arguments, "");
    EXPECT_EQ(verdict.allowed(), !c.refusal.has_value());
    EXPECT_EQ(DI::serviceManagerVerdict(c.arguments, c.context, 501), verdict);
  }
}

TEST(LaunchctlVerdict, RefusalLine) {
  EXPECT_EQ(DI::launchctlRefusalLine({"bootstrap", "gui/501", "/p.plist"},
                                     "an isolated instance never loads a launchd job"),
            "launchctl bootstrap gui/501 /p.plist REFUSED in isolated mode: an isolated instance "
            "never loads a launchd job\n");
  EXPECT_EQ(DI::launchctlRefusalLine({}, "no subcommand"),
            "launchctl REFUSED in isolated mode: no subcommand\n");
}

}  // namespace
}  // namespace vesket::shell
