// The window's texts in another language: what a German user sees when the daemon is down
// and when an agent waits (screenshots under test-artifacts).
#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "shell/localisation.h"
#include "tests/support/screenshot.h"
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

}  // namespace
}  // namespace vesket::ui
