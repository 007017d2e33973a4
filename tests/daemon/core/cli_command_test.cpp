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

TEST(CliCommandTest, ParsesTheUpgradeVerbs) {
  const auto transaction = CliCommand::parse(
      {"daemon", "restart-transaction", "--daemon-bin", "/h/bin/vesket", "--previous-bin=/h/bin/.vesket.previous.1"});
  EXPECT_EQ(transaction.kind, Kind::DaemonRestartTransaction);
  EXPECT_EQ(transaction.daemonBin, "/h/bin/vesket");
  EXPECT_EQ(transaction.previousBin, "/h/bin/.vesket.previous.1");

  const auto gate = CliCommand::parse({"daemon", "health-gate", "--replacing-pid", "0", "--timeout-ms", "1500"});
  EXPECT_EQ(gate.kind, Kind::DaemonHealthGate);
  EXPECT_EQ(gate.replacingPid, 0);
  EXPECT_EQ(gate.timeoutMs, 1500);
  EXPECT_FALSE(CliCommand::parse({"daemon", "health-gate"}).timeoutMs);

  const auto attach = CliCommand::parse({"daemon", "auto-attach", "--json"});
  EXPECT_EQ(attach.kind, Kind::DaemonAutoAttach);
  EXPECT_TRUE(attach.json);
}

TEST(CliCommandTest, ParsesRelayPairing) {
  const CliCommand byCode = CliCommand::parse({"relay-pair", "--relay", "https://relay.example", "--code", "ABCD-EFGH"});
  EXPECT_EQ(byCode.kind, CliCommand::Kind::RelayPair);
  EXPECT_EQ(byCode.relayUrl, "https://relay.example");
  EXPECT_EQ(byCode.pairingCode, "ABCD-EFGH");
  EXPECT_FALSE(byCode.daemonToken);
  EXPECT_EQ(CliCommand::parse({"relay-pair", "--token", "T", "--relay", "http://r"}).daemonToken, "T");
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
      {{"daemon", "restart-transaction", "--daemon-bin", "/h/vesket"},
       "'daemon restart-transaction' needs --previous-bin with an absolute path"},
      {{"daemon", "restart-transaction", "--daemon-bin", "bin/vesket", "--previous-bin", "/p"},
       "'daemon restart-transaction' needs --daemon-bin with an absolute path"},
      {{"daemon", "restart-transaction", "--daemon-bin", "/v", "--previous-bin", "/v"},
       "'--previous-bin' must differ from '--daemon-bin'"},
      {{"daemon", "health-gate", "--replacing-pid", "-4"},
       "'--replacing-pid' takes a whole number of at least 0, not '-4'"},
      {{"daemon", "health-gate", "--timeout-ms", "0"}, "'--timeout-ms' takes a whole number of at least 1, not '0'"},
      {{"daemon", "health-gate", "--timeout-ms", "5s"}, "'--timeout-ms' takes a whole number of at least 1, not '5s'"},
      {{"daemon", "auto-attach", "--yaml"}, "unknown argument for 'daemon auto-attach': '--yaml'"},
      {{"relay-pair", "--token", "t"}, "'relay-pair' needs --relay URL"},
      {{"relay-pair", "--relay", "https://r"}, "'relay-pair' needs either --token TOKEN or --code CODE"},
      {{"relay-pair", "--relay", "https://r", "--token", "t", "--code", "c"},
       "'relay-pair' needs either --token TOKEN or --code CODE"},
      {{"relay-pair", "--relay", "ftp://r", "--code", "c"},
       "'relay-pair --relay ftp://r': the relay address must begin with https://, http://, wss:// or ws://"},
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
