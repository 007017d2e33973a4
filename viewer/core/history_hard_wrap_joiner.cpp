#include "viewer/core/history_hard_wrap_joiner.h"

#include <algorithm>
#include <string_view>

#include "viewer/core/terminal_display_width.h"
#include "viewer/core/utf8_text.h"

namespace vesket::viewer {

namespace {

constexpr char kEsc = '\x1b';
constexpr char32_t kAssistantOpener = 0x23FA;  // ⏺
constexpr char32_t kInputOpener = 0x276F;      // ❯
constexpr char32_t kToolResult = 0x23BF;       // ⎿
constexpr char32_t kNoBreakSpace = 0x00A0;
constexpr std::u32string_view kBoxDrawing = U"┌┐└┘├┤┬┴┼─│╭╮╰╯═║";

char32_t firstScalar(std::string_view text) {
  if (text.empty()) return 0;
  std::size_t length = 1;
  return utf8::decode(text, 0, length);
}

// The last scalar of valid UTF-8 text (continuation bytes are skipped backwards).
char32_t lastScalar(std::string_view text) {
  if (text.empty()) return 0;
  std::size_t start = text.size() - 1;
  while (start > 0 && text.size() - start < 4 &&
         (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
    --start;
  }
  std::size_t length = 1;
  const char32_t scalar = utf8::decode(text, start, length);
  return start + length == text.size() ? scalar : 0xFFFD;
}

// The scalar that begins at `pos` and its byte length.
std::size_t scalarLength(std::string_view text, std::size_t pos) {
  std::size_t length = 1;
  utf8::decode(text, pos, length);
  return length;
}

// Text up to (not including) the first space, or all of it.
std::string_view firstWord(std::string_view text) {
  const auto space = text.find(' ');
  return space == std::string_view::npos ? text : text.substr(0, space);
}

// Letters, digits and number forms of the common scripts: enough to tell a numbered
// list item ("1. ", "１. ", "Ⅳ. ") from prose.
bool isNumeric(char32_t c) {
  return (c >= '0' && c <= '9') || (c >= 0x0660 && c <= 0x0669) || (c >= 0x06F0 && c <= 0x06F9) ||
         (c >= 0x0966 && c <= 0x096F) || c == 0x00B2 || c == 0x00B3 || c == 0x00B9 ||
         (c >= 0x00BC && c <= 0x00BE) || (c >= 0x2070 && c <= 0x2079) ||
         (c >= 0x2080 && c <= 0x2089) || (c >= 0x2150 && c <= 0x2189) ||
         (c >= 0x2460 && c <= 0x249B) || (c >= 0x24EA && c <= 0x24FF) ||
         (c >= 0x2776 && c <= 0x2793) || c == 0x3007 || (c >= 0x3021 && c <= 0x3029) ||
         (c >= 0xFF10 && c <= 0xFF19);
}

bool isPaddingAt(std::string_view raw, std::size_t pos, std::size_t& length) {
  length = 1;
  if (raw[pos] == ' ') return true;
  return utf8::decode(raw, pos, length) == kNoBreakSpace;
}

bool isContinuation(const HistoryHardWrapJoiner::Line& line) {
  return line.opener == HistoryHardWrapJoiner::Opener::none && line.gutter == 2;
}

// A line's own content reaches its full width: nothing but text after the indentation.
bool fillsWidth(const HistoryHardWrapJoiner::Line& line) {
  return line.gutter + line.textWidth >= line.rawWidth;
}

}  // namespace

std::size_t HistoryHardWrapJoiner::escapeLength(std::string_view raw, std::size_t pos) {
  const std::size_t end = raw.size();
  if (pos + 1 >= end) return end - pos;
  const char kind = raw[pos + 1];
  if (kind == '[') {
    for (std::size_t i = pos + 2; i < end; ++i) {
      const auto c = static_cast<unsigned char>(raw[i]);
      if (c >= 0x40 && c <= 0x7E) return i + 1 - pos;
    }
    return end - pos;
  }
  if (kind == ']') {
    for (std::size_t i = pos + 2; i < end; ++i) {
      if (raw[i] == '\a') return i + 1 - pos;
      if (raw[i] == kEsc && i + 1 < end && raw[i + 1] == '\\') return i + 2 - pos;
    }
    return end - pos;
  }
  if (kind == '(' || kind == ')') {
    if (pos + 2 >= end) return end - pos;
    return 2 + scalarLength(raw, pos + 2);
  }
  return 1 + scalarLength(raw, pos + 1);
}

std::string HistoryHardWrapJoiner::removeEscapes(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t pos = 0; pos < raw.size();) {
    if (raw[pos] == kEsc) {
      pos += escapeLength(raw, pos);
      continue;
    }
    out.push_back(raw[pos]);
    ++pos;
  }
  return out;
}

std::string HistoryHardWrapJoiner::stripTrailingPadding(std::string_view raw) {
  // End of the last piece that is neither padding nor an escape sequence.
  std::size_t contentEnd = 0;
  for (std::size_t pos = 0; pos < raw.size();) {
    if (raw[pos] == kEsc) {
      pos += escapeLength(raw, pos);
      continue;
    }
    std::size_t length = 1;
    const bool padding = isPaddingAt(raw, pos, length);
    if (!padding) length = scalarLength(raw, pos);
    pos += length;
    if (!padding) contentEnd = pos;
  }
  std::string out(raw.substr(0, contentEnd));
  for (std::size_t pos = contentEnd; pos < raw.size();) {
    if (raw[pos] == kEsc) {
      const std::size_t length = escapeLength(raw, pos);
      out.append(raw.substr(pos, length));
      pos += length;
      continue;
    }
    std::size_t length = 1;
    isPaddingAt(raw, pos, length);
    pos += length;
  }
  return out;
}

std::string HistoryHardWrapJoiner::stripLeadingSpaces(std::string_view raw, int count) {
  std::string out;
  out.reserve(raw.size());
  int removed = 0;
  std::size_t pos = 0;
  while (pos < raw.size()) {
    if (raw[pos] == kEsc) {
      const std::size_t length = escapeLength(raw, pos);
      out.append(raw.substr(pos, length));
      pos += length;
      continue;
    }
    if (raw[pos] == ' ' && removed < count) {
      ++removed;
      ++pos;
      continue;
    }
    break;
  }
  out.append(raw.substr(pos));
  return out;
}

bool HistoryHardWrapJoiner::isSentenceEnding(char32_t c) {
  switch (c) {
    case '.': case '!': case '?': case ':': case ';': case ')': case ']': case '}': case '"':
    case 0x201D: case 0x2019: case 0x2026:
    case 0x3002: case 0xFF01: case 0xFF1F: case 0xFF1A: case 0xFF1B: case 0x300D: case 0x300F:
    case 0xFF09: case 0x3011:
      return true;
    default:
      return false;
  }
}

bool HistoryHardWrapJoiner::isIdeograph(char32_t c) {
  return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFD);
}

bool HistoryHardWrapJoiner::isProtected(std::string_view text) {
  const std::string_view line = utf8::trimBlanks(text);
  if (line.starts_with("```")) return true;
  if (!line.empty() && line.front() == '|' && line.back() == '|') return true;
  if ((line.starts_with('|') || line.starts_with(':')) &&
      line.find("---") != std::string_view::npos) {
    return true;
  }
  const std::vector<char32_t> scalars = utf8::decodeAll(line);
  for (const char32_t c : scalars) {
    if (kBoxDrawing.find(c) != std::u32string_view::npos) return true;
  }
  const bool toolResult = !scalars.empty() && scalars.front() == kToolResult;
  if (scalars.size() < 3) return toolResult;
  const bool ruleOnly = std::all_of(scalars.begin(), scalars.end(),
                                    [](char32_t c) { return c == '+' || c == '|' || c == '-'; });
  return ruleOnly || toolResult;
}

HistoryHardWrapJoiner::Line HistoryHardWrapJoiner::Line::read(std::string_view raw) {
  Line line;
  line.raw = std::string(raw);
  line.visible = removeEscapes(raw);
  // Trailing blanks: walk back over blank scalars.
  std::string_view trimmed = line.visible;
  while (!trimmed.empty()) {
    const char32_t last = lastScalar(trimmed);
    if (!utf8::isBlank(last)) break;
    std::size_t start = trimmed.size() - 1;
    while (start > 0 && (static_cast<unsigned char>(trimmed[start]) & 0xC0) == 0x80) --start;
    trimmed = trimmed.substr(0, start);
  }
  line.trimmed = std::string(trimmed);
  line.isBlank = line.trimmed.empty();
  while (static_cast<std::size_t>(line.gutter) < line.visible.size() &&
         line.visible[static_cast<std::size_t>(line.gutter)] == ' ') {
    ++line.gutter;
  }

  std::string_view text = line.trimmed;
  std::size_t openerLength = 1;
  const char32_t first = text.empty() ? 0 : utf8::decode(text, 0, openerLength);
  if ((first == kAssistantOpener || first == kInputOpener) && openerLength < text.size()) {
    std::size_t blankLength = 1;
    if (utf8::isBlank(utf8::decode(text, openerLength, blankLength))) {
      line.opener = first == kAssistantOpener ? Opener::assistant : Opener::input;
      text.remove_prefix(openerLength + blankLength);
    }
  }
  // A blank line's gutter can be longer than its trimmed text.
  if (line.opener == Opener::none) {
    text.remove_prefix(std::min(text.size(), static_cast<std::size_t>(line.gutter)));
  }
  line.text = std::string(text);
  line.rawWidth = TerminalDisplayWidth::of(line.visible);
  line.textWidth = TerminalDisplayWidth::of(line.text);
  return line;
}

int HistoryHardWrapJoiner::ParagraphWidths::paragraphWidth(std::size_t containing) {
  if (containing >= m_lines.size()) return 0;
  // Only a continuation line belongs to the paragraph above it; an opener line starts one.
  std::size_t start = containing;
  while (start > 0 && isContinuation(m_lines[start]) && !m_lines[start - 1].isBlank &&
         isContinuation(m_lines[start - 1])) {
    --start;
  }
  if (const auto cached = m_widthByStart.find(start); cached != m_widthByStart.end()) {
    return cached->second;
  }
  int width = 0;
  const Line& first = m_lines[start];
  if (!first.isBlank && (first.opener != Opener::none || first.gutter == 2)) {
    width = first.textWidth + 2;
    for (std::size_t i = start + 1; i < m_lines.size(); ++i) {
      const Line& line = m_lines[i];
      if (line.isBlank || !isContinuation(line)) break;
      width = std::max(width, line.textWidth + 2);
    }
  }
  m_widthByStart.emplace(start, width);
  return width;
}

std::vector<std::size_t> HistoryHardWrapJoiner::decideJoins(const std::vector<std::string>& lines) {
  std::vector<Line> read;
  read.reserve(lines.size());
  for (const std::string& raw : lines) read.push_back(Line::read(raw));
  return decideJoins(read);
}

std::vector<std::size_t> HistoryHardWrapJoiner::decideJoins(const std::vector<Line>& lines) {
  std::vector<std::size_t> joins;
  ParagraphWidths paragraphs(lines);
  Opener blockKind = Opener::none;
  bool inFence = false;

  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    if (line.isBlank) continue;
    if (line.opener != Opener::none) {
      blockKind = line.opener;
    } else if (line.gutter < 2) {
      blockKind = Opener::none;
    }
    if (line.opener != Opener::none || line.gutter < 2) inFence = false;
    if (line.text.starts_with("```")) {
      inFence = !inFence;
      continue;
    }
    if (blockKind == Opener::none || inFence || i + 1 == lines.size()) continue;

    const Line& next = lines[i + 1];
    const bool hasOpener = line.opener != Opener::none;
    const bool padded = line.rawWidth >= 40 && line.rawWidth == next.rawWidth &&
                        !(fillsWidth(line) && fillsWidth(next));
    if (next.isBlank) continue;
    if (padded) {
      if (!hasOpener && line.gutter < 2) continue;
    } else {
      if (!hasOpener && line.gutter != 2) continue;
    }

    if (next.opener != Opener::none || next.gutter != 2) continue;
    if (isProtected(line.text) || isProtected(next.text)) continue;
    if (line.text.empty() || isSentenceEnding(lastScalar(line.text))) continue;
    if (next.text.empty()) continue;

    const char32_t carried = firstScalar(next.text);
    std::string_view word;
    if (isIdeograph(carried)) {
      word = std::string_view(next.text).substr(0, scalarLength(next.text, 0));
      if (!padded && !isIdeograph(lastScalar(line.text))) continue;
    } else if (carried >= 'a' && carried <= 'z') {
      word = firstWord(next.text);
    } else {
      if (!padded) continue;
      word = firstWord(next.text);
    }
    if (padded) {
      const std::string_view nextText = next.text;
      if (nextText.starts_with("- ") || nextText.starts_with("* ") ||
          nextText.starts_with("\u2022 ") || nextText.starts_with("---")) {
        continue;
      }
      if (isNumeric(carried) && nextText.find(". ") != std::string_view::npos) continue;
    }

    const int need = (hasOpener ? 2 : line.gutter) + line.textWidth + 1 +
                     TerminalDisplayWidth::of(word);
    int limit = 0;
    if (padded) {
      limit = line.rawWidth - 1;
    } else {
      if (blockKind == Opener::input) continue;
      limit = paragraphs.paragraphWidth(i);
    }
    if (limit >= 40 && limit < need) joins.push_back(i);
  }
  return joins;
}

std::string HistoryHardWrapJoiner::joinText(std::string_view text) {
  const std::string_view separator =
      text.find("\r\n") != std::string_view::npos ? std::string_view("\r\n") : std::string_view("\n");
  std::vector<std::string> pieces;
  for (std::size_t start = 0;;) {
    const std::size_t found = text.find(separator, start);
    if (found == std::string_view::npos) {
      pieces.emplace_back(text.substr(start));
      break;
    }
    pieces.emplace_back(text.substr(start, found - start));
    start = found + separator.size();
  }
  const bool endsWithSeparator = text.ends_with(separator);
  if (endsWithSeparator) pieces.pop_back();

  const std::vector<std::size_t> joins = decideJoins(pieces);
  std::string out;
  out.reserve(text.size());
  std::size_t nextJoin = 0;
  std::string current = pieces.empty() ? std::string() : pieces.front();
  for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
    if (nextJoin < joins.size() && joins[nextJoin] == i) {
      ++nextJoin;
      current = stripTrailingPadding(current);
      current += ' ';
      current += stripLeadingSpaces(pieces[i + 1], 2);
      continue;
    }
    out += current;
    out += separator;
    current = pieces[i + 1];
  }
  out += current;
  if (endsWithSeparator) out += separator;
  return out;
}

}  // namespace vesket::viewer
