#include "daemon/claude_history_service.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>
#include <optional>
#include <sys/stat.h>

#include <qcoro/qcorotimer.h>

#include "daemon/control_connection.h"
#include "daemon/core/claude_history_builder.h"
#include "daemon/core/claude_transcript.h"
#include "daemon/core/command_args.h"
#include "daemon/core/command_error.h"
#include "daemon/core/reply_line.h"
#include "daemon/core/tmux_command.h"
#include "daemon/core/transcript_follower.h"
#include "daemon/tmux_engine.h"

namespace vesket::daemon {

struct ClaudeHistoryService::Stream {
  QPointer<ControlConnection> connection;
  std::string id;
  std::string paneId;
  int width = 80;
  QString projectDir;
  QString transcript;  // the file being followed
  TranscriptFollower follower;
  std::unique_ptr<ClaudeHistoryBuilder> builder;
};

namespace {

// The newest transcript in a project directory, or nothing.
QString newestTranscript(const QString& projectDir) {
  const QDir dir(projectDir);
  const QFileInfoList files = dir.entryInfoList({QStringLiteral("*.jsonl")}, QDir::Files, QDir::Time);
  return files.isEmpty() ? QString() : files.front().absoluteFilePath();
}

std::optional<TranscriptFollower::FileState> fileState(const QString& path) {
  struct stat info {};
  const QByteArray native = QFile::encodeName(path);
  if (::stat(native.constData(), &info) != 0) return std::nullopt;
  TranscriptFollower::FileState state;
  state.identity = (static_cast<std::uint64_t>(info.st_dev) << 40) ^ static_cast<std::uint64_t>(info.st_ino);
  state.size = static_cast<std::int64_t>(info.st_size);
  return state;
}

std::string eventLine(const std::string& id, const control_plane::ClaudeHistoryStreamEvent& event) {
  nlohmann::json line = event.toJson();
  line["id"] = id;
  line["ok"] = true;
  return ReplyLine::encode(line) + '\n';
}

}  // namespace

ClaudeHistoryService::ClaudeHistoryService(TmuxEngine& engine, QString homeDir, std::chrono::milliseconds pollInterval,
                                           QObject* parent)
    : QObject(parent), m_engine(engine), m_homeDir(std::move(homeDir)), m_pollInterval(pollInterval) {
  m_timer.setInterval(m_pollInterval);
  connect(&m_timer, &QTimer::timeout, this, [this] {
    // A poll may end a stream (its connection went away): walk a copy of the pointers.
    std::vector<Stream*> streams;
    for (const auto& stream : m_streams) streams.push_back(stream.get());
    for (Stream* stream : streams) poll(*stream);
  });
}

ClaudeHistoryService::~ClaudeHistoryService() = default;

void ClaudeHistoryService::handle(ControlConnection& connection, const RequestFrame& frame) {
  try {
    const CommandArgs args(frame.cmd, frame.args);
    std::string paneId = args.requireString("paneId");
    if (!TmuxCommand::isPaneId(paneId)) throw CommandError("claude-history: not a pane id: " + paneId.substr(0, 40));
    const auto width = args.optionalInteger("width", std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max());
    const int clamped = static_cast<int>(std::clamp<std::int64_t>(width.value_or(80), 1, 10000));
    for (const auto& stream : m_streams) {
      if (stream->connection == &connection && stream->id == frame.id) {
        throw CommandError("claude-history: a stream with this id is already open");
      }
    }
    open(QPointer<ControlConnection>(&connection), frame.id, std::move(paneId), clamped);
  } catch (const std::exception& error) {
    connection.sendLine(ReplyLine::failure(frame.id, error.what()));
  }
}

QCoro::Task<void> ClaudeHistoryService::open(QPointer<ControlConnection> connection, std::string id, std::string paneId,
                                             int width) {
  QPointer<ClaudeHistoryService> self(this);
  // The pane must run Claude Code; its working directory names the transcript folder.
  std::optional<std::string> kind;
  for (const auto& pane : m_engine.panes()) {
    if (pane.paneId == paneId) kind = pane.agentKind.value_or("");
  }
  // tmux reads the working directory of the pane's foreground process; right after a pane
  // starts it can have none yet, so ask again a few times before giving up.
  QString cwd;
  bool paneExists = false;
  for (int attempt = 0; attempt < 10 && cwd.isEmpty(); ++attempt) {
    if (attempt > 0) {
      auto pause = QCoro::sleepFor(std::chrono::milliseconds(100));
      co_await pause;
      if (!self || !connection) co_return;
    }
    try {
      auto asking = m_engine.command("display-message -p -t " + TmuxCommand::quote(paneId) + " " +
                                     TmuxCommand::quote("#{pane_id}\x1f#{pane_current_path}"));
      const auto lines = co_await asking;
      if (!lines.empty()) {
        const QStringList parts = QString::fromStdString(lines.front()).split(QChar(0x1f));
        if (parts.size() == 2 && parts[0].toStdString() == paneId) {
          paneExists = true;
          cwd = parts[1];
        }
      }
    } catch (const std::exception&) {
    }
    if (!self || !connection) co_return;
    if (!paneExists) break;
  }

  std::string reason;
  QString projectDir;
  QString transcript;
  if (!paneExists) {
    reason = "no such pane";
  } else if (cwd.isEmpty()) {
    reason = "no working directory";
  } else if (kind && *kind != "claude") {
    reason = "pane is not running Claude Code";
  } else {
    projectDir = m_homeDir + QStringLiteral("/.claude/projects/") +
                 QString::fromStdString(ClaudeTranscript::projectDirName(cwd.toStdString()));
    transcript = newestTranscript(projectDir);
    if (transcript.isEmpty()) reason = "no transcript";
  }
  if (!reason.empty()) {
    connection->sendLine(eventLine(id, ClaudeHistoryBuilder::disabledEvent(paneId, reason)));
    connection->sendLine(ReplyLine::done(id));
    co_return;
  }

  auto stream = std::make_unique<Stream>();
  stream->connection = connection;
  stream->id = id;
  stream->paneId = paneId;
  stream->width = width;
  stream->projectDir = projectDir;
  Stream* raw = stream.get();
  m_streams.push_back(std::move(stream));
  if (!m_timer.isActive()) m_timer.start();
  poll(*raw);
}

void ClaudeHistoryService::poll(Stream& stream) {
  if (stream.connection.isNull() || !stream.connection->isOpen()) {
    remove(&stream);
    return;
  }
  const QString newest = newestTranscript(stream.projectDir);
  if (newest.isEmpty()) return;
  bool changed = false;
  if (newest != stream.transcript || !stream.builder) {
    // Another conversation took over the folder (or the first read): start afresh.
    stream.transcript = newest;
    stream.follower = TranscriptFollower();
    ClaudeHistoryBuilder::Options options;
    options.paneId = stream.paneId;
    options.width = stream.width;
    options.sessionId = QFileInfo(newest).completeBaseName().toStdString();
    stream.builder = std::make_unique<ClaudeHistoryBuilder>(options);
    changed = true;
  }
  const auto read = stream.follower.update(fileState(stream.transcript));
  if (read) {
    if (read->restart || changed) stream.builder->reset(read->from);
    if (read->restart) changed = true;
    QFile file(stream.transcript);
    if (file.open(QIODevice::ReadOnly) && file.seek(read->from)) {
      const QByteArray bytes = file.read(read->to - read->from);
      if (stream.builder->append(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        changed = true;
      }
    }
  }
  if (changed) stream.connection->sendStreamEvent(stream.id, eventLine(stream.id, stream.builder->replaceEvent()));
}

bool ClaudeHistoryService::cancel(ControlConnection& connection, const std::string& id) {
  for (const auto& stream : m_streams) {
    if (stream->connection == &connection && stream->id == id) {
      remove(stream.get());
      return true;
    }
  }
  return false;
}

void ClaudeHistoryService::connectionClosed(ControlConnection& connection) {
  std::erase_if(m_streams, [&](const std::unique_ptr<Stream>& stream) {
    return stream->connection.isNull() || stream->connection == &connection;
  });
  if (m_streams.empty()) m_timer.stop();
}

void ClaudeHistoryService::remove(Stream* stream) {
  std::erase_if(m_streams, [&](const std::unique_ptr<Stream>& s) { return s.get() == stream; });
  if (m_streams.empty()) m_timer.stop();
}

}  // namespace vesket::daemon
