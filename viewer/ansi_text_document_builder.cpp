#include "viewer/ansi_text_document_builder.h"

#include <QTextCursor>
#include <QTextDocument>

#include "viewer/ansi_appearance.h"
#include "viewer/ansi_canvas_font.h"
#include "viewer/core/ansi_styled_text.h"
#include "viewer/core/web_link_detector.h"

namespace vesket::viewer {

namespace {

QTextCharFormat linkFormat(const std::string& url, const QColor& accentColor) {
  QTextCharFormat format;
  format.setAnchor(true);
  format.setAnchorHref(QString::fromStdString(url));
  format.setForeground(accentColor);
  format.setFontUnderline(true);
  return format;
}

}  // namespace

AnsiTextDocumentBuilder::AnsiTextDocumentBuilder(AnsiTextOptions options)
    : m_options(std::move(options)) {
  if (m_options.palette == nullptr) m_options.palette = &AnsiPalette::adaptive();
  m_regular.setFont(AnsiCanvasFont::canvasFont(m_options.fontPointSize, QFont::Normal,
                                               m_options.iconFallback));
  m_bold.setFont(
      AnsiCanvasFont::canvasFont(m_options.fontPointSize, QFont::Bold, m_options.iconFallback));
}

QTextCharFormat AnsiTextDocumentBuilder::format(bool bold,
                                                const std::optional<AnsiColor>& color) const {
  QTextCharFormat format = bold ? m_bold : m_regular;
  format.setForeground(color ? AnsiAppearance::toQColor(*color, m_options.darkAppearance)
                             : m_options.defaultForeground);
  return format;
}

void AnsiTextDocumentBuilder::setContent(QTextDocument& document, std::string_view utf8) const {
  document.clear();
  QTextCursor cursor(&document);
  insert(cursor, utf8);
}

void AnsiTextDocumentBuilder::setContent(QTextDocument& document, const QString& text) const {
  const QByteArray utf8 = text.toUtf8();
  setContent(document, std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

void AnsiTextDocumentBuilder::insert(QTextCursor& cursor, std::string_view utf8) const {
  const AnsiStyledText styled(utf8, *m_options.palette, m_options.onDarkCanvas,
                              m_options.detectLinks);
  cursor.beginEditBlock();
  styled.forEachSegment([&](const AnsiSegment& segment) {
    QTextCharFormat charFormat = format(segment.style.bold, segment.style.color);
    if (segment.link) charFormat.merge(linkFormat(segment.link->url, m_options.accentColor));
    cursor.insertText(
        QString::fromUtf8(segment.text.data(), static_cast<qsizetype>(segment.text.size())),
        charFormat);
  });
  cursor.endEditBlock();
}

}  // namespace vesket::viewer

namespace vesket::viewer {

void AnsiTextDocumentBuilder::applyLinks(QTextDocument& document, const QColor& accentColor) {
  const QByteArray utf8 = document.toPlainText().toUtf8();
  const std::vector<WebLink> links =
      WebLinkDetector::find(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
  if (links.empty()) return;
  // Links come in order: walk the UTF-8 once, counting UTF-16 positions.
  std::size_t byte = 0;
  int position = 0;
  auto positionOf = [&](std::size_t target) {
    while (byte < target) {
      const auto lead = static_cast<unsigned char>(utf8[static_cast<qsizetype>(byte)]);
      const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
      position += length == 4 ? 2 : 1;
      byte += length;
    }
    return position;
  };
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  for (const WebLink& link : links) {
    cursor.setPosition(positionOf(link.begin));
    cursor.setPosition(positionOf(link.end), QTextCursor::KeepAnchor);
    cursor.mergeCharFormat(linkFormat(link.url, accentColor));
  }
  cursor.endEditBlock();
}

}  // namespace vesket::viewer
