// The pane text view follows new output at the bottom, holds still while the user reads
// further up, and counts what arrived meanwhile.
#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include "tests/support/screenshot.h"
#include "ui/pane_text_view.h"
#include "ui/theme.h"

using vesket::ui::PaneTextView;
using Change = vesket::viewer::LineDiffer::Change;

namespace {

std::vector<std::string> numbered(int from, int count) {
  std::vector<std::string> lines;
  for (int i = from; i < from + count; ++i) lines.push_back("\x1b[32mline\x1b[0m " + std::to_string(i));
  return lines;
}

TEST(PaneTextView, FollowsAtTheBottomAndCountsLinesWhileScrolledUp) {
  PaneTextView view;
  view.resize(500, 300);
  view.show();
  view.applyChange(Change::replace(numbered(0, 200)));
  QApplication::processEvents();
  auto* bar = view.editor()->verticalScrollBar();
  EXPECT_TRUE(view.isPinnedToBottom());
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_EQ(view.lineCount(), 200);
  EXPECT_TRUE(view.plainText().startsWith("line 0\nline 1")) << "escape sequences become formats, not text";

  view.applyChange(Change::append(numbered(200, 5), 0));
  QApplication::processEvents();
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_EQ(view.pausedNewLineCount(), 0);

  bar->setValue(bar->maximum() / 2);
  EXPECT_FALSE(view.isPinnedToBottom());
  const QString topLine = view.editor()->cursorForPosition(QPoint(5, 5)).block().text();
  view.applyChange(Change::append(numbered(205, 3), 3));  // three old lines drop off the head
  QApplication::processEvents();
  EXPECT_EQ(view.pausedNewLineCount(), 3);
  EXPECT_EQ(view.lineCount(), 205);
  EXPECT_EQ(view.editor()->cursorForPosition(QPoint(5, 5)).block().text(), topLine)
      << "the reader's place survives trimming and appending";
  auto* button = view.findChild<QToolButton*>("newLinesButton");
  ASSERT_TRUE(button);
  EXPECT_TRUE(button->isVisible());
  EXPECT_EQ(button->text(), QString::fromUtf8("3 new lines \u2193"));
  vesket::testing::saveScreenshot(view, "pane-text-scrolled-up");

  button->click();
  QApplication::processEvents();
  EXPECT_TRUE(view.isPinnedToBottom());
  EXPECT_EQ(view.pausedNewLineCount(), 0);
  EXPECT_FALSE(button->isVisible());
}

TEST(PaneTextView, ReplaceWhilePinnedStaysAtTheBottom) {
  PaneTextView view;
  view.resize(400, 200);
  view.show();
  view.applyChange(Change::replace(numbered(0, 50)));
  view.applyChange(Change::replace(numbered(10, 80)));
  QApplication::processEvents();
  auto* bar = view.editor()->verticalScrollBar();
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_TRUE(view.plainText().endsWith("line 89"));
  view.clearText();
  EXPECT_EQ(view.lineCount(), 0);
}

// A capture ends with the screen's empty rows below the cursor: the view follows the last
// written line, not a page of blank rows, and stays pinned while output arrives.
TEST(PaneTextView, TheBottomIsTheLastWrittenLineNotTheScreensEmptyRows) {
  PaneTextView view;
  view.resize(400, 200);
  view.show();
  std::vector<std::string> screen = numbered(0, 30);
  screen.push_back("$ ");
  screen.insert(screen.end(), 40, std::string());
  view.applyChange(Change::replace(screen));
  QApplication::processEvents();
  auto* editor = view.editor();
  // The last written line among the four lowest rows of the viewport (the editor keeps a
  // little room below its last line).
  const auto lastVisible = [&] {
    const int bottom = editor->viewport()->height() - 2;
    const int row = editor->fontMetrics().lineSpacing();
    for (int y = bottom; y > bottom - 4 * row; y -= row) {
      const QString text = editor->cursorForPosition(QPoint(5, y)).block().text();
      if (!text.isEmpty()) return text;
    }
    return QString();
  };
  EXPECT_EQ(lastVisible(), "$ ") << "the prompt is on screen, the empty rows below it are not";
  EXPECT_TRUE(view.isPinnedToBottom());

  screen[31] = "$ ls";
  screen[32] = "file";
  view.applyChange(Change::replace(screen));
  QApplication::processEvents();
  EXPECT_EQ(lastVisible(), "file");
  EXPECT_TRUE(view.isPinnedToBottom());
}

}  // namespace

namespace {

// A click on a web link in the text opens it in the browser; plain text, and the end of a
// selection drag, open nothing.
TEST(PaneTextView, ClickedWebLinksOpenInTheBrowser) {
  PaneTextView view;
  std::vector<QUrl> opened;
  view.openUrl = [&](const QUrl& url) { opened.push_back(url); };
  view.resize(500, 300);
  view.show();
  view.applyChange(Change::replace({"docs at https://example.com/guide?x=1 today", "plain words here"}));
  QApplication::processEvents();
  auto* editor = view.editor();
  auto pointAt = [&](int position) {
    QTextCursor cursor(editor->document());
    cursor.setPosition(position);
    return editor->cursorRect(cursor).center() + QPoint(2, 0);
  };
  QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, pointAt(15));
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl("https://example.com/guide?x=1"));

  const int plain = editor->document()->findBlockByNumber(1).position() + 3;
  QTest::mouseClick(editor->viewport(), Qt::LeftButton, {}, pointAt(plain));
  EXPECT_EQ(opened.size(), 1u) << "plain text is no link";

  QTest::mousePress(editor->viewport(), Qt::LeftButton, {}, pointAt(plain));
  QTest::mouseMove(editor->viewport(), pointAt(15));
  QTest::mouseRelease(editor->viewport(), Qt::LeftButton, {}, pointAt(15));
  EXPECT_EQ(opened.size(), 1u) << "a selection that ends on a link opens nothing";
}

}  // namespace
