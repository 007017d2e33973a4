#include "daemon/core/terminal_snapshot.h"

#include <algorithm>
#include <fmt/format.h>

#include "daemon/core/tmux_format.h"

namespace vesket::daemon {

namespace {

// tmux's mouse_any_flag means "any mouse mode"; the 1003 mode is mouse_all_flag.
const TmuxFormat& stateQuery() {
  using K = TmuxFormat::Kind;
  static const TmuxFormat query{
      {"pane_width", K::integer},        {"pane_height", K::integer},       {"cursor_x", K::integer},
      {"cursor_y", K::integer},          {"cursor_flag", K::flag},          {"alternate_on", K::flag},
      {"keypad_cursor_flag", K::flag},   {"keypad_flag", K::flag},          {"mouse_standard_flag", K::flag},
      {"mouse_button_flag", K::flag},    {"mouse_all_flag", K::flag},       {"mouse_sgr_flag", K::flag},
      {"mouse_utf8_flag", K::flag},      {"history_size", K::integer},
  };
  return query;
}

// Rows joined by CR LF with the attributes a row left on reset at the end.
void appendRows(std::string& out, const std::vector<std::string>& rows, std::size_t first,
                std::size_t last) {
  for (std::size_t i = first; i < last; ++i) {
    if (i > first) out += "\r\n";
    out += rows[i];
  }
  out += "\x1b[0m";
}

}  // namespace

const std::string& PaneTerminalState::format() { return stateQuery().argument(); }

std::string PaneTerminalState::command(std::string_view paneId) { return stateQuery().displayCommand(paneId); }

std::optional<PaneTerminalState> PaneTerminalState::parse(std::string_view line) {
  const auto record = stateQuery().parse(line);
  if (!record) return std::nullopt;
  const auto number = [&](std::size_t field) {
    return static_cast<int>(std::clamp<std::int64_t>(record->integer(field), -1, 1 << 30));
  };
  PaneTerminalState s;
  s.cols = number(0);
  s.rows = number(1);
  s.cursorX = number(2);
  s.cursorY = number(3);
  s.cursorVisible = record->flag(4);
  s.alternateOn = record->flag(5);
  s.applicationCursor = record->flag(6);
  s.applicationKeypad = record->flag(7);
  s.mouseStandard = record->flag(8);
  s.mouseButton = record->flag(9);
  s.mouseAny = record->flag(10);
  s.mouseSgr = record->flag(11);
  s.mouseUtf8 = record->flag(12);
  s.historySize = number(13);
  if (s.cols < 1 || s.rows < 1 || s.cursorX < 0 || s.cursorY < 0 || s.historySize < 0) return std::nullopt;
  return s;
}

std::string PaneTerminalState::mouseEncoding() const {
  if (mouseSgr) return "sgr";
  if (mouseUtf8) return "utf8";
  return "default";
}

namespace TerminalSnapshot {

std::string modeBytes(const PaneTerminalState& state) {
  std::string out;
  out += state.applicationCursor ? "\x1b[?1h" : "\x1b[?1l";
  out += state.applicationKeypad ? "\x1b=" : "\x1b>";
  // The tracking modes exclude each other, and turning any of them off turns tracking
  // off altogether (tmux and xterm alike): name only the one in effect.
  if (state.mouseAny) {
    out += "\x1b[?1003h";
  } else if (state.mouseButton) {
    out += "\x1b[?1002h";
  } else if (state.mouseStandard) {
    out += "\x1b[?1000h";
  } else {
    out += "\x1b[?1000l";
  }
  out += state.mouseSgr ? "\x1b[?1006h" : "\x1b[?1006l";
  out += state.mouseUtf8 ? "\x1b[?1005h" : "\x1b[?1005l";
  const int row = std::clamp(state.cursorY, 0, std::max(state.rows - 1, 0)) + 1;
  const int col = std::clamp(state.cursorX, 0, std::max(state.cols - 1, 0)) + 1;
  out += fmt::format("\x1b[{};{}H", row, col);
  out += state.cursorVisible ? "\x1b[?25h" : "\x1b[?25l";
  return out;
}

std::string attachBytes(const std::vector<std::string>& captureRows, const PaneTerminalState& state) {
  const std::size_t screenRows = static_cast<std::size_t>(std::max(state.rows, 1));
  const std::size_t screenStart = captureRows.size() > screenRows ? captureRows.size() - screenRows : 0;
  std::string out;
  if (!state.alternateOn) {
    appendRows(out, captureRows, 0, captureRows.size());
  } else {
    // History on the normal screen, then the full-screen program's screen on the
    // alternate one, so leaving it later returns to the shell as the user knows it.
    if (screenStart > 0) {
      appendRows(out, captureRows, 0, screenStart);
      out += "\r\n";
    }
    out += "\x1b[?1049h\x1b[H\x1b[2J";
    appendRows(out, captureRows, screenStart, captureRows.size());
  }
  out += modeBytes(state);
  return out;
}

std::string resyncBytes(const std::vector<std::string>& captureRows, const PaneTerminalState& state) {
  const std::size_t screenRows = static_cast<std::size_t>(std::max(state.rows, 1));
  const std::size_t screenStart = captureRows.size() > screenRows ? captureRows.size() - screenRows : 0;
  std::string out = "\x1b[0m";
  out += state.alternateOn ? "\x1b[?1049h" : "\x1b[?1049l";
  out += "\x1b[H\x1b[2J";
  appendRows(out, captureRows, screenStart, captureRows.size());
  out += modeBytes(state);
  return out;
}

std::string olderHistoryBytes(const std::vector<std::string>& rows) {
  std::string out;
  appendRows(out, rows, 0, rows.size());
  return out;
}

std::vector<std::string> chunks(std::string_view bytes, std::size_t maxBytes) {
  maxBytes = std::max<std::size_t>(maxBytes, 1);
  std::vector<std::string> out;
  while (!bytes.empty()) {
    std::size_t size = std::min(bytes.size(), maxBytes);
    if (size < bytes.size()) {
      const auto lineEnd = bytes.substr(0, size).rfind('\n');
      if (lineEnd != std::string_view::npos) size = lineEnd + 1;
    }
    out.emplace_back(bytes.substr(0, size));
    bytes.remove_prefix(size);
  }
  return out;
}

}  // namespace TerminalSnapshot

TerminalHistoryPager::TerminalHistoryPager(int historySize, int sentLines, int pageLines)
    : m_historyAtAttach(std::max(historySize, 0)),
      m_sent(std::clamp(sentLines, 0, m_historyAtAttach)),
      m_page(std::max(pageLines, 1)) {}

std::optional<TerminalHistoryPager::Range> TerminalHistoryPager::next(int currentHistorySize) {
  if (m_sent >= m_historyAtAttach) return std::nullopt;
  // Lines that scrolled into history since the attach push the unsent ones further up
  // (when tmux dropped the oldest lines to stay within its limit, fewer remain).
  const int scrolledIn = std::max(currentHistorySize - m_historyAtAttach, 0);
  const int available = std::max(currentHistorySize, 0) - scrolledIn;
  if (m_sent >= available) return std::nullopt;
  const int lines = std::min(m_page, available - m_sent);
  Range range;
  range.start = -(scrolledIn + m_sent + lines);
  range.end = -(scrolledIn + m_sent + 1);
  range.lines = lines;
  m_sent += lines;
  range.atTop = m_sent >= available;
  return range;
}

}  // namespace vesket::daemon
