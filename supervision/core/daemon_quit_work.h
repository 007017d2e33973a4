#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "shell/core/localised_text.h"

namespace vesket::supervision {

// What quitting would cut off, judged from the daemon's "panes --json" output.
struct DaemonQuitWork {
  enum class Kind { livePanes, noLiveWork, activeConnection, unknown };

  Kind kind = Kind::unknown;
  int paneCount = 0;  // for livePanes

  static DaemonQuitWork livePanes(int count) { return {Kind::livePanes, count}; }
  static DaemonQuitWork noLiveWork() { return {Kind::noLiveWork, 0}; }
  static DaemonQuitWork activeConnection() { return {Kind::activeConnection, 0}; }
  static DaemonQuitWork unknown() { return {Kind::unknown, 0}; }

  // A JSON array with at least one element: live panes. Otherwise an agent running or a
  // remote viewer served means an active connection, else no live work. No output or
  // output that is not a JSON array: unknown.
  static DaemonQuitWork fromPanesOutput(std::string_view output, bool hasAgentRunning, bool isActivelyServing);

  // The text of the quit confirmation; nothing when there is nothing to confirm.
  std::optional<shell::LocalisedText> confirmationMessage() const;

  bool operator==(const DaemonQuitWork&) const = default;
};

}  // namespace vesket::supervision
