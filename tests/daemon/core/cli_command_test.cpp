#include "daemon/core/cli_command.h"

#include <gtest/gtest.h>

namespace vesket::daemon {
namespace {

using Kind = CliCommand::Kind;

TEST(CliCommandTest, ParsesTheCommandLinesTheApplicationRuns) {
  struct Case {
    std::vector<std::string> args;
    CliCommand expected;
  };
  const Case cases[] = {
      {{"--help"}, {Kind::Help}},
      {{"--version"}, {Kind::Version}},
      {{"daemon", "start"}, {Kind::DaemonStart}},
      {{"daemon", "start", "--tmux-socket", "/tmp/s"}, {Kind::DaemonStart, "/tmp/s"}},
      {{"daemon", "start", "--tmux-socket=/tmp/s"}, {Kind::DaemonStart, "/tmp/s"}},
      {{"daemon", "start", "-S", "/tmp/s"}, {Kind::DaemonStart, "/tmp/s"}},
      {{"daemon", "start", "-L", "priv"}, {Kind::DaemonStart, std::nullopt, "priv"}},
      {{"daemon", "status"}, {Kind::DaemonStatus}},
      {{"daemon", "stop"}, {Kind::DaemonStop}},
      {{"daemon", "install-service"}, {Kind::DaemonInstallService}},
      {{"daemon", "supervise"}, {Kind::DaemonSupervise}},
      {{"panes", "--json"}, {Kind::Panes, std::nullopt, std::nullopt, true}},
      {{"panes"}, {Kind::Panes}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "" : c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
    EXPECT_EQ(CliCommand::parse(c.args), c.expected);
  }
}

TEST(CliCommandTest, RejectsBadCommandLinesWithAClearMessage) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{}, "no command given"},
      {{"frobnicate"}, "unknown command 'frobnicate'"},
      {{"daemon"}, "'daemon' needs a sub-command: start, status, stop, install-service"},
      {{"daemon", "restart"}, "unknown daemon sub-command 'restart'"},
      {{"daemon", "status", "--verbose"}, "'daemon status' takes no argument '--verbose'"},
      {{"daemon", "start", "--tmux-socket"}, "'--tmux-socket' needs a value"},
      {{"daemon", "start", "-L", ""}, "'-L' needs a value"},
      {{"daemon", "start", "--bogus"}, "unknown option for 'daemon start': '--bogus'"},
      {{"daemon", "start", "-L", "a", "-S", "/b"}, "'--tmux-socket' and '-L' cannot be used together"},
      {{"daemon", "start", "-L", "a/b"}, "'-L' takes a socket name without '/'; use --tmux-socket for a path"},
      {{"panes", "--yaml"}, "unknown option for 'panes': '--yaml'"},
      {{"--version", "x"}, "'--version' takes no argument 'x'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    try {
      CliCommand::parse(c.args);
      ADD_FAILURE() << "accepted";
    } catch (const CliUsageError& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
  }
}

}  // namespace
}  // namespace vesket::daemon
