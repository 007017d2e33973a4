// One row of the pane sidebar.
#pragma once

#include <optional>
#include <string>

#include "viewer/core/pane_agent_kind.h"

namespace vesket::viewer {

struct PaneRow {
  std::string id;         // the pane id
  std::string label;      // short label shown in the row
  std::string fullLabel;  // the unshortened friendly label (tooltip)
  std::optional<std::string> parentChip;  // parent directory when the label was a path
  bool isRunning = false;
  bool isStale = false;  // the pane lives in a throw-away session
  std::string statusCaption;  // "running" or "idle"
  PaneAgentKind agentKind = PaneAgentKind::unknown;
  std::optional<std::string> modelLabel;
  std::optional<std::string> modelReason;
  std::string paneLocation;  // window (or session) ":" window index "." pane index
  bool isManager = false;
  std::optional<std::string> role;  // "manager" or "worker"
  std::optional<std::string> crewId;
  std::string windowId;
  std::optional<std::string> windowKind;
  bool isTakeoverParked = false;

  bool operator==(const PaneRow&) const = default;
};

}  // namespace vesket::viewer
