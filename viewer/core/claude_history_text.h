// The text of a Claude Code pane rendered from the daemon's structured history instead of
// its screen.
#pragma once

#include <string>

#include "control_plane/core/claude_history.h"

namespace vesket::viewer::ClaudeHistoryText {

// Every line of every entry of every history segment in order, then the lines of the live
// frames in ascending `sequence` (equal sequences keep their order), joined with LF.
std::string flatten(const control_plane::ClaudeHistoryBatch& batch);

}  // namespace vesket::viewer::ClaudeHistoryText
