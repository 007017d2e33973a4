#include "daemon/agent_facts_reader.h"

#include <sqlite3.h>

#include <algorithm>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "daemon/core/agent_session_files.h"
#include "daemon/transcript_files.h"

namespace vesket::daemon {

namespace {

constexpr qint64 kMaxSessionFileBytes = 16 * 1024 * 1024;
constexpr int kCodexDaysLooked = 7;
constexpr int kCodexFilesLooked = 64;
constexpr int kOpencodeSessionsLooked = 128;
constexpr int kOpencodeMessagesRead = 8;

QString environmentDir(const char* name, const QString& fallback) {
  const QString value = qEnvironmentVariable(name);
  return value.startsWith('/') ? value : fallback;
}

QByteArray readHead(const QString& path, qint64 max) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.read(max) : QByteArray();
}

QFileInfoList newestFirst(const QString& dir, const QStringList& patterns, QDir::Filters filters) {
  return QDir(dir).entryInfoList(patterns, filters | QDir::NoDotAndDotDot, QDir::Time);
}

// The newest entries of a directory of dated folders ("2026", "01", ...), by name.
QStringList newestNames(const QString& dir) {
  QStringList names = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
  return names;
}

qint64 modifiedMs(const QString& path) {
  const QFileInfo info(path);
  return info.exists() ? info.lastModified().toMSecsSinceEpoch() : -1;
}

// The chat's "meta" record from a cursor store, opened read-only; empty when the store
// has none or is not one.
std::string cursorMeta(const QString& path) {
  sqlite3* db = nullptr;
  std::string meta;
  if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_busy_timeout(db, 200);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT value FROM meta ORDER BY key = '0' DESC LIMIT 1", -1, &statement, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, 0));
      const int size = sqlite3_column_bytes(statement, 0);
      if (bytes && size > 0 && size < kMaxSessionFileBytes) meta.assign(bytes, static_cast<std::size_t>(size));
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return meta;
}

}  // namespace

AgentFactsReader::AgentFactsReader(QString homeDir)
    : m_homeDir(std::move(homeDir)),
      m_codexHome(environmentDir("CODEX_HOME", m_homeDir + QStringLiteral("/.codex"))),
      m_dataHome(environmentDir("XDG_DATA_HOME", m_homeDir + QStringLiteral("/.local/share"))) {}

TranscriptFacts AgentFactsReader::facts(const std::string& kind, const QString& workingDirectory, qint64 nowMs) {
  if (workingDirectory.isEmpty()) return {};
  if (kind == "claude") return claudeFacts(workingDirectory);
  if (kind != "codex" && kind != "gemini" && kind != "opencode" && kind != "cursor") return {};

  if (m_found.size() >= 256 || m_parsed.size() >= 256 || m_codexCwd.size() >= 4096) {
    // Sessions of panes long gone: start over rather than grow without bound.
    m_found.clear();
    m_parsed.clear();
    m_codexCwd.clear();
  }
  const QString key = QString::fromStdString(kind) + '\n' + workingDirectory;
  auto found = m_found.find(key);
  if (found == m_found.end() || nowMs - found->second.atMs >= kRescanMs || nowMs < found->second.atMs) {
    QString path;
    if (kind == "codex") path = codexSession(workingDirectory);
    else if (kind == "gemini") path = geminiSession(workingDirectory);
    else if (kind == "opencode") path = opencodeSession(workingDirectory);
    else path = cursorChat(workingDirectory);
    found = m_found.insert_or_assign(key, Found{nowMs, path}).first;
  }
  if (found->second.path.isEmpty()) return {};
  return parse(kind, found->second.path);
}

QString AgentFactsReader::codexSession(const QString& workingDirectory) {
  const QString sessions = m_codexHome + QStringLiteral("/sessions");
  const std::string wanted = workingDirectory.toStdString();
  QStringList days;
  for (const QString& year : newestNames(sessions)) {
    for (const QString& month : newestNames(sessions + '/' + year)) {
      for (const QString& day : newestNames(sessions + '/' + year + '/' + month)) {
        days << sessions + '/' + year + '/' + month + '/' + day;
        if (days.size() >= kCodexDaysLooked) break;
      }
      if (days.size() >= kCodexDaysLooked) break;
    }
    if (days.size() >= kCodexDaysLooked) break;
  }
  days << sessions;  // older releases kept the rollouts in one folder
  QFileInfoList files;
  for (const QString& day : days) files << newestFirst(day, {QStringLiteral("rollout-*.jsonl")}, QDir::Files);
  std::sort(files.begin(), files.end(),
            [](const QFileInfo& a, const QFileInfo& b) { return a.lastModified() > b.lastModified(); });
  int looked = 0;
  for (const QFileInfo& file : files) {
    if (++looked > kCodexFilesLooked) break;
    const QString path = file.absoluteFilePath();
    auto cwd = m_codexCwd.find(path);
    if (cwd == m_codexCwd.end()) {
      // The first record holds the instructions too: it can be long.
      const QByteArray head = readHead(path, 1024 * 1024);
      const qsizetype end = head.indexOf('\n');
      if (end < 0 && head.size() >= 1024 * 1024) continue;
      const auto named = AgentSessionFiles::codexRolloutCwd(std::string_view(head.constData(), end < 0 ? head.size() : end));
      if (!named && end < 0) continue;  // still being written: look again next time
      cwd = m_codexCwd.emplace(path, named.value_or("")).first;
    }
    if (cwd->second == wanted) return path;
  }
  return {};
}

QString AgentFactsReader::geminiSession(const QString& workingDirectory) {
  const QByteArray hash = QCryptographicHash::hash(workingDirectory.toUtf8(), QCryptographicHash::Sha256).toHex();
  const QString chats = m_homeDir + QStringLiteral("/.gemini/tmp/") + QString::fromLatin1(hash) + QStringLiteral("/chats");
  const QFileInfoList files = newestFirst(chats, {QStringLiteral("session-*.json")}, QDir::Files);
  return files.isEmpty() ? QString() : files.front().absoluteFilePath();
}

QString AgentFactsReader::opencodeSession(const QString& workingDirectory) {
  const QString sessions = m_dataHome + QStringLiteral("/opencode/storage/session");
  QFileInfoList files;
  for (const QFileInfo& project : newestFirst(sessions, {}, QDir::Dirs)) {
    files << newestFirst(project.absoluteFilePath(), {QStringLiteral("*.json")}, QDir::Files);
  }
  std::sort(files.begin(), files.end(),
            [](const QFileInfo& a, const QFileInfo& b) { return a.lastModified() > b.lastModified(); });
  const std::string wanted = workingDirectory.toStdString();
  int looked = 0;
  for (const QFileInfo& file : files) {
    if (++looked > kOpencodeSessionsLooked) break;
    const QByteArray text = readHead(file.absoluteFilePath(), kMaxSessionFileBytes);
    if (AgentSessionFiles::opencodeSessionDirectory(std::string_view(text.constData(), text.size())) == wanted) {
      return file.absoluteFilePath();
    }
  }
  return {};
}

QString AgentFactsReader::cursorChat(const QString& workingDirectory) {
  const QByteArray hash = QCryptographicHash::hash(workingDirectory.toUtf8(), QCryptographicHash::Md5).toHex();
  const QString chats = m_homeDir + QStringLiteral("/.cursor/chats/") + QString::fromLatin1(hash);
  QString newest;
  qint64 newestMs = -1;
  for (const QFileInfo& chat : newestFirst(chats, {}, QDir::Dirs)) {
    const QString store = chat.absoluteFilePath() + QStringLiteral("/store.db");
    const qint64 at = std::max(modifiedMs(store), modifiedMs(store + QStringLiteral("-wal")));
    if (at > newestMs && QFileInfo(store).isFile()) {
      newest = store;
      newestMs = at;
    }
  }
  return newest;
}

TranscriptFacts AgentFactsReader::parse(const std::string& kind, const QString& path) {
  const QFileInfo info(path);
  qint64 size = info.size();
  qint64 modified = modifiedMs(path);
  QString messagesDir;
  if (kind == "opencode") {
    messagesDir = m_dataHome + QStringLiteral("/opencode/storage/message/") + info.completeBaseName();
    const QFileInfoList messages = newestFirst(messagesDir, {QStringLiteral("*.json")}, QDir::Files);
    modified = std::max({modified, modifiedMs(messagesDir), messages.isEmpty() ? -1 : messages.front().lastModified().toMSecsSinceEpoch()});
    size += messages.size();
  } else if (kind == "cursor") {
    modified = std::max(modified, modifiedMs(path + QStringLiteral("-wal")));
    size += QFileInfo(path + QStringLiteral("-wal")).size();
  }
  Parsed& parsed = m_parsed[path];
  if (parsed.size == size && parsed.modifiedMs == modified) return parsed.facts;
  parsed.size = size;
  parsed.modifiedMs = modified;

  if (kind == "codex") {
    QFile file(path);
    const qint64 from = std::max<qint64>(0, size - kTailBytes);
    const QByteArray tail = file.open(QIODevice::ReadOnly) && file.seek(from) ? file.read(kTailBytes) : QByteArray();
    parsed.facts = AgentSessionFiles::codexRollout(std::string_view(tail.constData(), tail.size()), from > 0);
  } else if (kind == "gemini") {
    if (size > kMaxSessionFileBytes) return parsed.facts = {};
    const QByteArray text = readHead(path, kMaxSessionFileBytes);
    parsed.facts = AgentSessionFiles::geminiSession(std::string_view(text.constData(), text.size()));
  } else if (kind == "opencode") {
    const QByteArray session = readHead(path, kMaxSessionFileBytes);
    // Message ids grow with time: the last names are the newest messages.
    QStringList names = QDir(messagesDir).entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    if (names.size() > kOpencodeMessagesRead) names = names.mid(names.size() - kOpencodeMessagesRead);
    std::vector<std::string> messages;
    for (const QString& name : names) messages.push_back(readHead(messagesDir + '/' + name, 1024 * 1024).toStdString());
    parsed.facts = AgentSessionFiles::opencodeSession(std::string_view(session.constData(), session.size()), messages);
  } else if (kind == "cursor") {
    parsed.facts = AgentSessionFiles::cursorChatMeta(cursorMeta(path));
  }
  return parsed.facts;
}

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
