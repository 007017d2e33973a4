#pragma once

// The daemon's side of the agent-history stream ("claude-history") for one pane: reads a
// Claude Code transcript as it grows and builds the batches the stream sends.
//
// Feed it the transcript's bytes in order (the whole file, then whatever was appended);
// complete lines become items, a last line without its line feed waits for the rest. A
// batch is the complete picture at that moment, rendered at the stream's width:
//   - history: the settled conversation, in segments (a new segment where the
//     conversation was compacted or another conversation continues the file), oldest
//     first, at most `maxEntries` entries (the oldest are left out);
//   - liveFrames: the latest turn, from the user's last prompt on, which is still growing
//     while the agent works;
//   - historyEnd / liveStart: the transcript position where the live part begins (the end
//     of what was read when there is no live part).
// The stream sends one "replace" event with a batch when it opens and another whenever
// the transcript grew; "disabled" when the pane has no transcript.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control_plane/core/claude_history.h"
#include "daemon/core/claude_history_renderer.h"

namespace vesket::daemon {

class ClaudeHistoryBuilder {
 public:
  struct Options {
    std::string paneId;
    int width = 80;  // raised to 1 when smaller
    // The conversation of records without a sessionId before any record named one: the
    // transcript's file stem (Claude Code names the file after the conversation).
    std::string sessionId;
    // Where the first byte fed sits in the file. When not 0 reading started mid-file, so
    // the first line is a fragment and is skipped.
    std::int64_t startOffset = 0;
    std::size_t maxEntries = 2000;
  };

  // The event types of the stream.
  static constexpr std::string_view kReplace = "replace";
  static constexpr std::string_view kDisabled = "disabled";

  explicit ClaudeHistoryBuilder(Options options);

  // Reads transcript bytes that follow the ones fed before. Returns true when they
  // completed at least one line that shows something.
  bool append(std::string_view bytes);

  // Forgets everything read (the transcript was replaced or truncated); reading starts
  // again at `startOffset`.
  void reset(std::int64_t startOffset = 0);

  // The position after the last complete line read (where the next read resumes without
  // losing the pending fragment: offset() + pendingBytes() is the end of what was fed).
  std::int64_t offset() const { return m_offset; }
  std::size_t pendingBytes() const { return m_pending.size(); }
  int width() const { return m_width; }
  // The items kept (the oldest are dropped once there are more than twice `maxEntries`);
  // the first one is the `droppedItems()`-th item read.
  const std::vector<ClaudeHistoryItem>& items() const { return m_items; }
  std::size_t droppedItems() const { return m_dropped; }

  // The current complete picture.
  control_plane::ClaudeHistoryBatch batch() const;
  // The stream event carrying batch(), type "replace".
  control_plane::ClaudeHistoryStreamEvent replaceEvent() const;
  // The event that turns history off for a pane ("disabled"), with the reason.
  static control_plane::ClaudeHistoryStreamEvent disabledEvent(std::string paneId,
                                                               std::string reason);

 private:
  void readLine(std::string_view line, std::int64_t lineOffset);

  std::string m_paneId;
  int m_width;
  std::string m_initialSessionId;
  std::string m_sessionId;  // the conversation of the latest record that named one
  std::size_t m_maxEntries;
  std::int64_t m_offset = 0;
  bool m_skipFragment = false;
  bool m_startedMidFile = false;
  std::string m_pending;
  std::vector<ClaudeHistoryItem> m_items;
  // Rendered lines of the items, in step with m_items once append() returns.
  std::vector<std::vector<std::string>> m_lines;
  std::size_t m_dropped = 0;
  std::optional<std::size_t> m_lastTurnStart;  // item number of the latest prompt
};

}  // namespace vesket::daemon
