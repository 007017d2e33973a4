#pragma once

// The arguments of the three terminal attach commands, checked: "terminal-attach" opens a
// session on a pane, "terminal-input" carries one Base64 frame from the viewer into it,
// "terminal-detach" ends it. Bad arguments throw CommandError naming the command and the
// argument, which goes back to the client as the reply's error.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include <nlohmann/json_fwd.hpp>

namespace vesket::daemon {

// What the attach mode means here. "takeover" and "owned" size the pane's window to the
// viewer (and hand the size back on detach); every other mode, such as "mirror", leaves
// the pane's size alone and tells the viewer what it is.
namespace TerminalAttachMode {
inline constexpr std::string_view takeover = "takeover";
inline constexpr std::string_view owned = "owned";
inline constexpr std::string_view mirror = "mirror";

bool resizesPane(std::string_view mode);
}  // namespace TerminalAttachMode

struct TerminalAttachRequest {
  static constexpr int kDefaultHistoryLimit = 2000;  // lines, when the viewer names none
  static constexpr int kMaxHistoryLimit = 100000;
  static constexpr int kMaxSize = 10000;  // columns or rows

  std::string paneId;
  std::string mode = std::string(TerminalAttachMode::takeover);
  bool force = false;
  bool open = true;
  std::optional<int> cols;
  std::optional<int> rows;
  std::optional<int> historyLimit;  // lines of scroll-back sent on attach

  // Reads the "terminal-attach" arguments.
  static TerminalAttachRequest fromArgs(const nlohmann::json& args);

  // The size to give the pane's window: the viewer's, when the mode resizes the pane and
  // the viewer said both columns and rows.
  std::optional<std::pair<int, int>> windowSize() const;
  // Lines of scroll-back to send on attach.
  int historyLines() const { return historyLimit.value_or(kDefaultHistoryLimit); }

  friend bool operator==(const TerminalAttachRequest&, const TerminalAttachRequest&) = default;
};

// The name of the session an attach request opens, used by input and detach frames.
std::string terminalAttachSessionId(std::string_view attachId);

struct TerminalInputRequest {
  std::string sessionId;
  std::string frame;  // one terminal frame, decoded from the `data` Base64

  static TerminalInputRequest fromArgs(const nlohmann::json& args);
  friend bool operator==(const TerminalInputRequest&, const TerminalInputRequest&) = default;
};

struct TerminalDetachRequest {
  std::string sessionId;

  static TerminalDetachRequest fromArgs(const nlohmann::json& args);
  friend bool operator==(const TerminalDetachRequest&, const TerminalDetachRequest&) = default;
};

}  // namespace vesket::daemon
