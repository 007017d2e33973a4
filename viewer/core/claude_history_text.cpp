#include "viewer/core/claude_history_text.h"

#include <algorithm>
#include <vector>

namespace vesket::viewer::ClaudeHistoryText {

std::string flatten(const control_plane::ClaudeHistoryBatch& batch) {
  std::string out;
  bool first = true;
  auto add = [&](const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      if (!first) out.push_back('\n');
      out += line;
      first = false;
    }
  };
  for (const auto& segment : batch.history.segments) {
    for (const auto& entry : segment.entries) add(entry.lines);
  }
  std::vector<const control_plane::ClaudeHistoryLiveFrame*> frames;
  for (const auto& frame : batch.liveFrames) frames.push_back(&frame);
  std::stable_sort(frames.begin(), frames.end(),
                   [](const auto* a, const auto* b) { return a->sequence < b->sequence; });
  for (const auto* frame : frames) add(frame->lines);
  return out;
}

}  // namespace vesket::viewer::ClaudeHistoryText
