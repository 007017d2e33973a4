#include "daemon/agent_facts_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vesket::daemon {

TranscriptFacts AgentFactsReader::claudeFacts(const QString& workingDirectory) {
  if (workingDirectory.isEmpty()) return {};
  const QString dirName = QString::fromStdString(ClaudeTranscript::projectDirName(workingDirectory.toStdString()));
  const QDir dir(m_homeDir + QStringLiteral("/.claude/projects/") + dirName);
  if (!dir.exists()) return {};
  const QFileInfoList files = dir.entryInfoList({QStringLiteral("*.jsonl")}, QDir::Files, QDir::Time);
  if (files.isEmpty()) return {};
  const QFileInfo& newest = files.front();
  const QString path = newest.absoluteFilePath();

  auto& cached = m_cache[path];
  if (cached.size == newest.size() && cached.modified == newest.lastModified()) return cached.facts;

  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const qint64 size = file.size();
  const bool tail = size > kTailBytes;
  if (tail) file.seek(size - kTailBytes);
  const QByteArray bytes = file.read(kTailBytes);
  cached.size = newest.size();
  cached.modified = newest.lastModified();
  cached.facts = ClaudeTranscript::parse(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), tail);
  if (m_cache.size() > 256) {
    // Transcripts of panes long gone: start over rather than grow without bound.
    const Cached keep = cached;
    m_cache.clear();
    m_cache[path] = keep;
    return keep.facts;
  }
  return cached.facts;
}

}  // namespace vesket::daemon
