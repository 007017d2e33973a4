// Qt colours for the ANSI parser's colours, and which appearance a palette shows.
#pragma once

#include <QColor>
#include <QPalette>

#include "viewer/core/ansi_palette.h"

namespace vesket::viewer::AnsiAppearance {

// Whether the palette reads as the dark appearance (of light and dark, dark fits better):
// its window background is darker than its text.
bool isDark(const QPalette& palette);

QColor toQColor(const AnsiRgb& rgb);
inline QColor toQColor(const AnsiColor& color, bool darkAppearance) {
  return toQColor(color.resolved(darkAppearance));
}

}  // namespace vesket::viewer::AnsiAppearance
