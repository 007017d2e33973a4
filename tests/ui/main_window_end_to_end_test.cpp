// The terminal window against the real daemon and a private tmux server: the sidebar lists
// the panes grouped as tmux has them, selecting a pane shows its text, a pane that prints an
// approval marker gets the answer panel, and clicking an option types the answer into the
// pane. Screenshots of each state go to the test artifacts.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QTest>
#include <QMenu>
#include <QInputDialog>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QUrl>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include "tests/support/real_daemon_fixture.h"
#include "tests/support/event_loop.h"
#include "tests/support/screenshot.h"
#include "tests/ui/main_window_test_support.h"
#include "shell/settings_store.h"
#include "ui/answer_panel.h"
#include "ui/composer.h"
#include "ui/main_window.h"
#include "ui/pane_sidebar_model.h"
#include "ui/pane_text_view.h"
#include "ui/theme.h"
#include "ui/viewer_state_view.h"
#include "viewer/pane_list_store.h"
#include "viewer/terminal_viewer_model.h"

namespace {

using vesket::testing::saveScreenshot;
using vesket::testing::ShownMainWindow;
using vesket::testing::waitUntil;
using vesket::viewer::ViewerState;

class MainWindowEndToEnd : public vesket::testing::RealDaemonTest {};

QString base64(const QString& text) { return QString::fromLatin1(text.toUtf8().toBase64()); }

TEST_F(MainWindowEndToEnd, FollowsAndAnswersAnAgent) {
  // A second window with two panes, next to the session's first pane.
  const QString webPane = tmux({"new-window", "-t", "main", "-n", "web", "-P", "-F", "#{pane_id}", "/bin/sh"});
  const QString sidePane = tmux({"split-window", "-t", webPane, "-P", "-F", "#{pane_id}", "/bin/sh"});

  ShownMainWindow shown(m_client, {1100, 700});
  auto& model = shown.model;
  auto& window = shown.window;

  ASSERT_TRUE(waitUntil([&] { return model.paneList().panes().size() == 3; }, 15000));
  auto* sidebar = window.sidebar();
  auto* sidebarModel = qobject_cast<vesket::ui::PaneSidebarModel*>(sidebar->model());
  ASSERT_TRUE(sidebarModel);
  ASSERT_EQ(sidebarModel->rowCount(), 2) << "one group per tmux window";
  std::set<int> groupSizes;
  for (int g = 0; g < 2; ++g) groupSizes.insert(sidebarModel->rowCount(sidebarModel->index(g, 0)));
  EXPECT_EQ(groupSizes, (std::set<int>{1, 2}));
  EXPECT_TRUE(sidebarModel->indexOfPane(webPane.toStdString()).isValid());
  EXPECT_TRUE(sidebarModel->indexOfPane(sidePane.toStdString()).isValid());

  // Select the web pane through the sidebar, as a click would.
  sidebar->setCurrentIndex(sidebarModel->indexOfPane(webPane.toStdString()));
  ASSERT_EQ(model.selectedPaneId(), webPane.toStdString());
  tmux({"send-keys", "-t", webPane, "-l", "echo hello-from-vesket"});
  tmux({"send-keys", "-t", webPane, "Enter"});
  ASSERT_TRUE(waitUntil([&] { return window.paneText()->plainText().contains("hello-from-vesket\n"); }, 15000))
      << window.paneText()->plainText().toStdString();
  EXPECT_TRUE(model.state().kind == ViewerState::Kind::streamingIdle ||
              model.state().kind == ViewerState::Kind::streamingRunning);
  saveScreenshot(window, "main-window-following");

  // The agent asks: an approval marker, then it waits for one key and reports it.
  const QString marker = QString("<<<DURNVALE-AWAITING id=Ask1 question_b64=%1 options_b64=%2 style=numbered>>>")
                             .arg(base64("Run the database migration now?"),
                                  base64(R"(["1: Yes, run it","2: No, skip it"])"));
  const QString script = QString("printf '%s\\n' '%1'; stty -icanon min 1; x=$(dd bs=1 count=1 2>/dev/null); "
                                 "stty icanon; echo; echo \"answer=$x\"; printf '%s\\n' '<<<DURNVALE-RESOLVED id=ask1>>>'")
                             .arg(marker);
  tmux({"send-keys", "-t", webPane, "-l", script});
  tmux({"send-keys", "-t", webPane, "Enter"});
  auto* panel = window.answerPanel();
  ASSERT_TRUE(waitUntil([&] { return panel->isVisible(); }, 15000)) << window.paneText()->plainText().toStdString();
  ASSERT_TRUE(model.awaitingPrompt());
  EXPECT_EQ(model.awaitingPrompt()->question, "Run the database migration now?");
  auto buttons = panel->findChildren<QPushButton*>("answerOption");
  ASSERT_EQ(buttons.size(), 2);
  EXPECT_TRUE(waitUntil([&] { return model.awaitingPaneIds().count(webPane.toStdString()) == 1; }, 15000))
      << "the sidebar badges the waiting pane";
  saveScreenshot(window, "main-window-answer-panel");

  // Choose "No, skip it": the daemon types 2 into the pane; the agent resolves the marker.
  for (auto* button : buttons) {
    if (button->text().contains("No, skip it")) button->click();
  }
  ASSERT_TRUE(captureShows(webPane, "answer=2"));
  EXPECT_TRUE(waitUntil([&] { return !panel->isVisible() && !model.awaitingPrompt(); }, 15000))
      << "the resolved marker clears the prompt";
  saveScreenshot(window, "main-window-answered");

  // The selected pane ends.
  tmux({"kill-pane", "-t", webPane});
  ASSERT_TRUE(waitUntil([&] { return model.paneList().panes().size() == 2; }, 15000));
  EXPECT_TRUE(waitUntil([&] { return model.selectedPaneId() != webPane.toStdString(); }, 5000))
      << "another listed pane is selected once the selected one is gone";
}

// The selected pane's text survives every change of the roster's shape (a pane opened and
// closed elsewhere, a daemon restart); "Try again" brings back the text's polling too.
TEST_F(MainWindowEndToEnd, KeepsTheSelectedTextThroughRosterChangesAndTryAgain) {
  ShownMainWindow shown(m_client, {900, 560});
  ASSERT_TRUE(shown.follows(m_paneId));
  auto& model = shown.model;
  auto& window = shown.window;
  tmux({"send-keys", "-t", m_paneId, "-l", "echo kept-line-one"});
  tmux({"send-keys", "-t", m_paneId, "Enter"});
  auto shows = [&](const char* text) { return window.paneText()->plainText().contains(text); };
  ASSERT_TRUE(waitUntil([&] { return shows("kept-line-one\n"); }, 15000));

  const QString other = tmux({"new-window", "-d", "-t", "main", "-P", "-F", "#{pane_id}", "/bin/sh"});
  ASSERT_TRUE(waitUntil([&] { return model.paneList().panes().size() == 2; }, 15000));
  vesket::testing::spinFor(300);  // the sidebar rebuilds its rows
  EXPECT_TRUE(shows("kept-line-one\n")) << "a pane opened elsewhere blanked the text";
  tmux({"kill-pane", "-t", other});
  ASSERT_TRUE(waitUntil([&] { return model.paneList().panes().size() == 1; }, 15000));
  EXPECT_TRUE(shows("kept-line-one\n")) << "a pane closed elsewhere blanked the text";

  stopDaemon();
  ASSERT_TRUE(waitUntil([&] { return model.state().kind == ViewerState::Kind::daemonNotRunning; }, 15000))
      << "state: " << static_cast<int>(model.state().kind);
  EXPECT_TRUE(window.stateView()->isVisible());
  saveScreenshot(window, "main-window-daemon-not-running");
  window.stateView()->findChild<QPushButton*>("stateAction")->click();  // "Try again"
  startDaemon();
  ASSERT_TRUE(waitUntil([&] { return model.state().panesAreKnown(); }, 20000));
  EXPECT_EQ(model.selectedPaneId(), m_paneId.toStdString());
  EXPECT_TRUE(shows("kept-line-one\n")) << "the daemon's restart blanked the text";
  tmux({"send-keys", "-t", m_paneId, "-l", "echo after-try-again"});
  tmux({"send-keys", "-t", m_paneId, "Enter"});
  EXPECT_TRUE(waitUntil([&] { return shows("after-try-again\n"); }, 15000))
      << "the text stopped following the pane after \"Try again\"";
}

// With auto-fit on (the default), the pane shown in the text view takes the view's width
// once the window has been in front for a moment.
TEST_F(MainWindowEndToEnd, AutoFitGivesThePaneTheTextViewsWidth) {
  QTemporaryDir dir;
  auto settings = vesket::shell::SettingsStore::openFile(dir.filePath("settings.ini"));
  ShownMainWindow shown(m_client, {760, 520}, settings.get());
  ASSERT_TRUE(shown.follows(m_paneId));
  ASSERT_EQ(tmux({"display-message", "-p", "-t", m_paneId, "#{window_width}"}), "120");
  QString width;
  EXPECT_TRUE(waitUntil([&] {
    width = tmux({"display-message", "-p", "-t", m_paneId, "#{window_width}"});
    return width != "120";
  }, 10000)) << "the pane kept its width";
  EXPECT_LT(width.toInt(), 120);
  EXPECT_GT(width.toInt(), 40);
}

// Files attached in the composer (picked or dropped) go with the message: an image through
// the daemon's send-image, stored under the product home; another file as its own path.
TEST_F(MainWindowEndToEnd, SendsAttachedFilesAndImagesWithTheMessage) {
  ShownMainWindow shown(m_client, {900, 560});
  ASSERT_TRUE(shown.follows(m_paneId));
  auto& model = shown.model;
  auto& window = shown.window;
  // The pane's program reads lines without running them.
  tmux({"send-keys", "-t", m_paneId, "-l", "cat > /dev/null"});
  tmux({"send-keys", "-t", m_paneId, "Enter"});

  QTemporaryDir files;
  const QString notes = files.filePath("release notes.md");
  {
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# 1.2\n");
  }
  const QString shot = files.filePath("shot.png");
  QImage image(4, 4, QImage::Format_RGB32);
  image.fill(Qt::red);
  ASSERT_TRUE(image.save(shot));

  auto* composer = window.composer();
  composer->addAttachments({notes});
  QMimeData dropped;
  dropped.setUrls({QUrl::fromLocalFile(shot)});
  ASSERT_TRUE(composer->takeDrop(dropped));
  EXPECT_EQ(composer->attachments(), (QStringList{notes, shot}));
  QMimeData text;
  text.setText("plain words");
  EXPECT_FALSE(composer->takeDrop(text)) << "only files and images are attachments";
  // A pasted image is attached too (through a copy of its own), not pasted as text and not
  // sent before the user sends.
  auto* editor = composer->findChild<QPlainTextEdit*>("composerEditor");
  QImage pastedImage(3, 3, QImage::Format_RGB32);
  pastedImage.fill(Qt::blue);
  QApplication::clipboard()->setImage(pastedImage);
  editor->setFocus();
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(composer->attachments().size(), 3);
  const QString pasted = composer->attachments().back();
  EXPECT_TRUE(QImage(pasted).size() == QSize(3, 3)) << pasted.toStdString();
  EXPECT_TRUE(editor->toPlainText().isEmpty());
  saveScreenshot(window, "main-window-attachments");

  editor->setPlainText("read these");
  composer->findChild<QPushButton*>("composerSend")->click();
  ASSERT_TRUE(waitUntil([&] { return composer->attachments().isEmpty(); }, 15000))
      << "error: " << model.composerError().value_or("none");
  EXPECT_FALSE(QFile::exists(pasted)) << "the pasted image's copy goes once it was sent";
  const QString typed = "read these '" + notes + "' " + environment().value("VESKET_HOME") + "/images/";
  ASSERT_TRUE(captureShows(m_paneId, typed.toStdString())) << typed.toStdString();
  const QStringList stored = QDir(environment().value("VESKET_HOME") + "/images").entryList({"*.png"}, QDir::Files);
  ASSERT_EQ(stored.size(), 2);
  QFile original(shot);
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  const QByteArray originalBytes = original.readAll();
  int same = 0;
  for (const QString& name : stored) {
    QFile copy(environment().value("VESKET_HOME") + "/images/" + name);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    if (copy.readAll() == originalBytes) ++same;
  }
  EXPECT_EQ(same, 1) << "the dropped image arrived as it was";
}

// "Rename…" in a pane's menu in the sidebar names the pane through the daemon; the name is
// kept by tmux and shown as the pane's label.
TEST_F(MainWindowEndToEnd, NamesAPaneFromTheSidebar) {
  ShownMainWindow shown(m_client, {900, 560});
  ASSERT_TRUE(shown.follows(m_paneId));
  auto& window = shown.window;
  auto* sidebar = window.sidebar();
  auto* sidebarModel = qobject_cast<vesket::ui::PaneSidebarModel*>(sidebar->model());
  const QRect row = sidebar->visualRect(sidebarModel->indexOfPane(m_paneId.toStdString()));
  ASSERT_TRUE(row.isValid());

  bool named = false;
  QTimer::singleShot(50, &window, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu || menu->actions().isEmpty()) return ADD_FAILURE() << "no pane menu";
    EXPECT_EQ(menu->actions().front()->text(), qtTrId("macos.main_window.rename_pane"));
    QTimer::singleShot(50, &window, [&] {
      auto* dialog = window.findChild<QInputDialog*>("renamePaneDialog");
      if (!dialog) return ADD_FAILURE() << "no rename dialog";
      dialog->setTextValue("  release train  ");
      saveScreenshot(*dialog, "rename-pane-dialog");
      named = true;
      dialog->accept();
    });
    menu->actions().front()->trigger();
    menu->close();
  });
  emit sidebar->customContextMenuRequested(row.center());
  ASSERT_TRUE(named);
  const auto label = [&] {
    return sidebarModel->indexOfPane(m_paneId.toStdString()).data(Qt::DisplayRole).toString();
  };
  EXPECT_TRUE(waitUntil([&] { return label() == "release train"; }, 10000)) << label().toStdString();
  EXPECT_EQ(tmux({"display-message", "-p", "-t", m_paneId, "#{@vesket-name}"}), "release train");
}

// A Claude Code pane's header says how much of its context window is in use, read by the
// daemon from the agent's transcript under the home.
TEST_F(MainWindowEndToEnd, TheHeaderShowsTheAgentsContextUse) {
  // A program called "claude" in a directory of its own, and its transcript.
  QTemporaryDir work;
  const QString program = work.filePath("claude");
  ASSERT_TRUE(QFile::copy("/bin/sleep", program));
  const QString project = QDir(work.path()).canonicalPath() + "/api";
  ASSERT_TRUE(QDir().mkpath(project));
  QString dirName = project;
  for (QChar& c : dirName) {
    if (!(c.isLetterOrNumber() && c.unicode() < 128)) c = '-';
  }
  const QString transcriptDir = environment().value("HOME") + "/.claude/projects/" + dirName;
  ASSERT_TRUE(QDir().mkpath(transcriptDir));
  {
    QFile transcript(transcriptDir + "/session.jsonl");
    ASSERT_TRUE(transcript.open(QIODevice::WriteOnly));
    transcript.write(R"({"type":"user","message":{"role":"user","content":"tighten the retry"}})" "\n"
                     R"({"type":"assistant","message":{"model":"claude-sonnet-4-5","usage":{"input_tokens":84000}}})" "\n");
  }
  tmux({"send-keys", "-t", m_paneId, "-l", "cd '" + project + "' && '" + program + "' 600"});
  tmux({"send-keys", "-t", m_paneId, "Enter"});

  ShownMainWindow shown(m_client, {1000, 560});
  ASSERT_TRUE(shown.follows(m_paneId));
  auto* location = shown.window.findChild<QLabel*>("paneLocation");
  ASSERT_TRUE(location);
  EXPECT_TRUE(waitUntil([&] { return location->text().contains("42% context"); }, 15000)) << location->text().toStdString();
  saveScreenshot(shown.window, "main-window-agent-context");
}

}  // namespace
