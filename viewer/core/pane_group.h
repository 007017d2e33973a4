// One section of the pane sidebar: a tmux window or an agent team.
#pragma once

#include <string>
#include <vector>

#include "viewer/core/pane_row.h"

namespace vesket::viewer {

struct PaneGroup {
  std::string id;  // the grouping key, stable across refreshes
  std::string title;
  std::vector<PaneRow> rows;
  bool isStale = false;
  int runningCount = 0;

  bool operator==(const PaneGroup&) const = default;
};

}  // namespace vesket::viewer
