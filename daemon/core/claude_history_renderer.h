#pragma once

// Turning the records of a Claude Code transcript (`~/.claude/projects/<dir>/<session>.jsonl`)
// into display items for the agent-history stream: what the user typed, the agent's text
// and thinking, its tool calls and their results, and compaction markers, each rendered as
// plain display lines at a column width.
//
// A transcript line is a JSON object with "type" ("user", "assistant", "summary",
// "system", and more that come and go), "uuid", "sessionId", "timestamp", "cwd" and, for
// messages, "message" {"role", "content"}, where content is a string or an array of blocks
// {"type": "text" | "thinking" | "tool_use" | "tool_result" | "image", ...}. The format
// belongs to another program: records and blocks of unknown types, and keys that are
// missing or of an unexpected type, show nothing rather than fail.

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::daemon {

// One displayable item of a transcript.
struct ClaudeHistoryItem {
  std::string eventId;    // the record's uuid; "#n" appended for its n-th item after the first
  std::string sessionId;  // the conversation the record belongs to
  std::int64_t offset = 0;  // byte offset of the record's line in the transcript
  // "prompt" (typed by the user), "command" (a slash command), "command_output",
  // "assistant", "thinking", "tool_use", "tool_result", "interrupted", "summary",
  // "compact" (the conversation was compacted here).
  std::string kind;
  std::string text;  // clean plain text (see TextWrap::sanitize)
  std::optional<std::string> boundary;  // "compact" on the item that opens a compacted part
  bool isError = false;                 // a tool result that reports a failure
  int moreLines = 0;  // lines of a long output left out of `text`

  // A prompt or slash command: the start of a turn.
  bool startsTurn() const { return kind == "prompt" || kind == "command"; }
  friend bool operator==(const ClaudeHistoryItem&, const ClaudeHistoryItem&) = default;
};

namespace ClaudeHistoryRenderer {

// Display lines of a tool result shown before the rest is summarised as "… +N lines".
inline constexpr int kMaxToolResultLines = 12;
// Lines of a tool result's text kept at all (outputs can be whole files).
inline constexpr int kMaxKeptOutputLines = 100;
// Longest tool-call summary, in characters.
inline constexpr std::size_t kMaxToolSummaryChars = 160;

// The items of one transcript record, in display order; none for records that show
// nothing (unknown types, meta and side-chain records, empty text).
std::vector<ClaudeHistoryItem> itemsOf(const nlohmann::json& record, std::int64_t offset,
                                       std::string_view fallbackSessionId);

// The item as display lines of at most `width` columns (at least 1). Items that open a
// block of the conversation start with an empty line, so that flattened history reads
// like the agent's own screen; results hang under their call without one.
std::vector<std::string> render(const ClaudeHistoryItem& item, int width);

// A one-line summary of a tool call: "Bash(ls -la)", "Read(src/main.cpp)", "Grep(TODO)";
// other tools show their input as compact JSON, cut to kMaxToolSummaryChars.
std::string toolCallSummary(std::string_view name, const nlohmann::json& input);

}  // namespace ClaudeHistoryRenderer

}  // namespace vesket::daemon
