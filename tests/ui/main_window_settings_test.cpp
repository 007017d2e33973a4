// The window's settings and modes: the settings dialog reads and writes the store the
// window was given (in isolation mode the isolated preferences, never the user's own) and
// offers the languages that have a table, and a short one scrolls to its help texts rather than
// squeezing them; Settings can be reached while the daemon is down;
// the text/live switch shows which view is on, and the live terminal takes the keyboard.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "control_plane/control_plane_client.h"
#include "shell/localisation.h"
#include "shell/settings_key.h"
#include "shell/settings_store.h"
#include "tests/support/screenshot.h"
#include "tests/ui/main_window_test_support.h"
#include "ui/main_window.h"
#include "ui/pane_text_view.h"
#include "ui/settings_dialog.h"
#include "terminal/live_terminal_view.h"
#include "tests/support/event_loop.h"
#include "tests/support/real_daemon_fixture.h"
#include "tests/support/scoped_environment.h"
#include "tests/terminal/live_terminal_test_support.h"
#include "ui/theme.h"
#include "ui/viewer_state_view.h"
#include "viewer/terminal_viewer_model.h"

namespace vesket::ui {
namespace {

using testing::whileSettingsOpen;

// The window, in the application's theme, over a store of its own and a product home of
// its own, with no daemon behind it.
class SettingsDialogTest : public ::testing::Test {
 protected:
  QTemporaryDir m_dir;
  ScopedEnvironment m_environment;
  bool m_homeSet = (m_environment.set("VESKET_HOME", (m_dir.path() + "/home").toUtf8()), true);
  Theme m_theme;
  bool m_themed = (m_theme.apply(*qApp), true);
  std::unique_ptr<shell::SettingsStore> m_store = shell::SettingsStore::openFile(m_dir.path() + "/preferences/settings.ini");
  viewer::TerminalViewerModel m_model{
      control_plane::ControlPlaneClient::create(m_dir.path().toStdString() + "/none.sock", std::nullopt), m_store.get()};
  MainWindow m_window{m_model};
};

TEST_F(SettingsDialogTest, TheWindowsStoreIsReadAndWrittenAndLanguagesOffered) {
  ASSERT_TRUE(m_store);
  m_store->set(shell::SettingsKeys::terminalHistoryLimit, 1000);
  m_store->setValue("durnvale.appLanguage", "ko");

  whileSettingsOpen(m_window, [&](SettingsDialog& dialog) {
    EXPECT_EQ(dialog.historyLimitGroup()->checkedId(), 2) << "1000, as the window's store has it";
    QComboBox* languages = dialog.languagePicker();
    ASSERT_EQ(languages->count(), 5);
    EXPECT_EQ(languages->currentData().toString(), "ko");
    QStringList names;
    for (int i = 0; i < languages->count(); ++i) names << languages->itemText(i);
    EXPECT_EQ(names, (QStringList{"System", "English", "Deutsch", QString::fromUtf8("한국어"), QString::fromUtf8("简体中文")}));
    // Only settings something reads: auto-fit (the model), the reflow (the live terminal) and
    // the crash and hang reports (the scans and the hang watchdog, through diagnostics.json).
    QStringList boxes;
    for (auto* box : dialog.findChildren<QCheckBox*>()) boxes << box->text();
    EXPECT_EQ(boxes, (QStringList{qtTrId("macos.settings_view.auto_fit"),
                                  qtTrId("macos.settings_view.reflow_claude_output_in_scrollback_experimental"),
                                  qtTrId("macos.settings_view.share_crash_reports")}));
    EXPECT_TRUE(dialog.crashReportsBox()->isChecked()) << "on while nothing says otherwise";
    testing::spinFor(50);  // the scroll area settles its bars once the dialog is laid out
    testing::saveScreenshot(dialog, "settings-dialog");  // at the size it opens with
    dialog.historyLimitGroup()->button(0)->click();
    languages->setCurrentIndex(3);
    languages->setCurrentIndex(0);
    languages->setCurrentIndex(2);
    dialog.crashReportsBox()->click();
  });
  QFile diagnostics(m_dir.path() + "/home/diagnostics.json");
  ASSERT_TRUE(diagnostics.open(QIODevice::ReadOnly));
  EXPECT_EQ(nlohmann::json::parse(diagnostics.readAll().toStdString(), nullptr, false).value("shareCrashReports", true),
            false);
  whileSettingsOpen(m_window, [&](SettingsDialog& dialog) { EXPECT_FALSE(dialog.crashReportsBox()->isChecked()); });
  EXPECT_EQ(m_store->get(shell::SettingsKeys::terminalHistoryLimit), 200);
  EXPECT_EQ(m_store->get(shell::Localisation::appLanguage), "de");
  EXPECT_EQ(shell::Localisation::chooseLocale("", m_store->get(shell::Localisation::appLanguage), QLocale(QLocale::English))
                .language(),
            QLocale::German)
      << "the next start reads the choice";
}

TEST_F(SettingsDialogTest, AShortWindowScrollsToItsHelpTextsInsteadOfSqueezingThem) {
  ASSERT_TRUE(m_store);
  whileSettingsOpen(m_window, [&](SettingsDialog& dialog) {
    dialog.resize(520, 360);
    testing::spinFor(50);
    EXPECT_LE(dialog.height(), 400);
    const QList<QLabel*> helps = dialog.findChildren<QLabel*>("settingsHelp");
    ASSERT_GE(helps.size(), 5);
    for (QLabel* help : helps) {
      EXPECT_GE(help->height(), help->heightForWidth(help->width())) << help->text().left(40).toStdString();
    }
    // The last one is reached by scrolling, and Close stays in view.
    auto* scroll = dialog.findChild<QScrollArea*>();
    ASSERT_NE(scroll, nullptr);
    scroll->ensureWidgetVisible(helps.back());
    testing::spinFor(20);
    EXPECT_TRUE(scroll->viewport()->rect().contains(QRect(helps.back()->mapTo(scroll->viewport(), QPoint(0, 0)), helps.back()->size())));
    auto* close = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close);
    EXPECT_TRUE(dialog.rect().contains(QRect(close->mapTo(&dialog, QPoint(0, 0)), close->size())));
  });
}

// Against the real daemon: the switch shows the view that is on, the live terminal takes the
// keyboard as it opens, attaches and takes the window's colours (light and dark); Settings
// stays reachable once the daemon is gone.
class MainWindowModesTest : public testing::RealDaemonTest {};

TEST_F(MainWindowModesTest, TheSwitchShowsTheViewAndTheLiveTerminalTakesTheKeyboard) {
  testing::prepareWebEngine();
  Theme theme;
  theme.setScheme(Theme::Scheme::dark);
  theme.apply(*qApp);
  QTemporaryDir dir;
  auto store = shell::SettingsStore::openFile(dir.path() + "/settings.ini");
  viewer::TerminalViewerModel model(m_client, store.get());
  MainWindow window(model);
  window.resize(1100, 640);
  window.show();
  window.activateWindow();
  model.start();
  ASSERT_TRUE(testing::waitUntil([&] { return model.selectedPaneId() == m_paneId.toStdString(); }, 15000));
  tmux({"send-keys", "-t", m_paneId, "-l", "echo live-in-the-window"});
  tmux({"send-keys", "-t", m_paneId, "Enter"});

  auto* textToggle = window.findChild<QToolButton*>("textModeToggle");
  auto* liveToggle = window.findChild<QToolButton*>("liveTerminalToggle");
  ASSERT_TRUE(textToggle && liveToggle);
  EXPECT_TRUE(textToggle->isChecked());
  EXPECT_FALSE(liveToggle->isChecked());
  liveToggle->click();
  EXPECT_FALSE(textToggle->isChecked()) << "only the view that is on shows as on";
  EXPECT_TRUE(liveToggle->isChecked());
  terminal::LiveTerminalView* live = window.liveTerminal();
  ASSERT_TRUE(live);
  testing::saveScreenshot(window, "window-live-terminal-attaching");
  EXPECT_TRUE(testing::waitUntil([&] {
    QWidget* focus = QApplication::focusWidget();
    return focus && (focus == live || live->isAncestorOf(focus));
  }, 5000)) << "focus: " << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none");
  ASSERT_TRUE(testing::waitUntil([&] { return live->isSessionReady(); }, 15000)) << live->statusText().toStdString();
  EXPECT_TRUE(testing::waitForCondition([&] { return testing::screenText(*live).contains("live-in-the-window"); }))
      << testing::screenText(*live).toStdString();

  auto background = [&] { return testing::evaluate(*live, "document.body.style.background").toString(); };
  const auto rgb = [](const QColor& c) { return QString("rgb(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue()); };
  EXPECT_TRUE(testing::waitForCondition([&] { return background() == rgb(Theme::colorsFor(Theme::Scheme::dark).base); }))
      << background().toStdString();
  QTest::qWait(300);
  testing::saveScreenshot(window, "window-live-terminal-dark");
  theme.setScheme(Theme::Scheme::light);
  EXPECT_TRUE(testing::waitForCondition([&] { return background() == rgb(Theme::colorsFor(Theme::Scheme::light).base); }))
      << background().toStdString();
  QTest::qWait(300);
  testing::saveScreenshot(window, "window-live-terminal-light");

  textToggle->click();
  EXPECT_FALSE(liveToggle->isChecked());
  EXPECT_TRUE(textToggle->isChecked());
  EXPECT_TRUE(testing::waitUntil([&] { return window.paneText()->plainText().contains("live-in-the-window"); }, 5000));
  testing::saveScreenshot(window, "window-text-light");
  theme.setScheme(Theme::Scheme::dark);

  stopDaemon();
  ASSERT_TRUE(testing::waitUntil([&] { return window.stateView()->isVisible(); }, 15000)) << "the daemon-down screen";
  auto* settingsButton = window.findChild<QToolButton*>("settingsButton");
  ASSERT_TRUE(settingsButton);
  EXPECT_TRUE(settingsButton->isVisible()) << "Settings while no pane can be shown";
  whileSettingsOpen(window, [](SettingsDialog& dialog) { EXPECT_TRUE(dialog.languagePicker()); });
  testing::saveScreenshot(window, "window-daemon-down-settings");
  model.stop();
}

}  // namespace
}  // namespace vesket::ui
