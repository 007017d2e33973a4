#include "daemon/claude_history_service.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>
#include <optional>

#include <qcoro/qcorotimer.h>

#include "daemon/control_connection.h"
#include "daemon/core/claude_history_builder.h"
#include "daemon/core/claude_transcript.h"
#include "daemon/core/command_args.h"
#include "daemon/core/command_error.h"
#include "daemon/core/reply_line.h"
#include "daemon/core/pane_query.h"
#include "daemon/core/tmux_command.h"
#include "daemon/core/transcript_follower.h"
#include "daemon/off_loop.h"
#include "daemon/spawn.h"
#include "daemon/transcript_files.h"
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
  bool polling = false;  // a read is under way off the loop
  bool removed = false;  // cancelled or its connection closed
};

namespace {

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
    // A poll may end a stream (its connection went away): walk a copy.
    for (const auto& stream : std::vector(m_streams)) spawn(poll(stream), "agent history read");
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
    spawn(open(QPointer<ControlConnection>(&connection), frame.id, std::move(paneId), clamped), "agent history");
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
      auto asking = m_engine.command(PaneQuery::workingDirectoryCommand(paneId));
      const auto lines = co_await asking;
      if (const auto directory = PaneQuery::workingDirectory(lines, paneId)) {
        paneExists = true;
        cwd = QString::fromStdString(*directory);
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
    auto listing = offLoop([projectDir] { return newestTranscript(projectDir); });
    transcript = co_await listing;
    if (!self || !connection) co_return;
    if (transcript.isEmpty()) reason = "no transcript";
  }
  if (!reason.empty()) {
    connection->sendLine(eventLine(id, ClaudeHistoryBuilder::disabledEvent(paneId, reason)));
    connection->sendLine(ReplyLine::done(id));
    co_return;
  }

  auto stream = std::make_shared<Stream>();
  stream->connection = connection;
  stream->id = id;
  stream->paneId = paneId;
  stream->width = width;
  stream->projectDir = projectDir;
  m_streams.push_back(stream);
  if (!m_timer.isActive()) m_timer.start();
  spawn(poll(stream), "agent history read");
}

namespace {

// What one look at a project folder found: the newest transcript and the bytes it grew by.
struct TranscriptRead {
  QString transcript;  // empty when the folder holds none
  bool newFile = false;
  TranscriptFollower follower;
  std::optional<TranscriptFollower::Read> read;
  QByteArray bytes;
};

// Runs off the loop: lists the folder, looks at the file and reads only what is new.
TranscriptRead readTranscript(const QString& projectDir, const QString& current, TranscriptFollower follower) {
  TranscriptRead result;
  result.transcript = newestTranscript(projectDir);
  if (result.transcript.isEmpty()) return result;
  result.newFile = result.transcript != current;
  result.follower = result.newFile ? TranscriptFollower() : std::move(follower);
  result.read = result.follower.update(transcriptFileState(result.transcript));
  if (result.read) {
    QFile file(result.transcript);
    if (file.open(QIODevice::ReadOnly) && file.seek(result.read->from)) {
      result.bytes = file.read(result.read->to - result.read->from);
    }
  }
  return result;
}

}  // namespace

QCoro::Task<void> ClaudeHistoryService::poll(std::shared_ptr<Stream> stream) {
  if (stream->polling) co_return;
  if (stream->connection.isNull() || !stream->connection->isOpen()) {
    remove(stream.get());
    co_return;
  }
  stream->polling = true;
  QPointer<ClaudeHistoryService> self(this);
  auto reading = offLoop([dir = stream->projectDir, current = stream->transcript, follower = stream->follower] {
    return readTranscript(dir, current, follower);
  });
  TranscriptRead found = co_await reading;
  stream->polling = false;
  if (!self || stream->removed || found.transcript.isEmpty()) co_return;
  bool changed = false;
  if (found.newFile || !stream->builder) {
    // Another conversation took over the folder (or the first read): start afresh.
    stream->transcript = found.transcript;
    ClaudeHistoryBuilder::Options options;
    options.paneId = stream->paneId;
    options.width = stream->width;
    options.sessionId = QFileInfo(found.transcript).completeBaseName().toStdString();
    stream->builder = std::make_unique<ClaudeHistoryBuilder>(options);
    changed = true;
  }
  stream->follower = std::move(found.follower);
  if (found.read) {
    if (found.read->restart || changed) stream->builder->reset(found.read->from);
    if (found.read->restart) changed = true;
    if (stream->builder->append(std::string_view(found.bytes.constData(), static_cast<std::size_t>(found.bytes.size())))) {
      changed = true;
    }
  }
  if (changed && stream->connection) {
    stream->connection->sendStreamEvent(stream->id, eventLine(stream->id, stream->builder->replaceEvent()));
  }
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
  std::erase_if(m_streams, [&](const std::shared_ptr<Stream>& stream) {
    const bool gone = stream->connection.isNull() || stream->connection == &connection;
    if (gone) stream->removed = true;
    return gone;
  });
  if (m_streams.empty()) m_timer.stop();
}

void ClaudeHistoryService::remove(Stream* stream) {
  stream->removed = true;
  std::erase_if(m_streams, [&](const std::shared_ptr<Stream>& s) { return s.get() == stream; });
  if (m_streams.empty()) m_timer.stop();
}

}  // namespace vesket::daemon
