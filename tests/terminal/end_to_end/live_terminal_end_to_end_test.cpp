// The live terminal against the real daemon and a private tmux pane: the page shows the
// pane's screen, and what is typed into the page reaches the pane and comes back.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTest>

#include "terminal/live_terminal_view.h"
#include "tests/support/real_daemon_fixture.h"
#include "tests/support/screenshot.h"
#include "tests/terminal/live_terminal_test_support.h"

using vesket::terminal::LiveTerminalView;
using vesket::testing::screenText;
using vesket::testing::waitForCondition;

namespace {

class LiveTerminalEndToEndTest : public vesket::testing::RealDaemonTest {
 protected:
  static void SetUpTestSuite() { vesket::testing::prepareWebEngine(); }
};

TEST_F(LiveTerminalEndToEndTest, TypingIntoThePageReachesThePaneAndItsEchoIsShown) {
  // Something on the pane's screen before the terminal opens.
  tmux({"send-keys", "-t", m_paneId, "-l", "echo before-attach"});
  tmux({"send-keys", "-t", m_paneId, "Enter"});
  ASSERT_TRUE(captureShows(m_paneId, "before-attach\n"));

  LiveTerminalView view({.control = m_client});
  view.resize(900, 520);
  view.show();
  view.showPane(m_paneId);
  ASSERT_TRUE(waitForCondition([&] { return view.isSessionReady(); }, 20000)) << view.statusText().toStdString();
  ASSERT_TRUE(waitForCondition([&] { return screenText(view).contains("before-attach"); }, 10000))
      << "the page never showed the pane's screen:\n"
      << screenText(view).toStdString();

  QTest::keyClicks(vesket::testing::keyTarget(view), "echo live");
  QTest::keyClick(vesket::testing::keyTarget(view), Qt::Key_Return);
  ASSERT_TRUE(captureShows(m_paneId, "echo live\nlive\n")) << "the typing never reached the pane";
  ASSERT_TRUE(waitForCondition(
      [&] {
        const QString text = screenText(view);
        return text.contains("echo live") && text.contains(QRegularExpression("\\nlive\\s*\\n"));
      },
      10000))
      << "the echo never appeared in the page:\n"
      << screenText(view).toStdString();
  const QString shot = vesket::testing::saveScreenshot(view, "live_terminal_echo");
  if (!shot.isEmpty()) {
    EXPECT_TRUE(QFile::exists(shot));
  }
}

}  // namespace
