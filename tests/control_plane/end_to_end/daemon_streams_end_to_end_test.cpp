// The desktop application's attach session and agent-history stream against the real
// daemon: terminal frames arrive and decode, typed input reaches the pane on the attach
// connection, the pane's end ends the session; a pane without Claude Code gets a disabled
// history.
#include <gtest/gtest.h>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/command_arguments.h"
#include "control_plane/terminal_attach_session.h"
#include "relay/core/terminal_protocol.h"
#include "tests/support/real_daemon_fixture.h"

using namespace vesket::control_plane;
namespace TP = vesket::relay::TerminalProtocol;
using vesket::testing::awaitTask;

namespace {

using DaemonStreamsEndToEndTest = vesket::testing::RealDaemonTest;

// The session decodes what the daemon streams, types on the attach connection, and ends
// when the pane exits.
TEST_F(DaemonStreamsEndToEndTest, AttachTypeAndEndWithThePane) {
  const QString pane = tmux({"new-window", "-d", "-P", "-F", "#{pane_id}", "-t", "main", "/bin/sh"});
  CommandArguments::TerminalAttachRequest request;
  request.paneId = pane.toStdString();
  request.mode = "owned";
  request.cols = 90;
  request.rows = 20;
  request.historyLimit = 100;
  request.open = true;
  request.openLatency = std::map<std::string, std::string>{{"tapAtMonotonicMs", "12.5"}, {"openReason", "test"}};
  int connectSent = 0;
  auto session = m_client->terminalAttach(request, [&] { ++connectSent; });
  auto events = session->events();

  std::vector<TP::Frame> frames;
  std::string output;
  auto readUntil = [&](const std::function<bool()>& done) {
    while (!done()) {
      const auto chunk = awaitTask(events.next(), 10000);
      if (!chunk) return false;
      frames.push_back(TP::decode(*chunk));
      if (const auto* out = std::get_if<TP::Output>(&frames.back())) output += out->bytes;
    }
    return true;
  };
  // Type once the pane streams (the daemon refuses input before that).
  ASSERT_TRUE(readUntil([&] { return !frames.empty() && std::holds_alternative<TP::MouseMode>(frames.back()); }));
  ASSERT_TRUE(std::holds_alternative<TP::Ready>(frames.front()));
  EXPECT_EQ(std::get<TP::Ready>(frames.front()).payload, (vesket::relay::ReadyPayload{pane.toStdString(), 90, 20, "owned"}));
  EXPECT_EQ(connectSent, 1);

  session->input(TP::encodeInput("echo typed-$((2+3))\r"));
  ASSERT_TRUE(readUntil([&] { return output.find("typed-5\r\n") != std::string::npos; })) << output;

  tmux({"kill-pane", "-t", pane});
  ASSERT_TRUE(readUntil([&] { return std::holds_alternative<TP::Exit>(frames.back()); }));
  // `done` follows: the stream ends normally.
  EXPECT_FALSE(awaitTask(events.next(), 10000).has_value());
}

TEST_F(DaemonStreamsEndToEndTest, HistoryOfAPlainShellIsDisabled) {
  auto stream = m_client->claudeHistoryStream(m_paneId.toStdString(), 0);
  const auto event = awaitTask(stream.next(), 10000);
  ASSERT_TRUE(event);
  EXPECT_EQ(event->type, "disabled");
  EXPECT_EQ(event->paneId, m_paneId.toStdString());
  EXPECT_TRUE(event->reason && !event->reason->empty());
  EXPECT_EQ(awaitTask(stream.next(), 10000), std::nullopt) << "the daemon ends the stream";
}

}  // namespace
