#pragma once

#include <QString>
#include <map>

#include "daemon/core/claude_transcript.h"
#include "daemon/core/transcript_follower.h"

namespace vesket::daemon {

// Finds and reads the files agents keep about their sessions. For Claude Code that is the
// newest transcript in `<home>/.claude/projects/<dir>/`, where <dir> is named after the
// pane's working directory. A transcript is followed as it grows: the first look reads its
// last `kTailBytes`, every later one only the bytes appended since, so facts from earlier
// records stay known and a long conversation is not parsed again on every change. A file
// that shrank or was replaced is read afresh. Runs off the event loop (file reads).
//
// Known limit: two Claude Code panes in one directory both show the newest transcript.
class AgentFactsReader {
 public:
  explicit AgentFactsReader(QString homeDir) : m_homeDir(std::move(homeDir)) {}

  TranscriptFacts claudeFacts(const QString& workingDirectory);

  static constexpr qint64 kTailBytes = 512 * 1024;

 private:
  struct Followed {
    TranscriptFollower follower{kTailBytes};
    ClaudeTranscript::FactsAccumulator facts;
  };

  QString m_homeDir;
  std::map<QString, Followed> m_followed;  // by transcript path
};

}  // namespace vesket::daemon
