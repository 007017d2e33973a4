#include "viewer/ansi_text_document_builder.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <vector>

#include "viewer/ansi_appearance.h"
#include "viewer/ansi_canvas_font.h"

namespace vesket::viewer {
namespace {

struct Fragment {
  QString text;
  QTextCharFormat format;
};

std::vector<Fragment> fragments(const QTextDocument& document) {
  std::vector<Fragment> out;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      out.push_back({it.fragment().text(), it.fragment().charFormat()});
    }
  }
  return out;
}

AnsiTextOptions darkOptions() {
  AnsiTextOptions options;
  options.defaultForeground = QColor(230, 230, 230);
  options.palette = &AnsiPalette::dark();
  options.accentColor = QColor(0, 0, 255);
  return options;
}

TEST(AnsiTextDocumentBuilder, RunsCarryFontWeightAndColour) {
  QTextDocument document;
  AnsiTextDocumentBuilder(darkOptions())
      .setContent(document, std::string_view("\x1B[1;31mred \x1B[0mplain\r\n\x1B[2mdim"));
  EXPECT_EQ(document.toPlainText(), "red plain\ndim");
  const auto parts = fragments(document);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[0].text, "red ");
  EXPECT_EQ(parts[0].format.foreground().color(),
            AnsiAppearance::toQColor(AnsiPalette::dark().red, true));
  EXPECT_EQ(parts[0].format.fontWeight(), QFont::Bold);
  EXPECT_EQ(parts[1].text, "plain");
  EXPECT_EQ(parts[1].format.foreground().color(), QColor(230, 230, 230));
  EXPECT_EQ(parts[1].format.fontWeight(), QFont::Normal);
  EXPECT_TRUE(parts[1].format.font().fixedPitch());
  EXPECT_EQ(parts[2].text, "dim");
  EXPECT_EQ(parts[2].format.foreground().color(), AnsiAppearance::toQColor(AnsiRgb::grey(0.55)));
}

TEST(AnsiTextDocumentBuilder, AdaptivePaletteResolvesByAppearance) {
  AnsiTextOptions options = darkOptions();
  options.palette = &AnsiPalette::adaptive();
  options.darkAppearance = false;
  QTextDocument document;
  AnsiTextDocumentBuilder(options).setContent(document, QStringLiteral("\x1B[37mw"));
  const auto parts = fragments(document);
  ASSERT_EQ(parts.size(), 1u);
  EXPECT_EQ(parts[0].format.foreground().color(), AnsiAppearance::toQColor(AnsiRgb::grey(0.28)));
}

TEST(AnsiTextDocumentBuilder, LinksAreAccentColouredUnderlinedAnchors) {
  QTextDocument document;
  AnsiTextDocumentBuilder(darkOptions())
      .setContent(document, QStringLiteral("open \x1B[32mhttps://example.com/ä\x1B[0m. mail a@b.io"));
  const auto parts = fragments(document);
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(parts[1].text, QStringLiteral("https://example.com/ä"));
  EXPECT_TRUE(parts[1].format.isAnchor());
  EXPECT_EQ(parts[1].format.anchorHref(), QStringLiteral("https://example.com/ä"));
  EXPECT_EQ(parts[1].format.foreground().color(), QColor(0, 0, 255));
  EXPECT_TRUE(parts[1].format.fontUnderline());
  EXPECT_FALSE(parts[2].format.isAnchor());
  EXPECT_EQ(parts[2].text, ". mail a@b.io");

  AnsiTextOptions noLinks = darkOptions();
  noLinks.detectLinks = false;
  AnsiTextDocumentBuilder(noLinks).setContent(document, QStringLiteral("https://example.com"));
  EXPECT_FALSE(fragments(document).at(0).format.isAnchor());
}

TEST(AnsiTextDocumentBuilder, ApplyLinksMarksALinkSpanningTwoInserts) {
  AnsiTextOptions options = darkOptions();
  options.detectLinks = false;
  const AnsiTextDocumentBuilder builder(options);
  QTextDocument document;
  builder.setContent(document, std::string_view("日本 🚀 see https://exa"));
  QTextCursor cursor(&document);
  cursor.movePosition(QTextCursor::End);
  builder.insert(cursor, "\x1B[1mmple.com/x\x1B[0m, done");
  AnsiTextDocumentBuilder::applyLinks(document, QColor(255, 0, 0));

  QString linked;
  for (const Fragment& part : fragments(document)) {
    if (part.format.isAnchor()) {
      linked += part.text;
      EXPECT_EQ(part.format.anchorHref(), "https://example.com/x");
      EXPECT_EQ(part.format.foreground().color(), QColor(255, 0, 0));
      EXPECT_TRUE(part.format.fontUnderline());
    }
  }
  EXPECT_EQ(linked, "https://example.com/x");
  EXPECT_EQ(fragments(document).back().text, ", done");
}

TEST(AnsiTextDocumentBuilder, InsertAppendsAtCursor) {
  QTextDocument document;
  const AnsiTextDocumentBuilder builder(darkOptions());
  builder.setContent(document, std::string_view("one\n"));
  QTextCursor cursor(&document);
  cursor.movePosition(QTextCursor::End);
  builder.insert(cursor, "\x1B[34mtwo");
  EXPECT_EQ(document.toPlainText(), "one\ntwo");
  EXPECT_EQ(fragments(document).back().format.foreground().color(),
            AnsiAppearance::toQColor(AnsiPalette::dark().blue, true));
}

TEST(AnsiCanvasFont, MonospacedAtSizeAndWeight) {
  const QFont font = AnsiCanvasFont::canvasFont(13, QFont::Bold);
  EXPECT_EQ(font.pointSizeF(), 13);
  EXPECT_EQ(font.weight(), QFont::Bold);
  EXPECT_TRUE(font.fixedPitch());
  if (const auto fallback = AnsiCanvasFont::iconFallbackFamily()) {
    EXPECT_EQ(font.families().value(1), *fallback);
  } else {
    EXPECT_LE(font.families().size(), 1);
  }
  EXPECT_FALSE(AnsiCanvasFont::canvasFont(13, QFont::Normal, false).families().size() > 1);
}

TEST(AnsiAppearance, DarkWhenWindowDarkerThanText) {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(30, 30, 30));
  dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
  EXPECT_TRUE(AnsiAppearance::isDark(dark));
  QPalette light;
  light.setColor(QPalette::Window, QColor(240, 240, 240));
  light.setColor(QPalette::WindowText, Qt::black);
  EXPECT_FALSE(AnsiAppearance::isDark(light));
}

}  // namespace
}  // namespace vesket::viewer
