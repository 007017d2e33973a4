#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::daemon {

// The daemon's questions to tmux about one pane, each a `display-message -p` command and the
// reading of its answer (TmuxFormat: one checked record, text values free of control
// bytes). tmux answers a target it does not know with an empty line, so every reading that
// names the pane checks that the answer is about that pane.
namespace PaneQuery {

// Where a pane lives.
struct Location {
  std::string sessionId;    // "$1"
  std::string sessionName;
  std::string windowId;     // "@2"
  bool operator==(const Location&) const = default;
};
std::string locationCommand(std::string_view paneId);
std::optional<Location> location(const std::vector<std::string>& answer, std::string_view paneId);

// The size of the pane's window and whether it was set by hand (window-size "manual").
struct WindowSize {
  std::int64_t cols = 0;
  std::int64_t rows = 0;
  bool manual = false;
  bool operator==(const WindowSize&) const = default;
};
std::string windowSizeCommand(std::string_view paneId);
std::optional<WindowSize> windowSize(const std::vector<std::string>& answer);

// Whether the pane's program has ended (its exit status when tmux knows it). Nothing when
// the pane itself is gone.
struct Liveness {
  bool dead = false;
  std::optional<std::int64_t> exitStatus;
  bool operator==(const Liveness&) const = default;
};
std::string livenessCommand(std::string_view paneId);
std::optional<Liveness> liveness(const std::vector<std::string>& answer, std::string_view paneId);

// Lines of scroll-back the pane holds.
std::string historySizeCommand(std::string_view paneId);
std::optional<std::int64_t> historySize(const std::vector<std::string>& answer);

// The working directory of the pane's foreground program (empty while tmux cannot tell).
std::string workingDirectoryCommand(std::string_view paneId);
std::optional<std::string> workingDirectory(const std::vector<std::string>& answer, std::string_view paneId);

// The `-F` argument that makes new-window/new-session print the new pane, and its reading.
const std::string& newPaneFormat();
std::optional<std::string> newPaneId(const std::vector<std::string>& answer);

}  // namespace PaneQuery
}  // namespace vesket::daemon
