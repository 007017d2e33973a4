#include "daemon/transcript_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace vesket::daemon {

QString newestTranscript(const QString& projectDir) {
  const QDir dir(projectDir);
  const QFileInfoList files = dir.entryInfoList({QStringLiteral("*.jsonl")}, QDir::Files, QDir::Time);
  return files.isEmpty() ? QString() : files.front().absoluteFilePath();
}

std::optional<TranscriptFollower::FileState> transcriptFileState(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
  TranscriptFollower::FileState state;
  state.identity = (static_cast<std::uint64_t>(info.st_dev) << 40) ^ static_cast<std::uint64_t>(info.st_ino);
  state.size = static_cast<std::int64_t>(info.st_size);
  return state;
}

}  // namespace vesket::daemon
