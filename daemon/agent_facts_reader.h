#pragma once

#include <QString>
#include <map>
#include <string>

#include "daemon/core/claude_transcript.h"
#include "daemon/core/transcript_follower.h"

namespace vesket::daemon {

// Finds and reads the files agents keep about their sessions, under the user's home:
// - Claude Code: the newest transcript in `<home>/.claude/projects/<dir>/`, where <dir> is
//   named after the pane's working directory. A transcript is followed as it grows: the
//   first look reads its last `kTailBytes`, every later one only the bytes appended since,
//   so facts from earlier records stay known and a long conversation is not parsed again
//   on every change. A file that shrank or was replaced is read afresh.
// - codex: the newest rollout under `$CODEX_HOME/sessions` (default `<home>/.codex`) of
//   the last days whose first record names the pane's directory; its last `kTailBytes`.
// - gemini: the newest `session-*.json` in `<home>/.gemini/tmp/<sha256 of the dir>/chats`.
// - opencode: the newest session of `$XDG_DATA_HOME/opencode/storage` (default
//   `<home>/.local/share`) whose "directory" is the pane's, with its last messages.
// - cursor: the chat of `<home>/.cursor/chats/<md5 of the dir>/` used last, its "meta"
//   record read from the chat's SQLite store (read-only).
// A directory is looked through at most every `kRescanMs` per pane directory, and a file
// is parsed again only when its size or modification time changed. Runs off the event
// loop (file reads).
//
// Known limit: two panes of one agent kind in one directory both show the newest session.
class AgentFactsReader {
 public:
  explicit AgentFactsReader(QString homeDir);

  // The facts of an agent of `kind` (AgentClassifier's ids) working in `workingDirectory`;
  // empty for kinds that keep no files this reader knows.
  TranscriptFacts facts(const std::string& kind, const QString& workingDirectory, qint64 nowMs);

  TranscriptFacts claudeFacts(const QString& workingDirectory);

  static constexpr qint64 kTailBytes = 512 * 1024;
  static constexpr qint64 kRescanMs = 5000;

 private:
  struct Followed {
    TranscriptFollower follower{kTailBytes};
    ClaudeTranscript::FactsAccumulator facts;
  };
  struct Found {
    qint64 atMs = 0;
    QString path;
  };
  struct Parsed {
    qint64 size = -1;
    qint64 modifiedMs = -1;
    TranscriptFacts facts;
  };

  QString codexSession(const QString& workingDirectory);
  QString geminiSession(const QString& workingDirectory);
  QString opencodeSession(const QString& workingDirectory);
  QString cursorChat(const QString& workingDirectory);
  TranscriptFacts parse(const std::string& kind, const QString& path);

  QString m_homeDir;
  QString m_codexHome;
  QString m_dataHome;
  std::map<QString, Followed> m_followed;   // Claude Code, by transcript path
  std::map<QString, Found> m_found;         // kind + directory -> its newest session file
  std::map<QString, Parsed> m_parsed;       // session file -> its facts
  std::map<QString, std::string> m_codexCwd;  // rollout -> the directory it names
};

}  // namespace vesket::daemon
