// The live terminal through the relay, against the real relay and a real daemon linked to
// it (private tmux server): another machine's pane ("d<id>/%N") is reached only through the
// relay, and this machine's pane falls back to the relay once the local attach gave up.
#include <gtest/gtest.h>

#include <QTest>

#include "relay/terminal_mirror_client.h"
#include "terminal/live_terminal_view.h"
#include "tests/support/linked_daemon_fixture.h"
#include "tests/support/screenshot.h"
#include "tests/terminal/live_terminal_test_support.h"

using vesket::terminal::LiveTerminalView;
using vesket::testing::screenText;
using vesket::testing::waitForCondition;

namespace {

class LiveTerminalRelayTest : public vesket::testing::LinkedDaemonTest {
 protected:
  static void SetUpTestSuite() { vesket::testing::prepareWebEngine(); }

  // The relay route as the application builds it, with a fixed bearer.
  decltype(LiveTerminalView::Options::relayMirror) route(std::string bearer) {
    return [this, bearer](const vesket::relay::TerminalAttachParams& params,
                          std::weak_ptr<vesket::relay::TerminalMirrorListener> listener, QObject* parent) -> QObject* {
      ++m_routed;
      return new vesket::relay::TerminalMirrorClient(
          vesket::relay::TerminalMirrorRules::attachURL(m_relay->baseUrl().toStdString(), params),
          {{"Authorization", "Bearer " + bearer}}, std::move(listener), vesket::relay::Backoff::mirror(), parent);
    };
  }

  // Types a command whose output (upper case) differs from what was typed; no key twice in a
  // row, since the duplicate-press filter would take the second for an echo of the first.
  void typeAndSeeEcho(LiveTerminalView& view, const QString& word) {
    ASSERT_TRUE(waitForCondition([&] { return view.isSessionReady(); }, 20000)) << view.statusText().toStdString();
    QTest::keyClicks(vesket::testing::keyTarget(view), "echo " + word + "-ok | tr a-z A-Z");
    QTest::keyClick(vesket::testing::keyTarget(view), Qt::Key_Return);
    EXPECT_TRUE(waitForCondition([&] { return screenText(view).contains(word.toUpper() + "-OK"); }, 10000))
        << "the echo never appeared in the page:\n"
        << screenText(view).toStdString();
  }

  int m_routed = 0;
};

TEST_F(LiveTerminalRelayTest, AnotherMachinesPaneIsReachedThroughTheRelay) {
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  LiveTerminalView view({.control = m_client, .relayMirror = route(token)});
  view.resize(900, 520);
  view.show();
  view.showPane(QStringLiteral("d%1/%2").arg(daemonId).arg(m_paneId));
  typeAndSeeEcho(view, "remote");
  EXPECT_TRUE(view.isOverRelay());
  EXPECT_EQ(m_routed, 1);
}

TEST_F(LiveTerminalRelayTest, ALocalAttachThatGivesUpFallsBackToTheRelay) {
  linkNewAccount("ada@example.org");
  // A daemon client that reaches nothing: the local attach fails every time.
  auto unreachable = vesket::control_plane::ControlPlaneClient::create(m_root.filePath("nowhere.sock").toStdString(),
                                                                        std::nullopt, 1.0);
  LiveTerminalView view({.control = unreachable, .localAttachAttempts = 2, .retryDelayMs = 50,
                         .relayMirror = route(m_daemonToken)});
  view.resize(900, 520);
  view.show();
  view.showPane(m_paneId);
  typeAndSeeEcho(view, "reserve");
  EXPECT_TRUE(view.isOverRelay());
  EXPECT_TRUE(captureShows(m_paneId, "RESERVE-OK"));
}

}  // namespace
