#include "daemon/agent_facts_reader.h"

#include <QFile>

#include "daemon/transcript_files.h"

namespace vesket::daemon {

TranscriptFacts AgentFactsReader::claudeFacts(const QString& workingDirectory) {
  if (workingDirectory.isEmpty()) return {};
  const QString dirName = QString::fromStdString(ClaudeTranscript::projectDirName(workingDirectory.toStdString()));
  const QString path = newestTranscript(m_homeDir + QStringLiteral("/.claude/projects/") + dirName);
  if (path.isEmpty()) return {};

  if (m_followed.size() >= 256 && !m_followed.contains(path)) {
    // Transcripts of panes long gone: start over rather than grow without bound.
    m_followed.clear();
  }
  Followed& followed = m_followed[path];
  const auto read = followed.follower.update(transcriptFileState(path));
  if (!read) return followed.facts.facts();
  if (read->restart) followed.facts = ClaudeTranscript::FactsAccumulator(/*startsMidFile=*/read->from > 0);
  QFile file(path);
  const QByteArray bytes = file.open(QIODevice::ReadOnly) && file.seek(read->from) ? file.read(read->to - read->from) : QByteArray();
  if (bytes.size() != read->to - read->from) {
    // Cut short (the file went away or shrank meanwhile): read it afresh next time.
    const TranscriptFacts facts = followed.facts.facts();
    m_followed.erase(path);
    return facts;
  }
  followed.facts.append(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  return followed.facts.facts();
}

}  // namespace vesket::daemon
