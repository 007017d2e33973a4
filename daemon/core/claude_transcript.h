#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vesket::daemon {

// What a Claude Code transcript tells about its agent.
struct TranscriptFacts {
  std::optional<std::string> model;       // the model id of the latest assistant turn
  std::optional<std::string> modelLabel;  // "Opus 4.5"
  std::optional<double> contextPct;       // context used by the latest turn, per cent
  std::optional<std::string> topicPreview;  // the latest prompt the user typed, one line
  std::optional<std::string> sessionId;
  std::optional<std::string> cwd;

  bool operator==(const TranscriptFacts&) const = default;
};

// Reading Claude Code transcripts (`~/.claude/projects/<dir>/<session>.jsonl`): one JSON
// record per line, appended while the agent works. Records of types this code does not
// know, lines that are not JSON and a last line still being written are skipped: the
// format belongs to another program and grows new record types.
namespace ClaudeTranscript {

// Facts from transcript text: the whole file, or its tail when `startsMidFile` (then the
// first line is a fragment and is skipped). Later records win.
TranscriptFacts parse(std::string_view text, bool startsMidFile = false);

// The directory Claude Code keeps a working directory's transcripts in: every character
// other than an ASCII letter or digit becomes "-" ("/home/me/src.x" -> "-home-me-src-x").
std::string projectDirName(std::string_view cwd);

// A short display name for a model id: "claude-opus-4-5-20251101" -> "Opus 4.5",
// "claude-3-5-sonnet-20241022" -> "Sonnet 3.5". Nothing for an empty or unknown id.
std::optional<std::string> modelLabel(std::string_view modelId);

// The context window of a model, in tokens.
double contextWindow(std::string_view modelId);

// Text collapsed to one line (runs of white space become one blank) and cut to `max`
// characters (not bytes) with "…" when longer.
std::string oneLinePreview(std::string_view text, std::size_t max = 80);

}  // namespace ClaudeTranscript

}  // namespace vesket::daemon
