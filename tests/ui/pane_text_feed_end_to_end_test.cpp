// The selected pane's text tells the reader how current it is, against the real daemon: a
// blank pane says so, a daemon that stops answering leaves the text dimmed under a "not
// updating" banner, a pane selected meanwhile says it is loading and then that it cannot be
// read, and everything turns current again once the daemon answers.
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>
#include <signal.h>

#include "tests/support/event_loop.h"
#include "tests/support/real_daemon_fixture.h"
#include "tests/support/screenshot.h"
#include "tests/ui/main_window_test_support.h"
#include "ui/main_window.h"
#include "ui/pane_text_view.h"
#include "ui/theme.h"
#include "viewer/pane_list_store.h"
#include "viewer/terminal_viewer_model.h"

namespace {

using vesket::testing::waitUntil;

void saveScreenshot(QWidget& window, const QString& name) {
  vesket::testing::spinFor(50);  // layouts settle first
  vesket::testing::saveScreenshot(window, name);
}
using vesket::viewer::PaneTextFeed;

class PaneTextFeedEndToEnd : public vesket::testing::RealDaemonTest {
 protected:
  // A stopped daemon keeps its sockets open and answers nothing, as a hung one would.
  void freezeDaemon(bool frozen) { ::kill(static_cast<pid_t>(m_daemon->process().processId()), frozen ? SIGSTOP : SIGCONT); }
  void TearDown() override {
    if (m_daemon && m_daemon->running()) freezeDaemon(false);
    RealDaemonTest::TearDown();
  }
};

TEST_F(PaneTextFeedEndToEnd, LoadingEmptyStaleAndFailedAreVisible) {
  const QString blankPane = tmux({"new-window", "-d", "-t", "main", "-P", "-F", "#{pane_id}", "sleep 1000"});
  vesket::testing::ShownMainWindow shown(m_client, {900, 560});
  auto& model = shown.model;
  auto& window = shown.window;
  auto* text = window.paneText();
  auto* note = text->placeholder();
  auto* banner = text->staleBanner();
  ASSERT_TRUE(waitUntil([&] { return model.paneList().panes().size() == 2; }, 15000));

  model.select(blankPane.toStdString());
  ASSERT_TRUE(waitUntil([&] { return text->feed() == PaneTextFeed::empty; }, 15000));
  EXPECT_TRUE(note->isVisible());
  EXPECT_EQ(note->text(), qtTrId("macos.pane_text_view.no_text_yet"));
  saveScreenshot(window, "pane-text-empty");

  model.select(m_paneId.toStdString());
  tmux({"send-keys", "-t", m_paneId, "-l", "seq -f 'line %g of the build log' 1 40; echo current-line"});
  tmux({"send-keys", "-t", m_paneId, "Enter"});
  ASSERT_TRUE(waitUntil([&] { return text->plainText().contains("log\ncurrent-line\n"); }, 15000));
  EXPECT_EQ(text->feed(), PaneTextFeed::live);
  EXPECT_FALSE(note->isVisible());
  EXPECT_FALSE(banner->isVisible());
  EXPECT_FALSE(text->isDimmed()) << "current text is not dimmed";
  saveScreenshot(window, "pane-text-live");

  freezeDaemon(true);
  ASSERT_TRUE(waitUntil([&] { return text->feed() == PaneTextFeed::stale; }, 15000));
  EXPECT_TRUE(banner->isVisible());
  EXPECT_TRUE(banner->text().contains(model.lastUpdate().time().toString("HH:mm:ss"))) << banner->text().toStdString();
  EXPECT_TRUE(text->isDimmed()) << "stale text is dimmed";
  EXPECT_TRUE(text->plainText().contains("log\ncurrent-line\n")) << "the last good text stays";
  saveScreenshot(window, "pane-text-stale");

  // A pane chosen while nothing answers: loading at once, then unreadable.
  model.select(blankPane.toStdString());
  EXPECT_EQ(text->feed(), PaneTextFeed::loading);
  EXPECT_TRUE(note->isVisible());
  EXPECT_FALSE(banner->isVisible());
  EXPECT_EQ(note->text(), qtTrId("macos.pane_text_view.loading"));
  saveScreenshot(window, "pane-text-loading");
  ASSERT_TRUE(waitUntil([&] { return text->feed() == PaneTextFeed::failed; }, 15000));
  EXPECT_EQ(note->text(), qtTrId("macos.pane_text_view.could_not_be_read"));
  saveScreenshot(window, "pane-text-failed");

  freezeDaemon(false);
  model.select(m_paneId.toStdString());
  ASSERT_TRUE(waitUntil([&] { return text->feed() == PaneTextFeed::live; }, 15000));
  EXPECT_FALSE(banner->isVisible());
  EXPECT_FALSE(note->isVisible());
  EXPECT_FALSE(text->isDimmed());
}

}  // namespace
