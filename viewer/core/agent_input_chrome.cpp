#include "viewer/core/agent_input_chrome.h"

#include <algorithm>
#include <array>
#include <deque>
#include <vector>

#include "viewer/core/utf8_text.h"

namespace vesket::viewer::AgentInputChrome {

namespace {

constexpr std::string_view kVerticalBar = "\u2502";  // │

// The first eight rule glyphs are horizontal segments; the rest are corners and tees.
constexpr std::array<char32_t, 14> kRuleGlyphs = {
    0x2500, 0x2501, 0x2504, 0x2505, 0x2508, 0x2509, 0x254C,
    0x254D, 0x256D, 0x256E, 0x256F, 0x2570, 0x252C, 0x2534};
constexpr std::size_t kHorizontalSegmentCount = 8;
constexpr std::size_t kMinimumSegments = 12;

constexpr std::array<std::string_view, 15> kFooterHints = {
    "bypass permissions", "shift+tab", "accept edits", "auto-accept", "plan mode",
    "git:(",              "context",   "for shortcuts", "esc to",     "\u23F5",
    "tokens",             "to interrupt", "to send",    "to cycle",   "\u2191\u2193"};

// Appends `text` to `out` without its CRs.
void appendWithoutCR(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t cr = text.find('\r', pos);
    const std::size_t end = cr == std::string_view::npos ? text.size() : cr;
    out.append(text.substr(pos, end - pos));
    pos = end + 1;
  }
}

bool isBlankScalar(char32_t c) { return c == ' ' || c == '\t' || c == 0xA0; }
bool isBlankCharacter(std::string_view c) { return c == " " || c == "\t" || c == "\u00A0"; }
bool isCaret(std::string_view c) { return c == "\u276F" || c == ">"; }

// Index of the first character that is not blank.
std::size_t skipBlanks(const std::vector<std::string_view>& chars, std::size_t from) {
  while (from < chars.size() && isBlankCharacter(chars[from])) ++from;
  return from;
}

}  // namespace

bool isBlankLine(std::string_view line) {
  for (std::size_t pos = 0, length = 0; pos < line.size(); pos += length) {
    if (!isBlankScalar(utf8::decode(line, pos, length))) return false;
  }
  return true;
}

bool isRule(std::string_view line) {
  std::size_t glyphs = 0;
  std::size_t segments = 0;
  for (std::size_t pos = 0, length = 0; pos < line.size(); pos += length) {
    const char32_t c = utf8::decode(line, pos, length);
    if (c == ' ' || c == 0xA0) continue;
    const auto* found = std::find(kRuleGlyphs.begin(), kRuleGlyphs.end(), c);
    if (found == kRuleGlyphs.end()) return false;
    ++glyphs;
    if (static_cast<std::size_t>(found - kRuleGlyphs.begin()) < kHorizontalSegmentCount) {
      ++segments;
    }
  }
  return glyphs > 0 && segments >= kMinimumSegments;
}

std::string_view firstInnerGlyph(std::string_view line) {
  const auto chars = utf8::characters(line);
  std::size_t i = skipBlanks(chars, 0);
  if (i < chars.size() && chars[i] == kVerticalBar) i = skipBlanks(chars, i + 1);
  return i < chars.size() ? chars[i] : std::string_view();
}

bool isFooterHint(std::string_view line) {
  const std::string lower = utf8::asciiLower(line);
  return std::any_of(kFooterHints.begin(), kFooterHints.end(), [&](std::string_view hint) {
    return lower.find(hint) != std::string::npos;
  });
}

std::optional<LineRange> trailingChromeRange(std::span<const std::string_view> lines) {
  // Indices run downward, so they are kept signed to step below the floor.
  std::ptrdiff_t last = static_cast<std::ptrdiff_t>(lines.size()) - 1;
  while (last >= 0 && isBlankLine(lines[last])) --last;
  if (last < 0) return std::nullopt;
  const std::ptrdiff_t floor =
      std::max<std::ptrdiff_t>(0, last + 1 - static_cast<std::ptrdiff_t>(kSearchWindow) - 1);

  // The bottom border: the first line above the footer that is neither blank nor a hint.
  std::ptrdiff_t i = last;
  while (i >= floor && (isBlankLine(lines[i]) || isFooterHint(lines[i]))) --i;
  if (i < floor || !isRule(lines[i])) return std::nullopt;

  // The inside of the box, up to the top border.
  bool sawCaret = false;
  for (--i; i >= floor; --i) {
    const std::string_view line = lines[i];
    if (isBlankLine(line)) continue;
    const auto chars = utf8::characters(line);
    std::size_t first = skipBlanks(chars, 0);
    const bool opensWithBar = first < chars.size() && chars[first] == kVerticalBar;
    if (opensWithBar) first = skipBlanks(chars, first + 1);
    const bool caret = first < chars.size() && isCaret(chars[first]);
    if (!caret && !opensWithBar) break;
    sawCaret = sawCaret || caret;
  }
  if (i < floor) return std::nullopt;
  if (!sawCaret || !isRule(lines[i])) return std::nullopt;
  return LineRange{static_cast<std::size_t>(i), lines.size()};
}

std::string stripped(std::string_view text) {
  // Only the tail can hold the box: the trailing blank lines, the last non-blank line and
  // the kSearchWindow lines above it. Walk lines back from the end, CRs removed (CR LF
  // becomes LF, a lone CR goes), and leave the rest of the text untouched until the
  // result is built.
  std::vector<std::string_view> tail;  // collected last line first
  std::vector<std::size_t> tailStarts;  // byte offset of each line in `text`
  std::deque<std::string> cleaned;      // storage of lines that held a CR
  bool seenContent = false;
  std::size_t linesFromContent = 0;
  for (std::size_t end = text.size();;) {
    const std::size_t newline = end == 0 ? std::string_view::npos : text.rfind('\n', end - 1);
    const std::size_t start = newline == std::string_view::npos ? 0 : newline + 1;
    std::string_view line = text.substr(start, end - start);
    if (line.find('\r') != std::string_view::npos) {
      std::string& copy = cleaned.emplace_back();
      appendWithoutCR(copy, line);
      line = copy;
    }
    tail.push_back(line);
    tailStarts.push_back(start);
    if (!seenContent) seenContent = !isBlankLine(line);
    if (seenContent && ++linesFromContent == kSearchWindow + 1) break;
    if (newline == std::string_view::npos) break;
    end = newline;
  }
  std::reverse(tail.begin(), tail.end());
  std::reverse(tailStarts.begin(), tailStarts.end());

  const auto range = trailingChromeRange(tail);
  if (!range) return std::string(text);
  std::string out;
  const std::size_t boxStart = tailStarts[range->begin];
  // The lines above the box, joined by LF: the text up to the LF before the box.
  if (boxStart > 0) appendWithoutCR(out, text.substr(0, boxStart - 1));
  if (text.ends_with('\n') && !out.empty()) out.push_back('\n');
  return out;
}

}  // namespace vesket::viewer::AgentInputChrome
