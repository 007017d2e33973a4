// Answering a waiting agent from the window, against the real daemon: a digit answers from
// wherever the focus is, except where typing goes (the composer, a text field); the answer
// panel goes as soon as the answer arrived, and nothing can type a second answer.
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include "tests/support/event_loop.h"
#include "tests/support/real_daemon_fixture.h"
#include "tests/ui/main_window_test_support.h"
#include "ui/answer_panel.h"
#include "ui/composer.h"
#include "ui/main_window.h"
#include "ui/pane_text_view.h"
#include "ui/theme.h"
#include "viewer/pane_list_store.h"
#include "viewer/terminal_viewer_model.h"

namespace {

using vesket::testing::waitUntil;

class AnsweringEndToEnd : public vesket::testing::RealDaemonTest {
 protected:
  // An agent that asks, reads one key, reports it and resolves; keys typed after that reach
  // the shell and show up as "extra=...".
  void ask(const QString& id) {
    const auto b64 = [](const char* text) { return QString::fromLatin1(QByteArray(text).toBase64()); };
    // The markers are put together by the shell, so that the typed command line holds none.
    const QString script =
        QString("m='<<<DURNVALE-'; printf '%sAWAITING id=%1 question_b64=%2 options_b64=%3 style=numbered>>>\\n' \"$m\"; "
                "stty -icanon -echo min 1; x=$(dd bs=1 count=1 2>/dev/null); echo \"answer=$x\"; "
                "printf '%sRESOLVED id=%1>>>\\n' \"$m\"; y=$(dd bs=1 count=1 2>/dev/null); "
                "stty icanon echo; echo \"extra=$y\"")
            .arg(id, b64("Ship it?"), b64(R"(["1: Yes","2: No"])"));
    tmux({"send-keys", "-t", m_paneId, "-l", script});
    tmux({"send-keys", "-t", m_paneId, "Enter"});
  }
};

TEST_F(AnsweringEndToEnd, DigitsAnswerOutsideTextFieldsAndThePanelGoesAtOnce) {
  vesket::testing::ShownMainWindow shown(m_client, {1000, 620});
  auto& model = shown.model;
  auto& window = shown.window;
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(shown.follows(m_paneId));
  auto* panel = window.answerPanel();

  ask("First");
  ASSERT_TRUE(waitUntil([&] { return panel->isVisible(); }, 15000));
  // Typed into the composer, a digit is text.
  auto* composer = window.composer()->findChild<QPlainTextEdit*>();
  ASSERT_TRUE(composer);
  composer->setFocus();
  QTest::keyClick(composer, Qt::Key_2);
  EXPECT_EQ(composer->toPlainText(), "2");
  EXPECT_FALSE(model.isAnswering());
  composer->clear();

  // With the focus on the (read-only) pane text, the digit answers.
  auto* text = window.paneText()->editor();
  text->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), text);
  QTest::keyClick(text, Qt::Key_1);
  ASSERT_TRUE(captureShows(m_paneId, "answer=1"));
  ASSERT_TRUE(waitUntil([&] { return !model.isAnswering(); }, 10000));
  EXPECT_FALSE(panel->isVisible()) << "the panel stays after its answer arrived";
  EXPECT_FALSE(model.awaitingPrompt());

  // Nothing can answer again: not the digit, not the panel.
  QTest::keyClick(text, Qt::Key_2);
  EXPECT_FALSE(panel->chooseIndex(2));
  vesket::testing::spinFor(3000);  // two sweeps
  EXPECT_FALSE(panel->isVisible()) << "the sweep brought the answered prompt back";
  tmux({"send-keys", "-t", m_paneId, "-l", "z"});
  ASSERT_TRUE(captureShows(m_paneId, "extra=z")) << "a second answer reached the agent";
  EXPECT_FALSE(model.isAnswering());

  // A new question shows again, and the sidebar's focus answers it with its digit.
  ask("Second");
  ASSERT_TRUE(waitUntil([&] { return panel->isVisible(); }, 15000));
  window.sidebar()->setFocus();
  QTest::keyClick(window.sidebar(), Qt::Key_2);
  ASSERT_TRUE(captureShows(m_paneId, "answer=2"));
  EXPECT_TRUE(waitUntil([&] { return !panel->isVisible(); }, 5000));
  tmux({"send-keys", "-t", m_paneId, "-l", "q"});
  ASSERT_TRUE(captureShows(m_paneId, "extra=q"));
}

}  // namespace
