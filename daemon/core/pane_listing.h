#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::daemon {

// The facts tmux itself holds about one pane, as read by `list-panes -a -F`.
struct RawPane {
  std::string paneId;     // "%3"
  std::string sessionId;  // "$1"
  std::string sessionName;
  std::string windowId;  // "@2"
  std::int64_t windowIndex = 0;
  std::string windowName;
  bool windowActive = false;
  std::int64_t paneIndex = 0;
  bool paneActive = false;
  std::string paneTitle;
  std::string currentCommand;  // pane_current_command: the foreground process's name
  std::int64_t panePid = 0;    // the pane's first process (usually the shell)
  std::int64_t paneWidth = 0;
  std::int64_t paneHeight = 0;
  std::int64_t windowWidth = 0;
  std::int64_t windowHeight = 0;
  bool paneDead = false;
  std::int64_t windowActivity = 0;  // seconds since the epoch of the window's last output
  std::string paneTty;
  std::string currentPath;  // pane_current_path; control bytes arrive as U+FFFD
  std::string host;         // the host name: tmux's default pane title
  std::string customName;   // the pane's "@vesket-name" option: the name the user gave it

  bool operator==(const RawPane&) const = default;
};

// The pane list query (a TmuxFormat: one record per line, text values cleaned of control
// bytes by tmux) and its parser. A line that is not a record is rejected, not guessed at.
namespace PaneListing {

// The whole command, quoted for a control-mode client.
std::string command();

struct Result {
  std::vector<RawPane> panes;
  std::size_t rejected = 0;  // lines that did not parse
};

// Parses the output lines of the command.
Result parse(const std::vector<std::string>& lines);

}  // namespace PaneListing

}  // namespace vesket::daemon
