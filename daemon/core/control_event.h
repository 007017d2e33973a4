#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vesket::daemon {

// What one line (or one %begin..%end block) of tmux control-mode output means.
enum class ControlEventKind {
  CommandDone,            // %begin .. %end: a command's output block
  CommandFailed,          // %begin .. %error: the command failed; lines hold the message
  Output,                 // %output / %extended-output: bytes a pane produced
  Pause,                  // %pause %pane: tmux stopped sending a pane's output (pause-after)
  Continue,               // %continue %pane
  LayoutChange,           // %layout-change @window layout visible-layout flags
  WindowAdd,              // %window-add @window
  WindowClose,            // %window-close @window
  WindowRenamed,          // %window-renamed @window name
  WindowPaneChanged,      // %window-pane-changed @window %pane
  UnlinkedWindowAdd,      // %unlinked-window-add @window
  UnlinkedWindowClose,    // %unlinked-window-close @window
  UnlinkedWindowRenamed,  // %unlinked-window-renamed @window
  SessionsChanged,        // %sessions-changed
  SessionChanged,         // %session-changed $session name
  SessionRenamed,         // %session-renamed [$session] name
  SessionWindowChanged,   // %session-window-changed $session @window
  ClientSessionChanged,   // %client-session-changed client $session name
  ClientDetached,         // %client-detached client
  PaneModeChanged,        // %pane-mode-changed %pane
  Exit,                   // %exit [reason]: the control client is going away
  Other,                  // anything else (future notifications, stray lines); `text` holds the line
};

// The three numbers of a %begin / %end / %error guard line. `flags` is 1 for commands the
// control client itself sent and 0 for others (the command given on tmux's command line).
struct CommandGuard {
  std::int64_t time = 0;
  std::uint64_t number = 0;
  int flags = 0;
  bool operator==(const CommandGuard&) const = default;
};

struct ControlEvent {
  ControlEventKind kind = ControlEventKind::Other;
  std::string paneId;     // "%3"
  std::string windowId;   // "@2"
  std::string sessionId;  // "$1"
  std::string text;       // name, layout, exit reason, client name, or the raw line of Other
  std::string data;       // output bytes, already unescaped (may hold any byte value)
  std::optional<std::uint64_t> ageMs;  // %extended-output: how long tmux held the bytes
  CommandGuard guard;                  // command blocks only
  std::vector<std::string> lines;      // command blocks only: the output lines, raw bytes

  bool operator==(const ControlEvent&) const = default;
};

// Whether a notification can mean that panes appeared, went away, moved or were renamed,
// so that the pane list is worth re-reading at once.
bool mayChangePanes(ControlEventKind kind);

}  // namespace vesket::daemon
