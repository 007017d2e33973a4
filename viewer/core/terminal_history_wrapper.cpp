#include "viewer/core/terminal_history_wrapper.h"

#include <algorithm>
#include <variant>

#include "viewer/core/utf8_text.h"

namespace vesket::viewer {

namespace {

constexpr std::u32string_view kBoxDrawing = U"┌┐└┘├┤┬┴┼─│╭╮╰╯═║";

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;  // clang 14 (the fuzz build) does not deduce it

void appendAll(std::vector<std::string>& lines, std::vector<std::string> more) {
  for (std::string& line : more) lines.push_back(std::move(line));
}

std::vector<std::string> renderLines(const inbox::ConversationTurn& turn, int width) {
  using Block = inbox::ContentBlock;
  std::vector<std::string> lines;
  lines.push_back("\u2500\u2500 " + turn.role + " \u2500\u2500");
  for (const Block& block : turn.blocks) {
    std::visit(Overloaded{
                   [&](const Block::Text& text) { appendAll(lines, TerminalHistoryWrapper::wrap(text.text, width)); },
                   [&](const Block::Thinking& thinking) {
                     lines.push_back("[thinking]");
                     appendAll(lines, TerminalHistoryWrapper::wrap(thinking.thinking, width));
                   },
                   [&](const Block::ToolUse& toolUse) { lines.push_back("[tool: " + toolUse.name + "]"); },
                   [&](const Block::ToolResult& result) {
                     lines.push_back("[tool result]");
                     if (result.content && !result.content->empty()) {
                       appendAll(lines, TerminalHistoryWrapper::wrap(*result.content, width));
                     }
                   },
                   [&](const Block::Image&) { lines.push_back("[image]"); },
                   [&](const Block::Unknown& unknown) { lines.push_back("[" + unknown.type + "]"); },
               },
               block.value());
  }
  lines.emplace_back();
  return lines;
}

std::string joinCrLf(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) out += "\r\n";
    out += lines[i];
  }
  return out;
}

bool isRuleOnly(std::string_view trimmed) {
  return utf8::characterCount(trimmed) >= 3 &&
         std::all_of(trimmed.begin(), trimmed.end(), [](char c) { return c == '+' || c == '|' || c == '-'; });
}

}  // namespace

bool TerminalHistoryWrapper::isAsciiArt(std::string_view line) {
  for (const char32_t c : utf8::decodeAll(line)) {
    if (kBoxDrawing.find(c) != std::u32string_view::npos) return true;
  }
  return false;
}

std::string TerminalHistoryWrapper::render(const std::vector<inbox::ConversationTurn>& turns, int width) {
  std::vector<std::string> lines;
  for (const auto& turn : turns) appendAll(lines, renderLines(turn, width));
  return joinCrLf(lines);
}

std::vector<std::string> TerminalHistoryWrapper::wrap(std::string_view text, int width) {
  std::vector<std::string> out;
  bool inFence = false;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    const std::string_view line = text.substr(start, end == std::string_view::npos ? text.npos : end - start);
    const std::string_view trimmed = utf8::trimBlanks(line);
    if (trimmed.starts_with("```")) {
      inFence = !inFence;
      out.emplace_back(line);
    } else if (inFence || (!trimmed.empty() && trimmed.front() == '|' && trimmed.back() == '|') ||
               ((trimmed.starts_with('|') || trimmed.starts_with(':')) &&
                trimmed.find("---") != std::string_view::npos) ||
               isAsciiArt(line) || isRuleOnly(trimmed)) {
      out.emplace_back(line);
    } else {
      appendAll(out, wrapProseLine(line, width));
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return out;
}

std::vector<std::string> TerminalHistoryWrapper::wrapProseLine(std::string_view line, int width) {
  if (utf8::characterCount(line) <= static_cast<std::size_t>(std::max(width, 0))) return {std::string(line)};
  const std::string_view trimmed = utf8::trimBlanks(line);
  // Words at runs of blanks.
  std::vector<std::string_view> words;
  std::size_t wordStart = std::string_view::npos;
  for (std::size_t pos = 0; pos < trimmed.size();) {
    std::size_t length = 1;
    const bool blank = utf8::isBlank(utf8::decode(trimmed, pos, length));
    if (blank && wordStart != std::string_view::npos) {
      words.push_back(trimmed.substr(wordStart, pos - wordStart));
      wordStart = std::string_view::npos;
    } else if (!blank && wordStart == std::string_view::npos) {
      wordStart = pos;
    }
    pos += length;
  }
  if (wordStart != std::string_view::npos) words.push_back(trimmed.substr(wordStart));

  std::vector<std::string> out;
  std::string current;
  std::size_t currentLength = 0;
  bool hasCurrent = false;
  for (const std::string_view word : words) {
    const std::size_t wordLength = utf8::characterCount(word);
    if (hasCurrent && currentLength + 1 + wordLength <= static_cast<std::size_t>(std::max(width, 0))) {
      current += ' ';
      current += word;
      currentLength += 1 + wordLength;
      continue;
    }
    if (hasCurrent) out.push_back(std::move(current));
    current = std::string(word);
    currentLength = wordLength;
    hasCurrent = true;
  }
  if (hasCurrent) out.push_back(std::move(current));
  if (out.empty()) out.emplace_back();
  return out;
}

std::size_t TerminalHistoryWrapper::lineCount(std::string_view rendered) {
  if (rendered.empty()) return 0;
  std::size_t count = 1;
  for (std::size_t pos = rendered.find("\r\n"); pos != std::string_view::npos; pos = rendered.find("\r\n", pos + 2)) {
    ++count;
  }
  return count;
}

std::vector<inbox::ConversationTurn> TerminalHistoryWrapper::turnsExcludingTrailingBudget(
    const std::vector<inbox::ConversationTurn>& turns, int width, int lineBudget) {
  if (lineBudget < 1) return turns;
  std::size_t kept = turns.size();
  std::size_t total = 0;
  while (kept > 0 && total < static_cast<std::size_t>(lineBudget)) {
    --kept;
    total += lineCount(render({turns[kept]}, width));
  }
  return {turns.begin(), turns.begin() + static_cast<std::ptrdiff_t>(kept)};
}

TerminalHistoryWrapper::OlderHistory TerminalHistoryWrapper::syntheticOlderHistory(
    const std::vector<inbox::ConversationTurn>& turns, int columns) {
  OlderHistory older;
  older.chunk = render(turnsExcludingTrailingBudget(turns, columns, kLineBudget), columns);
  older.lines = lineCount(older.chunk);
  return older;
}

}  // namespace vesket::viewer
