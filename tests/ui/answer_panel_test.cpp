#include "ui/answer_panel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "tests/support/screenshot.h"
#include "ui/theme.h"

using vesket::ui::AnswerPanel;
using vesket::viewer::ApprovalOption;
using vesket::viewer::ApprovalSelectionStyle;
using vesket::viewer::AwaitingPrompt;

namespace {

AwaitingPrompt numbered() {
  return {"a1", "Allow the agent to run `npm test`?",
          {{1, "Yes", "1"}, {2, "Yes, and don't ask again this session", "2"}, {3, "No, tell it what to do", "3"}},
          ApprovalSelectionStyle::numbered, std::nullopt};
}

std::vector<QPushButton*> optionButtons(AnswerPanel& panel) {
  std::vector<QPushButton*> buttons;
  for (auto* b : panel.findChildren<QPushButton*>("answerOption")) {
    if (!b->isHidden()) buttons.push_back(b);
  }
  return buttons;
}

TEST(AnswerPanel, OffersOneButtonPerOptionAndDigitShortcuts) {
  vesket::ui::Theme theme;
  theme.apply(*qApp);
  AnswerPanel panel;
  panel.resize(520, 240);
  QSignalSpy chosen(&panel, &AnswerPanel::optionChosen);
  panel.setPrompt(numbered());
  panel.show();
  EXPECT_TRUE(panel.isVisible());
  auto buttons = optionButtons(panel);
  ASSERT_EQ(buttons.size(), 3u);
  EXPECT_FALSE(panel.findChild<QLineEdit*>("answerFreeText")->isVisible()) << "numbered prompts take no text";
  vesket::testing::saveScreenshot(panel, "answer-panel-numbered");

  buttons[1]->click();
  ASSERT_EQ(chosen.count(), 1);
  EXPECT_EQ(chosen.at(0).at(0).value<ApprovalOption>().value, "2");

  QTest::keyClick(&panel, Qt::Key_3);
  ASSERT_EQ(chosen.count(), 2);
  EXPECT_EQ(chosen.at(1).at(0).value<ApprovalOption>().index, 3);
  QTest::keyClick(&panel, Qt::Key_7);
  EXPECT_EQ(chosen.count(), 2) << "no seventh option";

  panel.setAnswering(true);
  EXPECT_FALSE(optionButtons(panel)[0]->isEnabled());
  EXPECT_FALSE(panel.chooseIndex(1)) << "one answer at a time";
  panel.setAnswering(false);
  panel.setError(QString("pane %9 not found"));
  EXPECT_TRUE(panel.findChild<QLabel*>("answerError")->isVisible());

  panel.setPrompt(std::nullopt);
  EXPECT_FALSE(panel.isVisible());
}

TEST(AnswerPanel, FreeTextStylesTakeTypedAnswers) {
  AnswerPanel panel;
  QSignalSpy submitted(&panel, &AnswerPanel::freeTextSubmitted);
  panel.setPrompt(AwaitingPrompt{"q2", "Which branch should I rebase onto?", {}, ApprovalSelectionStyle::freeTextPrompt,
                                 std::nullopt});
  panel.show();
  auto* field = panel.findChild<QLineEdit*>("answerFreeText");
  ASSERT_TRUE(field->isVisible());
  EXPECT_TRUE(optionButtons(panel).empty());
  field->setText("   ");
  QTest::keyClick(field, Qt::Key_Return);
  EXPECT_EQ(submitted.count(), 0) << "blank answers are not sent";
  field->setText("main");
  QTest::keyClick(field, Qt::Key_Return);
  ASSERT_EQ(submitted.count(), 1);
  EXPECT_EQ(submitted.at(0).at(0).toString(), "main");
}

}  // namespace

