// A pane record with neutral defaults, adjusted field by field in tests.
#pragma once

#include <string>

#include "control_plane/core/pane_entry.h"

namespace vesket::viewer::testing {

inline control_plane::PaneEntry paneEntry(std::string paneId, std::string windowId = "@1",
                                          std::string windowName = "main",
                                          std::string sessionName = "work") {
  control_plane::PaneEntry entry;
  entry.paneId = std::move(paneId);
  entry.label = "";
  entry.sessionName = std::move(sessionName);
  entry.windowIndex = 1;
  entry.windowId = std::move(windowId);
  entry.windowName = std::move(windowName);
  entry.paneIndex = 0;
  entry.cmd = "zsh";
  return entry;
}

}  // namespace vesket::viewer::testing
