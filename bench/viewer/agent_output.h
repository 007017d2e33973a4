// Synthetic agent output of a given size, shaped like a tmux capture of agent panes with
// escapes kept (capture-pane -e): 24-bit and 16-colour SGR, bold, dim, 256-colour codes,
// erase-line and cursor moves, OSC titles, links, box drawing, spinner glyphs, CJK,
// accented text and emoji. Deterministic for a given size.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vesket::viewer::bench {

std::string agentOutput(std::size_t bytes);

// Splits into screenfuls of `lines` lines each.
std::vector<std::string> screenfuls(const std::string& text, std::size_t lines);

}  // namespace vesket::viewer::bench
