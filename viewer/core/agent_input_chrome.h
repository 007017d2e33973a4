// Recognises the input box that agent UIs (Claude Code and the like) draw at the bottom of
// their screen: a top rule, one or more lines inside it (the prompt caret line among them),
// a bottom rule and a status footer. The pane text view hides that box, because it is the
// agent's own chrome, redrawn on every keystroke, rather than conversation.
//
//   ╭──────────────────────────╮   <- top border (a rule)
//   │ ❯ type here              │   <- inner lines; at least one starts with a caret
//   ╰──────────────────────────╯   <- bottom border (a rule)
//     ⏵⏵ accept edits on          <- footer lines (hints), skipped
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vesket::viewer::AgentInputChrome {

// Half-open range of line indices [begin, end).
struct LineRange {
  std::size_t begin = 0;
  std::size_t end = 0;
  bool operator==(const LineRange&) const = default;
};

// Lines considered above the last non-blank one: the box must lie within them.
inline constexpr std::size_t kSearchWindow = 400;

// Only the space, the tab and U+00A0.
bool isBlankLine(std::string_view line);
// Spaces, U+00A0 and box-drawing rule glyphs only, with at least one glyph and at least 12
// horizontal segments.
bool isRule(std::string_view line);
// The first character inside an optional leading "│" after blanks; empty when none.
std::string_view firstInnerGlyph(std::string_view line);
// The line, lower-cased, holds one of the fragments agents print in their status footer.
bool isFooterHint(std::string_view line);

// The lines of the input box from its top border to the end of `lines`, or none when the
// text does not end in one.
std::optional<LineRange> trailingChromeRange(std::span<const std::string_view> lines);

// `text` without a trailing input box (line ends normalised to LF, a final LF kept), or
// `text` unchanged when there is none.
std::string stripped(std::string_view text);

}  // namespace vesket::viewer::AgentInputChrome
