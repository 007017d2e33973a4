// The attach session and the agent-history stream against the real daemon: terminal frames
// arrive, typed input reaches the pane on the attach connection, detaching leaves the pane
// running; a pane without Claude Code gets a disabled history.
#include <gtest/gtest.h>

#include "control_plane/control_plane_client.h"
#include "control_plane/terminal_attach_session.h"
#include "relay/core/terminal_protocol.h"
#include "tests/support/real_daemon_fixture.h"

using namespace vesket::control_plane;
namespace TerminalProtocol = vesket::relay::TerminalProtocol;
using vesket::testing::awaitTask;

namespace {

using DaemonStreamsEndToEndTest = vesket::testing::RealDaemonTest;

TEST_F(DaemonStreamsEndToEndTest, AttachAndType) {
  int connectSent = 0;
  auto session = m_client->terminalAttach(
      {.paneId = m_paneId.toStdString(), .cols = 120, .rows = 30, .mode = "mirror", .force = false, .open = true},
      [&] { ++connectSent; });
  auto events = session->events();

  // Type once the pane streams (the daemon refuses input before that).
  std::string shown;
  for (bool ready = false; !ready;) {
    const auto frame = awaitTask(events.next(), 10000);
    ASSERT_TRUE(frame) << "the attach ended before the pane was ready";
    const auto decoded = TerminalProtocol::decode(*frame);
    ready = std::holds_alternative<TerminalProtocol::Ready>(decoded);
    if (const auto* history = std::get_if<TerminalProtocol::History>(&decoded)) shown += history->bytes;
  }
  session->input(TerminalProtocol::encodeInput("echo typed-$((2+3))\r"));
  while (shown.find("typed-5") == std::string::npos) {
    const auto frame = awaitTask(events.next(), 10000);
    ASSERT_TRUE(frame) << "the attach ended before the typed text came back; seen:\n" << shown;
    const auto decoded = TerminalProtocol::decode(*frame);
    if (const auto* output = std::get_if<TerminalProtocol::Output>(&decoded)) shown += output->bytes;
    if (const auto* history = std::get_if<TerminalProtocol::History>(&decoded)) shown += history->bytes;
  }
  EXPECT_EQ(connectSent, 1);
  session->detach();
  EXPECT_TRUE(session->isClosed());
  captureShows(m_paneId, "typed-5");
  EXPECT_FALSE(awaitTask(m_client->listPanes()).empty()) << "detaching leaves the pane alone";
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
