#pragma once

// What a viewer that attaches to a pane needs to show it exactly as tmux has it: the
// scroll-back and the visible screen as terminal bytes, the cursor, and the terminal modes
// the pane's program turned on. The same pieces, without the scroll-back, resynchronise a
// viewer that missed output (it read too slowly, or tmux paused the pane).
//
// Input is what the control client reads: the pane's terminal state from `display-message
// -p` with PaneTerminalState::format(), and `capture-pane -p -e -S -<n>` rows (the history
// lines, then the screen's rows, escape sequences kept, one row per output line).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::daemon {

struct PaneTerminalState {
  int cols = 80;
  int rows = 24;
  int cursorX = 0;
  int cursorY = 0;
  bool cursorVisible = true;
  bool alternateOn = false;        // a full-screen program is on the alternate screen
  bool applicationCursor = false;  // DECCKM: arrows send ESC O A
  bool applicationKeypad = false;
  bool mouseStandard = false;  // 1000: press and release
  bool mouseButton = false;    // 1002: and motion while pressed
  bool mouseAny = false;       // 1003: and all motion (tmux's mouse_all_flag)
  bool mouseSgr = false;       // 1006 encoding
  bool mouseUtf8 = false;      // 1005 encoding
  int historySize = 0;         // lines of scroll-back the pane holds

  // The tmux format to print the state with (a TmuxFormat record), and the whole
  // display-message command for a pane.
  static const std::string& format();
  static std::string command(std::string_view paneId);
  // Reads a line printed with format(); nothing when it does not match.
  static std::optional<PaneTerminalState> parse(std::string_view line);

  bool mouseTracking() const { return mouseStandard || mouseButton || mouseAny; }
  // "sgr", "utf8" or "default".
  std::string mouseEncoding() const;

  friend bool operator==(const PaneTerminalState&, const PaneTerminalState&) = default;
};

namespace TerminalSnapshot {

// Bytes that draw a capture on a fresh terminal of the pane's size: the history rows
// scroll into the viewer's scroll-back, the last `state.rows` rows are the screen (drawn
// on the alternate screen when the pane is on it), then cursor and modes (see modeBytes).
std::string attachBytes(const std::vector<std::string>& captureRows, const PaneTerminalState& state);

// Bytes that redraw the screen in place, for a viewer that missed output: the screen is
// cleared (its scroll-back is kept) and the last `state.rows` rows of the capture drawn.
std::string resyncBytes(const std::vector<std::string>& captureRows, const PaneTerminalState& state);

// Older history (rows above what the viewer has) as terminal bytes: rows joined by CR LF,
// attributes reset at the end.
std::string olderHistoryBytes(const std::vector<std::string>& rows);

// Cursor position, cursor visibility, cursor and keypad modes and mouse modes as escape
// sequences that put a terminal into the pane's state.
std::string modeBytes(const PaneTerminalState& state);

// Cuts bytes into chunks of at most `maxBytes` (at least 1), at a line end when one is
// within the chunk, so that each history frame stays small.
std::vector<std::string> chunks(std::string_view bytes, std::size_t maxBytes);

}  // namespace TerminalSnapshot

// Which rows of scroll-back the next "historyMore" asks tmux for. Lines are counted as
// tmux does: -1 is the newest history line. Scroll-back grows while the viewer reads, so
// each request names the pane's current history size and the pager shifts its range by
// the lines that scrolled in since the attach.
class TerminalHistoryPager {
 public:
  // `historySize` the pane's scroll-back when the attach captured `sentLines` of it.
  TerminalHistoryPager(int historySize, int sentLines, int pageLines);

  struct Range {
    int start = 0;  // capture-pane -S
    int end = 0;    // capture-pane -E
    int lines = 0;
    bool atTop = false;  // this range reaches the oldest line
  };
  // The next older page, or nothing when the viewer has everything.
  std::optional<Range> next(int currentHistorySize);
  // Lines sent so far, counted at the attach's history size.
  int sentLines() const { return m_sent; }

 private:
  int m_historyAtAttach;
  int m_sent;
  int m_page;
};

}  // namespace vesket::daemon
