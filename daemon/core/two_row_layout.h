#pragma once

#include <string>

namespace vesket::daemon {

// A tmux layout string (for `select-layout`) that puts `panes` panes of a `width` x
// `height` window into two rows of equal widths: the first half of the window's panes (in
// pane order) on top, the rest below. tmux assigns panes to the cells in pane order, so
// the ids written into the layout do not matter. `panes` is even and at least 2.
namespace TwoRowLayout {

std::string layout(int width, int height, int panes);

// tmux's checksum of a layout body (the four hex digits before the first comma).
unsigned checksum(const std::string& body);

}  // namespace TwoRowLayout

}  // namespace vesket::daemon
