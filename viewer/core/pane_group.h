// One section of the pane sidebar: a tmux window or an agent team.
#pragma once

#include <string>
#include <vector>

#include "viewer/core/pane_row.h"

namespace vesket::viewer {

struct PaneGroup {
  std::string id;  // the grouping key, stable across refreshes
  std::string title;
  // The end of the title that tells teams of one project apart (" (tag)"), empty for other
  // groups; a shortened title keeps it whole.
  std::string titleSuffix;
  // A team's project as the daemon names it (often a directory path), empty for other groups.
  std::string crewProject;
  std::vector<PaneRow> rows;
  bool isStale = false;
  int runningCount = 0;

  bool operator==(const PaneGroup&) const = default;
};

}  // namespace vesket::viewer
