#pragma once

// The records of the agent-history stream ("claude-history"): the conversation history of
// a Claude Code pane as structured batches and live frames. Every key is required unless
// the member is a std::optional; unknown keys are ignored.

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::control_plane {

// A position in an agent's transcript.
struct ClaudeHistoryCursor {
  std::string sessionId;  // the conversation the position belongs to
  std::int64_t offset = 0;

  static ClaudeHistoryCursor fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ClaudeHistoryCursor&, const ClaudeHistoryCursor&) = default;
};

// One rendered history item.
struct ClaudeHistoryEntry {
  std::string eventId;
  ClaudeHistoryCursor cursor;
  std::string kind;                // as the daemon names it
  std::vector<std::string> lines;  // the item rendered as display lines
  std::optional<std::string> boundary;

  static ClaudeHistoryEntry fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ClaudeHistoryEntry&, const ClaudeHistoryEntry&) = default;
};

// A run of entries from one conversation.
struct ClaudeHistorySegment {
  std::string segmentId;
  std::string sessionId;
  std::string boundary;  // the boundary that opens the segment
  std::vector<ClaudeHistoryEntry> entries;  // in display order

  static ClaudeHistorySegment fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ClaudeHistorySegment&, const ClaudeHistorySegment&) = default;
};

// The settled history.
struct ClaudeHistorySnapshot {
  std::int64_t width = 0;  // the column width the lines were rendered for
  std::vector<ClaudeHistorySegment> segments;  // oldest first
  std::optional<ClaudeHistoryCursor> historyEnd;
  std::optional<ClaudeHistoryCursor> liveStart;
  bool fallback = false;  // the daemon fell back instead of building a structured history

  static ClaudeHistorySnapshot fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ClaudeHistorySnapshot&, const ClaudeHistorySnapshot&) = default;
};

// One frame of the live, still-changing part.
struct ClaudeHistoryLiveFrame {
  std::string eventId;
  ClaudeHistoryCursor cursor;
  std::string kind;
  std::string text;
  std::optional<std::string> boundary;
  std::int64_t sequence = 0;
  std::vector<std::string> lines;

  static ClaudeHistoryLiveFrame fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ClaudeHistoryLiveFrame&, const ClaudeHistoryLiveFrame&) = default;
};

// A complete picture at one moment. `mode` "replace" replaces what is shown; "disabled"
// means history is off for the pane.
struct ClaudeHistoryBatch {
  std::string mode;
  std::int64_t width = 0;
  ClaudeHistorySnapshot history;
  std::vector<ClaudeHistoryLiveFrame> liveFrames;

  static ClaudeHistoryBatch fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ClaudeHistoryBatch&, const ClaudeHistoryBatch&) = default;
};

// One line of the agent-history stream; its fields sit at the top level of the line,
// beside `id` and `ok`.
struct ClaudeHistoryStreamEvent {
  std::string type;  // as the daemon names it
  std::string paneId;
  std::optional<ClaudeHistoryBatch> batch;
  std::optional<ClaudeHistoryLiveFrame> frame;
  std::optional<std::string> reason;

  static ClaudeHistoryStreamEvent fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  // Decodes one whole stream line; throws DecodingError naming what is wrong.
  static ClaudeHistoryStreamEvent fromLine(std::string_view line);
  friend bool operator==(const ClaudeHistoryStreamEvent&, const ClaudeHistoryStreamEvent&) = default;
};

}  // namespace vesket::control_plane
