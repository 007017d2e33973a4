#pragma once

// How a pane is shown inside an embedded terminal: a private viewer session links the
// pane's window, a plain tmux client attaches to that session, and teardown restores what
// the attach changed. Pure command lists; the runner executes them in order.

#include <optional>
#include <string>
#include <vector>

namespace vesket::viewer {

enum class EmulatorAttachMode {
  ownedShell,      // a shell the viewer made for itself: it may size the window
  protectedAgent,  // an agent's pane: attaching must not change its window size
};

struct EmulatorAttachPlan {
  using Command = std::vector<std::string>;

  // Stands for the id of the viewer session's initial window, printed by the first setup
  // command; the runner substitutes it before running the later commands.
  static constexpr const char* kInitialWindowPlaceholder = "<initial-window>";

  std::string viewerSession;
  std::string targetWindowId;
  std::string targetPaneId;
  EmulatorAttachMode mode = EmulatorAttachMode::protectedAgent;
  std::optional<std::string> priorWindowSize;  // the window's window-size option before attaching
  int windowWidth = 0;
  int windowHeight = 0;
  std::optional<std::string> priorActivePaneId;

  std::vector<Command> preAttachSizeGuard() const;
  std::vector<Command> viewerSessionSetup() const;
  Command attachArgs() const;
  std::vector<Command> teardownCommands() const;

  bool operator==(const EmulatorAttachPlan&) const = default;
};

}  // namespace vesket::viewer
