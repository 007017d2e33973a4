#include "daemon/core/text_wrap.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vesket::daemon::TextWrap {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Range {
  char32_t first;
  char32_t last;
};

// Zero-width: combining marks, zero-width spaces and joiners, variation selectors.
constexpr std::array<Range, 12> kZeroWidth = {{
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A},
    {0x064B, 0x065F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
    {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xE0100, 0xE01EF},
}};

// Two columns: East Asian wide and full-width forms, and emoji presentation blocks.
constexpr std::array<Range, 20> kWide = {{
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x23E9, 0x23EC},   {0x25FD, 0x25FE},
    {0x2614, 0x2615},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
    {0x1F680, 0x1F6FF}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
}};

template <std::size_t N>
bool inRanges(const std::array<Range, N>& ranges, char32_t cp) {
  const auto it = std::upper_bound(ranges.begin(), ranges.end(), cp,
                                   [](char32_t value, const Range& r) { return value < r.first; });
  return it != ranges.begin() && cp <= std::prev(it)->last;
}

// Decodes one code point at `i` and advances past it; invalid or truncated sequences
// (overlong forms and surrogates included) read as U+FFFD and consume one byte.
char32_t decodeAt(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int length = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((b0 & 0xE0) == 0xC0) {
    length = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + static_cast<std::size_t>(length) > s.size()) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k < length; ++k) {
    const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = cp << 6 | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += static_cast<std::size_t>(length);
  return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | cp >> 6));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | cp >> 12));
    out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | cp >> 18));
    out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Skips the escape sequence starting at s[i] (an ESC) and returns the index after it.
std::size_t skipEscape(std::string_view s, std::size_t i) {
  ++i;  // ESC
  if (i >= s.size()) return i;
  const char kind = s[i++];
  if (kind == '[') {  // CSI: parameters and intermediates, then a final byte 0x40-0x7E
    while (i < s.size()) {
      const auto c = static_cast<unsigned char>(s[i++]);
      if (c >= 0x40 && c <= 0x7E) break;
    }
    return i;
  }
  if (kind == ']' || kind == 'P' || kind == '_' || kind == '^' || kind == 'X') {
    // OSC and other strings: up to BEL or ST (ESC \).
    while (i < s.size()) {
      if (s[i] == '\a') return i + 1;
      if (s[i] == '\x1b' && i + 1 < s.size() && s[i + 1] == '\\') return i + 2;
      ++i;
    }
    return i;
  }
  // Two- or three-character sequences (charset designations take one more byte).
  if ((kind == '(' || kind == ')' || kind == '#' || kind == '%') && i < s.size()) ++i;
  return i;
}

// One character of a line: its bytes and columns.
struct Cell {
  std::string_view bytes;
  int width;
};

std::vector<Cell> cellsOf(std::string_view line) {
  std::vector<Cell> cells;
  cells.reserve(line.size());
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t start = i;
    const int width = codePointWidth(decodeAt(line, i));
    cells.push_back({line.substr(start, i - start), width});
  }
  return cells;
}

void trimRight(std::string& line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
}

// Greedy word wrap of one logical line (no LF), appended to `out` as plain text (no
// prefixes): the first piece gets at most `availFirst` columns, the others `availRest`.
void wrapLine(std::string_view line, int availFirst, int availRest, std::vector<std::string>& out) {
  const std::vector<Cell> cells = cellsOf(line);
  int avail = availFirst;
  std::string current;
  int used = 0;
  bool wrapped = false;  // the current line continues a broken one: skip leading blanks
  std::size_t i = 0;
  const auto breakLine = [&] {
    trimRight(current);
    out.push_back(std::move(current));
    current.clear();
    used = 0;
    wrapped = true;
    avail = availRest;
  };
  while (i < cells.size()) {
    if (cells[i].bytes == " ") {
      std::size_t end = i;
      while (end < cells.size() && cells[end].bytes == " ") ++end;
      const int blanks = static_cast<int>(end - i);
      if (!(wrapped && used == 0)) {
        if (used + blanks <= avail) {
          current.append(static_cast<std::size_t>(blanks), ' ');
          used += blanks;
        } else if (used == 0) {
          // Indentation wider than the line: keep what fits.
          current.append(static_cast<std::size_t>(avail), ' ');
          used = avail;
        } else {
          breakLine();
        }
      }
      i = end;
      continue;
    }
    std::size_t end = i;
    int wordWidth = 0;
    while (end < cells.size() && cells[end].bytes != " ") wordWidth += cells[end++].width;
    if (used + wordWidth > avail && used > 0) breakLine();  // long words start a line too
    for (; i < end; ++i) {
      if (used + cells[i].width > avail && used > 0) breakLine();
      current.append(cells[i].bytes);
      used += cells[i].width;
    }
  }
  trimRight(current);
  if (!current.empty() || !wrapped) out.push_back(std::move(current));
}

}  // namespace

int codePointWidth(char32_t cp) {
  if (cp < 0x300) return cp == 0 ? 0 : 1;  // Latin text: no combining marks, nothing wide
  if (inRanges(kZeroWidth, cp)) return 0;
  if (inRanges(kWide, cp)) return 2;
  return 1;
}

int displayWidth(std::string_view text) {
  int width = 0;
  for (std::size_t i = 0; i < text.size();) width += codePointWidth(decodeAt(text, i));
  return width;
}

std::string sanitize(std::string_view text, int tabWidth) {
  tabWidth = std::max(tabWidth, 1);
  std::string out;
  out.reserve(text.size());
  int column = 0;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    if (c >= 0x20 && c < 0x7F) {
      // Runs of printable ASCII, most of any text, are copied whole.
      std::size_t end = i + 1;
      while (end < text.size() && text[end] >= 0x20 && text[end] < 0x7F) ++end;
      out.append(text.substr(i, end - i));
      column += static_cast<int>(end - i);
      i = end;
      continue;
    }
    if (c == '\x1b') {
      i = skipEscape(text, i);
      continue;
    }
    if (c == '\r' || c == '\n') {
      out.push_back('\n');
      column = 0;
      i += c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
      continue;
    }
    if (c == '\t') {
      const int spaces = tabWidth - column % tabWidth;
      out.append(static_cast<std::size_t>(spaces), ' ');
      column += spaces;
      ++i;
      continue;
    }
    const char32_t cp = decodeAt(text, i);
    if (cp < 0x20 || cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) continue;
    appendUtf8(out, cp);
    column += codePointWidth(cp);
  }
  return out;
}

std::vector<std::string> wrap(std::string_view text, int width, std::string_view firstPrefix,
                              std::string_view restPrefix) {
  width = std::max(width, 1);
  // Prefixes that leave no room for text are dropped rather than squeezing the text out.
  if (displayWidth(firstPrefix) >= width) firstPrefix = {};
  if (displayWidth(restPrefix) >= width) restPrefix = {};

  while (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  const int availRest = width - displayWidth(restPrefix);
  std::vector<std::string> lines;
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t nl = std::min(text.find('\n', start), text.size());
    const int availFirst = lines.empty() ? width - displayWidth(firstPrefix) : availRest;
    pieces.clear();
    wrapLine(text.substr(start, nl - start), availFirst, availRest, pieces);
    for (auto& piece : pieces) {
      std::string line(lines.empty() ? firstPrefix : restPrefix);
      line += piece;
      trimRight(line);
      lines.push_back(std::move(line));
    }
    start = nl + 1;
  }
  return lines;
}

}  // namespace vesket::daemon::TextWrap
