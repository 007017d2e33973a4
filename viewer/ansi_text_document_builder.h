// The styled-text builder of the pane text view: the ANSI walk written into a
// QTextDocument as character formats (the canvas font, bold or regular; the palette's
// colour, the dim colour, or the default foreground) with web links as accent-coloured,
// underlined anchors.
#pragma once

#include <QColor>
#include <QString>
#include <QTextCharFormat>
#include <string_view>

#include "viewer/core/ansi_palette.h"

class QTextCursor;
class QTextDocument;

namespace vesket::viewer {

struct AnsiTextOptions {
  qreal fontPointSize = 12;
  QColor defaultForeground = Qt::white;
  // The pane canvas paints with the adaptive palette; views with a fixed canvas pass the
  // dark or light one.
  const AnsiPalette* palette = &AnsiPalette::adaptive();
  // Picks how 24-bit colours are made readable: lifted for the dark canvas, or following
  // the appearance.
  bool onDarkCanvas = true;
  // Resolves the colours that follow the appearance (see AnsiAppearance::isDark).
  bool darkAppearance = true;
  bool detectLinks = true;
  QColor accentColor = QColor(10, 132, 255);
  bool iconFallback = true;
};

class AnsiTextDocumentBuilder {
 public:
  explicit AnsiTextDocumentBuilder(AnsiTextOptions options);

  const AnsiTextOptions& options() const { return m_options; }

  // Replaces the document's content with the styled text.
  void setContent(QTextDocument& document, std::string_view utf8) const;
  void setContent(QTextDocument& document, const QString& text) const;

  // Inserts the styled text at the cursor (the content store's append changes).
  void insert(QTextCursor& cursor, std::string_view utf8) const;

  // Marks the web links in a document's plain text (accent colour, underline, anchor), for
  // documents built piece by piece where a link may span two inserts.
  static void applyLinks(QTextDocument& document, const QColor& accentColor);

  // The character format a run is drawn with.
  QTextCharFormat format(bool bold, const std::optional<AnsiColor>& color) const;

 private:
  AnsiTextOptions m_options;
  QTextCharFormat m_regular;
  QTextCharFormat m_bold;
};

}  // namespace vesket::viewer
