// The styled-text builder for views that take rich text (labels, list cells, the inbox):
// the ANSI walk rendered as HTML spans, with web links as accent-coloured, underlined
// anchors. The pane text view uses the QTextDocument builder instead.
#pragma once

#include <string>
#include <string_view>

#include "viewer/core/ansi_palette.h"

namespace vesket::viewer {

struct AnsiHtmlOptions {
  // Text on a dark canvas uses the dark palette, otherwise the light one.
  bool onDarkCanvas = true;
  // Resolves the colours that follow the appearance (24-bit colours off the dark canvas).
  bool darkAppearance = true;
  AnsiRgb defaultForeground = AnsiRgb::grey(1.0);
  bool detectLinks = false;
  AnsiRgb accentColor{0.04, 0.52, 1.0, 1};
};

namespace AnsiHtml {

// An HTML fragment: one span keeping white space as it is, holding a span per run.
std::string fromAnsi(std::string_view text, const AnsiHtmlOptions& options);

// "#rrggbb" of a colour (alpha is not written).
std::string hexColor(const AnsiRgb& rgb);

}  // namespace AnsiHtml
}  // namespace vesket::viewer
