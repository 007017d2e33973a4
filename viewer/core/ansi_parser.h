// Turns captured pane text with ANSI escapes into styled runs, or strips the escapes.
//
// Not a terminal emulator: only the colour and weight parts of SGR (CSI ... "m") act;
// every other CSI and OSC sequence the escape pattern recognises is removed without effect.
// The escape pattern (written as a regular expression)
//     \x1B(?:\[[0-9;]*[A-Za-z]|\][^\x07\x1B]*(?:\x07|\x1B\\))
// is matched by hand here, because this runs over whole captures several times a second.
// An ESC that starts neither form, a CSI with private markers ("?", ">") or intermediate
// bytes, and an unterminated OSC do not match and stay in the text.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/core/ansi_palette.h"

namespace vesket::viewer {

// The style of one run. `color` is what the run is painted with: the palette's dim colour
// when dim, else the SGR foreground; none means the view's default foreground.
struct AnsiRunStyle {
  bool bold = false;
  bool dim = false;
  std::optional<AnsiColor> color;
  bool operator==(const AnsiRunStyle&) const = default;
};

struct AnsiRun {
  std::string text;
  AnsiRunStyle style;
  bool operator==(const AnsiRun&) const = default;
};

namespace AnsiParser {

// One match of the escape pattern: bytes [begin, end).
struct EscapeMatch {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// The first match at or after `from`.
std::optional<EscapeMatch> findEscape(std::string_view text, std::size_t from);

// The text with every escape sequence removed; nothing else changes.
std::string stripAnsi(std::string_view text);

// CR LF becomes LF, then every remaining CR goes (so every CR goes).
std::string normalizeLineEnds(std::string_view text);

// Line ends normalised, then escapes removed.
std::string plainText(std::string_view text);

// The styled-text walk over text whose line ends are already normalised: calls `emit` with
// each non-empty stretch of text between escapes and the style in force. `onDarkCanvas`
// picks how 24-bit foregrounds are made readable.
using RunSink = std::function<void(std::string_view text, const AnsiRunStyle& style)>;
void walk(std::string_view normalized, const AnsiPalette& palette, bool onDarkCanvas,
          const RunSink& emit);

// Normalises line ends and collects the walk's runs.
std::vector<AnsiRun> styledRuns(std::string_view text, const AnsiPalette& palette,
                                bool onDarkCanvas);

}  // namespace AnsiParser
}  // namespace vesket::viewer
