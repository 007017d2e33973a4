#pragma once

#include <optional>
#include <string>

namespace vesket::daemon {

// Named keys accepted by "send-key", turned into tmux key names for `send-keys`.
//
// Accepted: the application's key names (escape, tab, enter, backspace, up, down, left,
// right, home, end, pageUp, pageDown, delete, backTab; any case), tmux's own names (Enter,
// Escape, BSpace, BTab, PPage, NPage, DC, IC, Space, F1..F12), and modifier combinations of
// one character or key such as "C-c" or "M-Enter". Anything else is unknown, so that a typo
// never types its letters into an agent.
struct KeyNames {
  static std::optional<std::string> toTmuxKey(const std::string& name);
};

}  // namespace vesket::daemon
