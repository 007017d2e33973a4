#pragma once

#include <QDateTime>
#include <QString>
#include <map>

#include "daemon/core/claude_transcript.h"

namespace vesket::daemon {

// Finds and reads the files agents keep about their sessions. For Claude Code that is the
// newest transcript in `<home>/.claude/projects/<dir>/`, where <dir> is named after the
// pane's working directory; only its tail is read, and a file that has not changed since
// the last read is not read again.
//
// Known limit: two Claude Code panes in one directory both show the newest transcript.
class AgentFactsReader {
 public:
  explicit AgentFactsReader(QString homeDir) : m_homeDir(std::move(homeDir)) {}

  TranscriptFacts claudeFacts(const QString& workingDirectory);

  static constexpr qint64 kTailBytes = 512 * 1024;

 private:
  struct Cached {
    qint64 size = -1;
    QDateTime modified;
    TranscriptFacts facts;
  };

  QString m_homeDir;
  std::map<QString, Cached> m_cache;  // by transcript path
};

}  // namespace vesket::daemon
