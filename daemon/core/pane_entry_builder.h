#pragma once

#include <string>
#include <string_view>

#include "control_plane/core/pane_entry.h"
#include "daemon/core/claude_transcript.h"
#include "daemon/core/pane_listing.h"

namespace vesket::daemon {

// What the daemon learned about a pane beyond tmux's own facts.
struct PaneFacts {
  double registeredAt = 0;  // milliseconds since the epoch when the daemon first saw it
  std::string agentKind;    // AgentClassifier
  std::string load;         // PaneActivityTracker
  TranscriptFacts transcript;  // empty unless the agent keeps a transcript we read
};

// Turns tmux's facts and the daemon's own into the PaneEntry record the control socket
// sends. Crew fields stay absent: no agent teams exist yet.
namespace PaneEntryBuilder {

control_plane::PaneEntry build(const RawPane& pane, const PaneFacts& facts);

// The pane's title, or nothing while it is still tmux's default (the host name, in full
// or up to its first dot), which tells nothing about the pane.
std::string paneTitle(const RawPane& pane);

// The last component of a path ("/" for the root, "" for nothing).
std::string basename(std::string_view path);

// The daemon's short label: the working directory's name, else the command, else the
// tmux location "session:window.pane".
std::string label(const RawPane& pane);

}  // namespace PaneEntryBuilder

}  // namespace vesket::daemon
