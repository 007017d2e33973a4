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

// The facts of a transcript that is read as it grows: each `append` takes the bytes that
// followed the last ones, so a long conversation is parsed once, not again on every
// change, and facts from early records stay known. A line split between two appends is
// held until its end arrives (a line longer than `kMaxLineBytes` is skipped).
class FactsAccumulator {
 public:
  static constexpr std::size_t kMaxLineBytes = 8 * 1024 * 1024;

  // `startsMidFile`: the first bytes appended are a fragment of a line and are skipped.
  explicit FactsAccumulator(bool startsMidFile = false) : m_skipping(startsMidFile) {}

  void append(std::string_view bytes);
  // Reads the held last line too, for text known to be complete.
  void finish();
  TranscriptFacts facts() const;

 private:
  void line(std::string_view line);

  TranscriptFacts m_facts;
  std::optional<std::string> m_latestPrompt;
  std::optional<std::string> m_latestSummary;
  std::string m_partial;  // the line not yet ended
  bool m_skipping;        // inside a line that is not read (a fragment, or too long)
};

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
