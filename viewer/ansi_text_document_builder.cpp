#include "viewer/ansi_text_document_builder.h"

#include <QTextCursor>
#include <QTextDocument>

#include "viewer/ansi_appearance.h"
#include "viewer/ansi_canvas_font.h"
#include "viewer/core/ansi_styled_text.h"

namespace vesket::viewer {

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
    if (segment.link) {
      charFormat.setAnchor(true);
      charFormat.setAnchorHref(QString::fromStdString(segment.link->url));
      charFormat.setForeground(m_options.accentColor);
      charFormat.setFontUnderline(true);
    }
    cursor.insertText(
        QString::fromUtf8(segment.text.data(), static_cast<qsizetype>(segment.text.size())),
        charFormat);
  });
  cursor.endEditBlock();
}

}  // namespace vesket::viewer
