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
  std::string currentPath;  // pane_current_path

  bool operator==(const RawPane&) const = default;
};

// The `list-panes` format and its parser.
//
// Fields are separated by the ASCII unit separator (0x1f) and each record ends with the
// record separator (0x1e) before its line feed. tmux never puts either byte into session
// names, window names or titles (it rewrites control characters there); the working
// directory and the command name come from the system and could in theory hold anything,
// including line feeds, so they go last and the parser joins lines until the record
// separator closes the record. A record with the wrong number of fields is rejected, not
// guessed at.
namespace PaneListing {

// The -F argument (raw bytes, including the separators).
const std::string& format();

// The whole command, quoted for a control-mode client.
std::string command();

struct Result {
  std::vector<RawPane> panes;
  std::size_t rejected = 0;  // records that did not parse
};

// Parses the output lines of the command.
Result parse(const std::vector<std::string>& lines);

// Parses one record (without its record separator); false when malformed.
bool parseRecord(std::string_view record, RawPane& pane);

}  // namespace PaneListing

}  // namespace vesket::daemon
