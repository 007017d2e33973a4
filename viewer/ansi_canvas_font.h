// The monospaced font of the pane canvas. Shell prompts and agent UIs print private-use
// icon glyphs (Nerd Font symbols); when a symbols font is installed it is added as the
// fallback family so those glyphs draw instead of boxes.
#pragma once

#include <QFont>
#include <QString>
#include <optional>

namespace vesket::viewer::AnsiCanvasFont {

// The system fixed-pitch font at that size and weight, with the icon fallback family after
// it when `iconFallback` is set and one is available.
QFont canvasFont(qreal pointSize, QFont::Weight weight, bool iconFallback = true);

// The family of the symbols font, looked up once: an installed "Symbols Nerd Font Mono" (or
// "Symbols Nerd Font"), else the file SymbolsNerdFontMono-Regular.ttf from the data
// directories' "vesket/fonts" or "fonts" folders, loaded for this process only.
std::optional<QString> iconFallbackFamily();

}  // namespace vesket::viewer::AnsiCanvasFont
