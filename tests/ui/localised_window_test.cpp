// The window's texts in another language: what a German user sees when the daemon is down,
// when an agent waits, and the whole window with its settings against the real daemon
// (screenshots under test-artifacts).
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include "shell/localisation.h"
#include "shell/settings_store.h"
#include "tests/support/real_daemon_fixture.h"
#include "tests/support/screenshot.h"
#include "tests/ui/main_window_test_support.h"
#include "ui/main_window.h"
#include "ui/settings_dialog.h"
#include "viewer/terminal_viewer_model.h"
#include "ui/answer_panel.h"
#include "ui/theme.h"
#include "ui/viewer_state_view.h"

namespace vesket::ui {
namespace {

class GermanWindow : public ::testing::Test {
 protected:
  GermanWindow() { shell::Localisation::install(*qApp, QLocale(QLocale::German, QLocale::Germany)); }
  ~GermanWindow() override { shell::Localisation::install(*qApp, QLocale(QLocale::English)); }
};

TEST_F(GermanWindow, StatesAndAnswerPanelReadInGerman) {
  Theme theme;
  theme.apply(*qApp);
  ViewerStateView state;
  state.resize(720, 420);
  state.setState(viewer::ViewerState{viewer::ViewerState::Kind::daemonNotRunning});
  QStringList texts;
  for (auto* label : state.findChildren<QLabel*>()) texts << label->text();
  for (auto* button : state.findChildren<QPushButton*>()) texts << button->text();
  EXPECT_TRUE(texts.contains(QString::fromUtf8("Der Vesket-Daemon läuft nicht"))) << texts.join('|').toStdString();
  EXPECT_TRUE(texts.contains(QStringLiteral("Erneut versuchen"))) << texts.join('|').toStdString();
  testing::saveScreenshot(state, "window-german-daemon-down");

  AnswerPanel panel;
  panel.resize(560, 220);
  panel.setPrompt(viewer::AwaitingPrompt{"q1", "Darf der Agent `npm test` ausführen?",
                                         {{1, "Ja", "1"}, {2, "Nein", "2"}}, viewer::ApprovalSelectionStyle::numbered,
                                         std::nullopt});
  panel.show();
  const auto dismiss = panel.findChild<QPushButton*>("answerDismiss");
  ASSERT_NE(dismiss, nullptr);
  EXPECT_EQ(dismiss->text(), QStringLiteral("Ausblenden"));
  EXPECT_EQ(panel.findChild<QLabel*>("answerKind")->text(), QStringLiteral("Wartet auf Ihre Entscheidung"));
  testing::saveScreenshot(panel, "window-german-waiting-prompt");
}

class GermanWindowEndToEnd : public testing::RealDaemonTest {
 protected:
  GermanWindowEndToEnd() { shell::Localisation::install(*qApp, QLocale(QLocale::German, QLocale::Germany)); }
  ~GermanWindowEndToEnd() override { shell::Localisation::install(*qApp, QLocale(QLocale::English)); }
};

TEST_F(GermanWindowEndToEnd, TheWindowAndItsSettingsReadInGerman) {
  QTemporaryDir dir;
  auto store = shell::SettingsStore::openFile(dir.path() + "/settings.ini");
  testing::ShownMainWindow shown(m_client, {1100, 640}, store.get());
  auto& window = shown.window;
  ASSERT_TRUE(shown.follows(m_paneId));
  tmux({"send-keys", "-t", m_paneId, "-l", "echo Hallo aus dem Bereich"});
  tmux({"send-keys", "-t", m_paneId, "Enter"});
  EXPECT_EQ(window.findChild<QToolButton*>("settingsButton")->text(), QString::fromUtf8("Einstellungen…"));
  EXPECT_EQ(window.findChild<QToolButton*>("liveTerminalToggle")->text(), QStringLiteral("Live-Terminal"));
  const auto* locationLabel = window.findChild<QLabel*>("paneLocation");
  EXPECT_TRUE(testing::waitUntil([&] {
    const QString location = locationLabel->text();
    return location.contains(QStringLiteral("aktiv")) || location.contains(QString::fromUtf8("untätig"));
  })) << locationLabel->text().toStdString();
  testing::saveScreenshot(window, "window-german");

  testing::whileSettingsOpen(window, [](SettingsDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Einstellungen"));
    EXPECT_EQ(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close)->text(), QString::fromUtf8("Schließen"));
    dialog.resize(std::max(560, dialog.sizeHint().width()), dialog.sizeHint().height());
    testing::saveScreenshot(dialog, "settings-dialog-german");
  });
}

}  // namespace
}  // namespace vesket::ui
