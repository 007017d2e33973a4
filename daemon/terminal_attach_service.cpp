#include "control_plane/core/command_names.h"
#include "daemon/terminal_attach_service.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDebug>
#include <QSocketNotifier>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <utility>

#include <qcoro/qcorosignal.h>
#include <qcoro/qcorotimer.h>

#include "daemon/control_connection.h"
#include "daemon/pane_pipe_door.h"
#include "daemon/core/command_error.h"
#include "daemon/core/pane_query.h"
#include "daemon/core/reply_line.h"
#include "daemon/core/terminal_attach_line.h"
#include "daemon/core/terminal_attach_request.h"
#include "daemon/core/terminal_output_buffer.h"
#include "daemon/core/terminal_snapshot.h"
#include "daemon/core/tmux_command.h"
#include "daemon/tmux_control_client.h"
#include "daemon/spawn.h"
#include "daemon/tmux_engine.h"
#include "relay/core/terminal_protocol.h"

namespace vesket::daemon {

namespace TP = relay::TerminalProtocol;

namespace {

// Bytes per `send-keys -H` command: one command line stays short.
constexpr std::size_t kInputBytesPerCommand = 256;
// Input held for a viewer whose pane stream is still opening.
constexpr std::size_t kMaxPendingInputBytes = 64 * 1024;

std::string q(const QString& text) { return TmuxCommand::quote(text.toStdString()); }

std::string hexKeys(std::string_view bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 3);
  for (unsigned char c : bytes) {
    out.push_back(' ');
    out.push_back(digits[c >> 4]);
    out.push_back(digits[c & 0x0f]);
  }
  return out;
}

// Waits for a command nobody else waits for; its failure is only logged.
QCoro::Task<void> settle(QCoro::Task<std::vector<std::string>> command) {
  try {
    co_await command;
  } catch (const std::exception& error) {
    qInfo().noquote() << "tmux command failed:" << error.what();
  }
}

}  // namespace

// One viewer: an attach session on one connection.
struct TerminalAttachService::Viewer {
  Viewer(QPointer<ControlConnection> c, std::string id, TerminalAttachRequest r, TerminalOutputBuffer::Limits limits)
      : connection(std::move(c)),
        attachId(id),
        sessionId(terminalAttachSessionId(id)),
        request(std::move(r)),
        line(id),
        buffer(limits) {}

  QPointer<ControlConnection> connection;
  std::string attachId;
  std::string sessionId;
  TerminalAttachRequest request;
  TerminalAttachLine line;
  TerminalOutputBuffer buffer;
  std::weak_ptr<PaneStream> stream;
  // Number (counted per stream) of the capture whose answer starts this viewer's output;
  // 0 when none is awaited.
  std::uint64_t awaitingAnswer = 0;
  bool live = false;       // the snapshot went out; output flows
  bool capturing = false;  // a capture for this viewer is in flight: output waits
  bool awaitingPipe = false;  // waiting for the pipe to be quiet around its capture
  bool ended = false;
  bool paging = false;
  std::optional<TerminalHistoryPager> pager;
  // Keys typed while the pane's stream still opens, in order; typed once it is open.
  std::string pendingInput;
  bool streamAssigned = false;
};

// One streamed pane and the control client that streams it.
struct TerminalAttachService::PaneStream {
  QString paneId;
  QString windowId;
  TmuxControlClient* client = nullptr;  // owned; deleted when the stream closes
  std::uint64_t issued = 0;             // commands written through `client`
  bool started = false;
  bool failed = false;
  bool ended = false;
  bool checking = false;
  QString error;
  std::vector<ViewerPtr> viewers;
  std::unique_ptr<QTimer> checkTimer;
  std::unique_ptr<QObject> startGate;  // emits destroyed() once the stream started or failed

  // The pane's pipe, while output and input go through it.
  int pipeFd = -1;
  bool piped = false;
  std::uint64_t pipeBytes = 0;  // bytes read from the pipe so far
  std::string inputBacklog;     // keys the pipe did not take yet
  // The pane shows a mode of tmux's (copy mode, a chooser): keys go to the mode, so they
  // are typed with `send-keys` as without a pipe, not written past it to the program.
  bool inMode = false;
  std::unique_ptr<QSocketNotifier> pipeReadable;
  std::unique_ptr<QSocketNotifier> pipeWritable;

  // Writes a command; the returned task is already under way (so commands keep their order).
  QCoro::Task<std::vector<std::string>> run(std::string line) {
    ++issued;
    return client->command(std::move(line));
  }
  std::uint64_t answered() const { return issued - std::min<std::uint64_t>(issued, client->pendingCommands()); }
};

TerminalAttachService::TerminalAttachService(TmuxEngine& engine, Options options, QObject* parent)
    : QObject(parent), m_engine(engine), m_options(options) {}

TerminalAttachService::~TerminalAttachService() {
  for (auto& [pane, stream] : m_streams) {
    closePipe(*stream);
    if (stream->client != nullptr) std::exchange(stream->client, nullptr)->retire();
  }
}

std::size_t TerminalAttachService::pipedStreamCount() const {
  return static_cast<std::size_t>(
      std::count_if(m_streams.begin(), m_streams.end(), [](const auto& entry) { return entry.second->piped; }));
}

bool TerminalAttachService::servesCommand(const std::string& cmd) const {
  namespace Name = control_plane::CommandName;
  return cmd == Name::terminalAttach || cmd == Name::terminalInput || cmd == Name::terminalDetach;
}

void TerminalAttachService::handle(ControlConnection& connection, const RequestFrame& frame) {
  try {
    if (frame.cmd == control_plane::CommandName::terminalAttach) {
      auto request = TerminalAttachRequest::fromArgs(frame.args);
      for (const auto& other : m_viewers) {
        if (other->connection == &connection && other->attachId == frame.id) {
          throw CommandError("terminal-attach: a session with this id is already open");
        }
      }
      watchDrain(connection);
      spawn(attach(&connection, frame.id, std::move(request)), "terminal attach");
    } else if (frame.cmd == control_plane::CommandName::terminalInput) {
      input(connection, frame);
    } else {
      detach(connection, frame);
    }
  } catch (const std::exception& error) {
    connection.sendLine(ReplyLine::failure(frame.id, error.what()));
  }
}

bool TerminalAttachService::cancel(ControlConnection& connection, const std::string& id) {
  for (const auto& viewer : m_viewers) {
    if (viewer->connection == &connection && viewer->attachId == id) {
      endViewer(viewer, false);
      return true;
    }
  }
  return false;
}

void TerminalAttachService::connectionClosed(ControlConnection& connection) {
  std::vector<ViewerPtr> gone;
  for (const auto& viewer : m_viewers) {
    if (viewer->connection.isNull() || viewer->connection == &connection) gone.push_back(viewer);
  }
  for (const auto& viewer : gone) endViewer(viewer, false);
}

TerminalAttachService::ViewerPtr TerminalAttachService::findBySession(const std::string& sessionId) const {
  for (const auto& viewer : m_viewers) {
    if (viewer->sessionId == sessionId && !viewer->ended) return viewer;
  }
  return nullptr;
}

void TerminalAttachService::sendFrame(Viewer& viewer, const std::string& frame) {
  ControlConnection* connection = viewer.connection.data();
  if (connection != nullptr && !connection->sendFrame(viewer.attachId, frame)) {
    connection->sendLine(viewer.line.event(frame));
  }
}

// --- attach -------------------------------------------------------------------------

void TerminalAttachService::watchDrain(ControlConnection& connection) {
  if (!m_drainWatched.insert(&connection).second) return;
  ControlConnection* key = &connection;
  connect(&connection, &ControlConnection::drained, this, [this, key] { pumpConnection(key); });
  connect(&connection, &QObject::destroyed, this, [this, key] { m_drainWatched.erase(key); });
}

QCoro::Task<void> TerminalAttachService::attach(ControlConnection* connectionPtr, std::string attachId,
                                                TerminalAttachRequest request) {
  QPointer<ControlConnection> connection(connectionPtr);
  QPointer<TerminalAttachService> self(this);
  TerminalOutputBuffer::Limits limits{m_options.viewerBufferBytes, m_options.maxFrameBytes};
  auto viewer = std::make_shared<Viewer>(connection, attachId, request, limits);
  viewer->capturing = true;
  m_viewers.push_back(viewer);

  const QString paneId = QString::fromStdString(request.paneId);
  StreamPtr stream;
  try {
    auto opening = openStream(paneId);
    stream = co_await opening;
  } catch (const std::exception& error) {
    if (!self) co_return;
    if (connection && !viewer->ended) connection->sendLine(ReplyLine::failure(attachId, std::string("terminal-attach: ") + error.what()));
    endViewer(viewer, false);
    co_return;
  }
  if (!self) co_return;
  if (viewer->ended) {
    // The viewer left while its stream opened: nobody else may want the stream either.
    if (stream->viewers.empty() && !stream->ended) closeStream(stream);
    co_return;
  }
  viewer->stream = stream;
  viewer->streamAssigned = true;
  stream->viewers.push_back(viewer);
  if (!viewer->pendingInput.empty()) spawn(typeInput(stream, std::exchange(viewer->pendingInput, {})), "terminal input");

  try {
    if (auto size = request.windowSize()) {
      auto sizing = m_engine.command(PaneQuery::windowSizeCommand(request.paneId));
      const auto lines = co_await sizing;
      if (!self || viewer->ended) co_return;
      std::optional<TerminalSizeLeases::Size> before;
      if (const auto window = PaneQuery::windowSize(lines); window && window->manual) {
        before = TerminalSizeLeases::Size{static_cast<int>(window->cols), static_cast<int>(window->rows)};
      }
      const auto action = m_leases.acquire(stream->windowId.toStdString(), viewer->sessionId,
                                           {size->first, size->second}, before);
      auto applying = applySize(action);
      co_await applying;
      if (!self || viewer->ended) co_return;
    }

    if (stream->ended) throw TmuxError("pane ended");
    // State and capture are written together; output after the capture's answer is this
    // viewer's from then on.
    const std::string historyStart = request.historyLines() > 0 ? "-" + std::to_string(request.historyLines()) : "0";
    auto taking = snapshot(stream, viewer, "capture-pane -p -e -t " + q(paneId) + " -S " + historyStart);
    const auto taken = co_await taking;
    if (!self || viewer->ended) co_return;
    const auto& stateLines = taken.state;
    const auto& rows = taken.rows;
    const auto state = stateLines.empty() ? std::nullopt : PaneTerminalState::parse(stateLines.front());
    if (!state) throw TmuxError("no such pane: " + request.paneId);

    relay::ReadyPayload ready{request.paneId, state->cols, state->rows, request.mode};
    sendFrame(*viewer, TP::encodeReady(ready));
    sendFrame(*viewer, TP::encodeGeometry(state->cols, state->rows));
    for (const auto& chunk : TerminalSnapshot::chunks(TerminalSnapshot::attachBytes(rows, *state), m_options.historyChunkBytes)) {
      sendFrame(*viewer, TP::encodeHistory(chunk));
    }
    sendFrame(*viewer, TP::encodeHistoryEnd());
    relay::MouseModePayload mouse;
    mouse.enabled = state->mouseTracking();
    mouse.alternate = state->alternateOn;
    mouse.mouseEncoding = state->mouseEncoding();
    mouse.applicationCursor = state->applicationCursor;
    sendFrame(*viewer, TP::encodeMouseMode(mouse));

    const int sent = std::min(request.historyLines(), state->historySize);
    viewer->pager.emplace(state->historySize, sent, m_options.historyPageLines);
    viewer->live = true;
    viewer->capturing = false;
  } catch (const std::exception& error) {
    if (!self || viewer->ended) co_return;
    if (connection) connection->sendLine(ReplyLine::failure(attachId, std::string("terminal-attach: ") + error.what()));
    endViewer(viewer, false);
    co_return;
  }
  if (viewer->buffer.needsResync()) {
    spawn(resync(viewer), "terminal resync");
  } else {
    pump(*viewer);
  }
}

QCoro::Task<TerminalAttachService::StreamPtr> TerminalAttachService::openStream(QString paneId) {
  QPointer<TerminalAttachService> self(this);
  if (!TmuxCommand::isPaneId(paneId.toStdString())) throw CommandError("not a pane id: " + paneId.left(40).toStdString());
  if (auto found = m_streams.find(paneId); found != m_streams.end()) {
    StreamPtr stream = found->second;
    if (!stream->started && !stream->failed) {
      auto waiting = qCoro(stream->startGate.get(), &QObject::objectNameChanged);
      co_await waiting;
    }
    if (stream->failed || stream->ended) throw TmuxError(stream->error.isEmpty() ? "pane ended" : stream->error.toStdString());
    co_return stream;
  }

  auto stream = std::make_shared<PaneStream>();
  stream->paneId = paneId;
  stream->startGate = std::make_unique<QObject>();
  m_streams[paneId] = stream;
  auto finishStart = [stream](bool ok, const QString& error) {
    stream->started = ok;
    stream->failed = !ok;
    stream->error = error;
    stream->startGate->setObjectName(ok ? QStringLiteral("started") : QStringLiteral("failed"));
  };

  try {
    auto locating = m_engine.command(PaneQuery::locationCommand(paneId.toStdString()));
    const auto lines = co_await locating;
    if (!self) throw TmuxError("daemon stopping");
    const auto location = PaneQuery::location(lines, paneId.toStdString());
    if (!location) throw TmuxError("no such pane: " + paneId.toStdString());
    stream->windowId = QString::fromStdString(location->windowId);

    TmuxControlClient::Options options;
    options.tmuxBinary = m_engine.tmuxBinaryPath();
    options.serverArgs = {QStringLiteral("-S"), m_engine.socketPath()};
    options.session = QString::fromStdString(location->sessionId);
    stream->client = new TmuxControlClient(options);
    std::weak_ptr<PaneStream> weak = stream;
    connect(stream->client, &TmuxControlClient::output, this, [this, weak](const QString& pane, const QByteArray& bytes) {
      auto s = weak.lock();
      if (s && pane == s->paneId) onOutput(s, bytes);
    });
    connect(stream->client, &TmuxControlClient::paused, this, [this, weak](const QString& pane) {
      auto s = weak.lock();
      if (!s || pane != s->paneId) return;
      for (const auto& viewer : std::vector<ViewerPtr>(s->viewers)) {
        viewer->buffer.requestResync();
        if (!viewer->capturing) spawn(resync(viewer), "terminal resync");
      }
    });
    connect(stream->client, &TmuxControlClient::notification, this, [this, weak](const ControlEvent& event) {
      auto s = weak.lock();
      if (!s) return;
      switch (event.kind) {
        case ControlEventKind::WindowClose:
        case ControlEventKind::UnlinkedWindowClose:
        case ControlEventKind::LayoutChange:
        case ControlEventKind::WindowPaneChanged:
        case ControlEventKind::SessionsChanged:
          spawn(checkPane(s), "pane check");
          break;
        case ControlEventKind::PaneModeChanged:
          if (event.paneId == s->paneId.toStdString()) spawn(checkMode(s), "pane mode");
          break;
        default:
          break;
      }
    });
    connect(stream->client, &TmuxControlClient::exited, this, [this, weak](const QString&) {
      auto s = weak.lock();
      if (s && s->started) paneEnded(s, std::nullopt);
    });
    auto starting = stream->client->start();
    const bool attached = co_await starting;
    if (!self) throw TmuxError("daemon stopping");
    if (!attached) throw TmuxError(stream->client->lastError().toStdString());
    stream->checkTimer = std::make_unique<QTimer>();
    stream->checkTimer->setInterval(m_options.paneCheckInterval);
    connect(stream->checkTimer.get(), &QTimer::timeout, this, [this, weak] {
      if (auto s = weak.lock()) spawn(checkPane(s), "pane check");
    });
    stream->checkTimer->start();
    if (m_options.pipeDoor != nullptr && m_options.pipeDoor->isOpen()) {
      spawn(checkMode(stream), "pane mode");
      auto piping = openPipe(stream);
      co_await piping;
      if (!self) throw TmuxError("daemon stopping");
    }
  } catch (const std::exception& error) {
    const QString message = QString::fromUtf8(error.what());
    if (self) {
      if (auto found = m_streams.find(paneId); found != m_streams.end() && found->second == stream) m_streams.erase(found);
      if (stream->client != nullptr) std::exchange(stream->client, nullptr)->retire();
    }
    finishStart(false, message);
    throw;
  }
  finishStart(true, {});
  co_return stream;
}

void TerminalAttachService::closeStream(const StreamPtr& stream) {
  if (auto found = m_streams.find(stream->paneId); found != m_streams.end() && found->second == stream) {
    m_streams.erase(found);
  }
  stream->ended = true;
  if (stream->checkTimer) stream->checkTimer->stop();
  closePipe(*stream);
  if (stream->client != nullptr) std::exchange(stream->client, nullptr)->retire();
}

QCoro::Task<void> TerminalAttachService::checkPane(StreamPtr stream) {
  if (stream->ended || stream->checking || stream->client == nullptr || !stream->client->isAttached()) co_return;
  QPointer<TerminalAttachService> self(this);
  stream->checking = true;
  std::vector<std::string> lines;
  bool gone = false;
  try {
    auto asking = stream->run(PaneQuery::livenessCommand(stream->paneId.toStdString()));
    lines = co_await asking;
  } catch (const std::exception&) {
    gone = true;
  }
  if (!self) co_return;
  stream->checking = false;
  if (stream->ended) co_return;
  std::optional<std::int64_t> code;
  if (!gone) {
    const auto liveness = PaneQuery::liveness(lines, stream->paneId.toStdString());
    gone = !liveness || liveness->dead;
    if (liveness) code = liveness->exitStatus;
  }
  if (gone) paneEnded(stream, code);
}

void TerminalAttachService::paneEnded(const StreamPtr& stream, std::optional<std::int64_t> code) {
  if (stream->ended) return;
  const auto viewers = stream->viewers;
  closeStream(stream);
  for (const auto& viewer : viewers) {
    if (viewer->ended) continue;
    if (viewer->live && !viewer->buffer.needsResync()) {
      // What the pane printed last goes out before the exit.
      while (auto chunk = viewer->buffer.take()) sendFrame(*viewer, TP::encodeOutput(*chunk));
    }
    relay::ExitPayload exit;
    exit.code = code;
    exit.reason = "pane exited";
    sendFrame(*viewer, TP::encodeExit(exit));
    endViewer(viewer, true);
  }
}

// --- output ---------------------------------------------------------------------------

void TerminalAttachService::onOutput(const StreamPtr& stream, const QByteArray& bytes) {
  // While the pipe carries the pane's output, control mode sends none of it.
  if (stream->piped) return;
  deliver(stream, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), false);
}

void TerminalAttachService::deliver(const StreamPtr& stream, std::string_view data, bool fromPipe) {
  const std::uint64_t answered = fromPipe ? 0 : stream->answered();
  for (const auto& viewer : std::vector<ViewerPtr>(stream->viewers)) {
    if (viewer->ended) continue;
    if (fromPipe) {
      if (viewer->awaitingPipe) continue;  // its capture is not taken yet
    } else if (viewer->awaitingAnswer != 0) {
      if (answered < viewer->awaitingAnswer) continue;  // already in the capture
      viewer->awaitingAnswer = 0;
      if (viewer->buffer.needsResync()) viewer->buffer.resynced();
    }
    if (!viewer->buffer.push(data)) {
      if (!viewer->capturing) spawn(resync(viewer), "terminal resync");
      continue;
    }
    pump(*viewer);
  }
}

void TerminalAttachService::pump(Viewer& viewer) {
  if (!viewer.live || viewer.capturing || viewer.ended || viewer.buffer.needsResync()) return;
  ControlConnection* connection = viewer.connection.data();
  if (connection == nullptr) return;
  while (connection->queuedBytes() < m_options.socketHighWaterBytes) {
    auto chunk = viewer.buffer.take();
    if (!chunk) return;
    sendFrame(viewer, TP::encodeOutput(*chunk));
    if (!connection->isOpen()) return;
  }
}

void TerminalAttachService::pumpConnection(ControlConnection* connection) {
  for (const auto& viewer : std::vector<ViewerPtr>(m_viewers)) {
    if (viewer->connection == connection) pump(*viewer);
  }
}

QCoro::Task<void> TerminalAttachService::resync(ViewerPtr viewer) {
  auto stream = viewer->stream.lock();
  if (!stream || stream->ended || viewer->ended || viewer->capturing) co_return;
  QPointer<TerminalAttachService> self(this);
  viewer->capturing = true;
  std::vector<std::string> stateLines;
  std::vector<std::string> rows;
  try {
    auto taking = snapshot(stream, viewer, "capture-pane -p -e -t " + q(stream->paneId));
    auto taken = co_await taking;
    stateLines = std::move(taken.state);
    rows = std::move(taken.rows);
  } catch (const std::exception&) {
    if (self && !viewer->ended) spawn(checkPane(stream), "pane check");
    co_return;
  }
  if (!self || viewer->ended) co_return;
  viewer->capturing = false;
  const auto state = stateLines.empty() ? std::nullopt : PaneTerminalState::parse(stateLines.front());
  if (state) {
    sendFrame(*viewer, TP::encodeOutput(TerminalSnapshot::resyncBytes(rows, *state)));
  }
  if (viewer->buffer.needsResync()) {
    spawn(resync(viewer), "terminal resync");
  } else {
    pump(*viewer);
  }
}

// --- input and detach -------------------------------------------------------------------

void TerminalAttachService::input(ControlConnection& connection, const RequestFrame& frame) {
  takeInput(connection, TerminalInputRequest::fromArgs(frame.args));
}

void TerminalAttachService::takeInput(ControlConnection& connection, const TerminalInputRequest& request) {
  ViewerPtr viewer = findBySession(request.sessionId);
  if (!viewer || viewer->connection != &connection) {
    throw CommandError("terminal-input: no open terminal session " + request.sessionId);
  }
  const auto decoded = TP::decodeClientFrame(request.frame);
  if (const auto* in = std::get_if<TP::Input>(&decoded)) {
    auto stream = viewer->stream.lock();
    if (!viewer->streamAssigned) {
      // The stream still opens: keep the keys (bounded) and type them once it is open.
      if (viewer->pendingInput.size() + in->bytes.size() > kMaxPendingInputBytes) {
        throw CommandError("terminal-input: too much input before the pane's stream opened");
      }
      viewer->pendingInput += in->bytes;
      return;
    }
    if (!stream || stream->ended) throw CommandError("terminal-input: the pane has ended");
    if (!in->bytes.empty()) spawn(typeInput(stream, in->bytes), "terminal input");
  } else if (const auto* resize = std::get_if<TP::Resize>(&decoded)) {
    spawn(resizeViewer(viewer, resize->cols, resize->rows), "terminal resize");
  } else if (std::holds_alternative<TP::HistoryMore>(decoded)) {
    spawn(sendOlderHistory(viewer), "terminal history");
  } else if (std::holds_alternative<TP::Ping>(decoded)) {
    relay::PongPayload pong;
    pong.mode = viewer->request.mode;
    sendFrame(*viewer, TP::encodePong(pong));
  } else if (std::holds_alternative<TP::Detach>(decoded)) {
    endViewer(viewer, true);
  } else if (const auto* anomaly = std::get_if<TP::RenderAnomaly>(&decoded)) {
    qInfo().noquote() << "terminal render anomaly on" << QString::fromStdString(viewer->request.paneId) << ":"
                      << QString::fromUtf8(anomaly->text.data(), static_cast<qsizetype>(anomaly->text.size())).left(200);
  }
  // contentParity and frames this daemon does not know are accepted and ignored.
}

QCoro::Task<void> TerminalAttachService::checkMode(StreamPtr stream) {
  if (stream->ended || stream->client == nullptr) co_return;
  try {
    auto asking = stream->run("display-message -p -t " + q(stream->paneId) + " '#{pane_in_mode}'");
    const auto lines = co_await asking;
    stream->inMode = lines.size() == 1 && lines.front() == "1";
  } catch (const std::exception& error) {
    qInfo().noquote() << "pane mode of" << stream->paneId << "not known:" << error.what();
  }
}

QCoro::Task<void> TerminalAttachService::typeInput(StreamPtr stream, std::string bytes) {
  if (stream->piped && (!stream->inMode || !stream->inputBacklog.empty())) {
    stream->inputBacklog += bytes;
    writePipe(stream);
    co_return;
  }
  // All commands are written at once, so keys keep their order with later input.
  std::vector<QCoro::Task<std::vector<std::string>>> writes;
  for (std::size_t at = 0; at < bytes.size(); at += kInputBytesPerCommand) {
    const std::string_view part = std::string_view(bytes).substr(at, kInputBytesPerCommand);
    writes.push_back(stream->run("send-keys -H -t " + q(stream->paneId) + hexKeys(part)));
  }
  for (auto& write : writes) {
    try {
      co_await write;
    } catch (const std::exception& error) {
      qInfo().noquote() << "terminal input not typed:" << error.what();
    }
  }
}

QCoro::Task<void> TerminalAttachService::resizeViewer(ViewerPtr viewer, int cols, int rows) {
  if (cols < 1 || rows < 1) co_return;
  cols = std::min(cols, TerminalAttachRequest::kMaxSize);
  rows = std::min(rows, TerminalAttachRequest::kMaxSize);
  const auto action = m_leases.resize(viewer->sessionId, {cols, rows});
  QPointer<TerminalAttachService> self(this);
  auto applying = applySize(action);
  co_await applying;
  if (!self || viewer->ended || action.kind != TerminalSizeLeases::Action::Kind::apply) co_return;
  sendFrame(*viewer, TP::encodeGeometry(cols, rows));
}

QCoro::Task<void> TerminalAttachService::applySize(TerminalSizeLeases::Action action) {
  using Kind = TerminalSizeLeases::Action::Kind;
  const std::string window = TmuxCommand::quote(action.windowId);
  std::string line;
  switch (action.kind) {
    case Kind::none:
      co_return;
    case Kind::apply:
    case Kind::restoreManual:
      line = "resize-window -t " + window + " -x " + std::to_string(action.size.cols) + " -y " +
             std::to_string(action.size.rows);
      break;
    case Kind::restoreAuto:
      line = "set-option -w -u -t " + window + " window-size";
      break;
  }
  try {
    auto running = m_engine.command(line);
    co_await running;
  } catch (const std::exception& error) {
    qInfo().noquote() << "terminal window size not applied:" << error.what();
  }
}

QCoro::Task<void> TerminalAttachService::sendOlderHistory(ViewerPtr viewer) {
  auto stream = viewer->stream.lock();
  if (!stream || stream->ended || !viewer->live || !viewer->pager || viewer->paging) co_return;
  QPointer<TerminalAttachService> self(this);
  viewer->paging = true;
  relay::HistoryOlderEndPayload end;
  try {
    auto sizing = stream->run(PaneQuery::historySizeCommand(stream->paneId.toStdString()));
    const auto sizeLines = co_await sizing;
    if (!self || viewer->ended) co_return;
    const int historySize = static_cast<int>(PaneQuery::historySize(sizeLines).value_or(0));
    const auto range = viewer->pager->next(historySize);
    if (!range) {
      end.atTop = true;
    } else {
      auto capturing = stream->run("capture-pane -p -e -t " + q(stream->paneId) + " -S " + std::to_string(range->start) +
                                   " -E " + std::to_string(range->end));
      const auto rows = co_await capturing;
      if (!self || viewer->ended) co_return;
      for (const auto& chunk : TerminalSnapshot::chunks(TerminalSnapshot::olderHistoryBytes(rows), m_options.historyChunkBytes)) {
        sendFrame(*viewer, TP::encodeHistoryOlder(chunk));
      }
      end.atTop = range->atTop;
      end.lines = range->lines;
    }
  } catch (const std::exception&) {
    if (!self || viewer->ended) co_return;
    end.atTop = true;
  }
  viewer->paging = false;
  sendFrame(*viewer, TP::encodeHistoryOlderEnd(end));
}

void TerminalAttachService::detach(ControlConnection& connection, const RequestFrame& frame) {
  const auto request = TerminalDetachRequest::fromArgs(frame.args);
  ViewerPtr viewer = findBySession(request.sessionId);
  if (!viewer || viewer->connection != &connection) {
    throw CommandError("terminal-detach: no open terminal session " + request.sessionId);
  }
  endViewer(viewer, true);
}

void TerminalAttachService::endViewer(ViewerPtr viewer, bool sendDone) {
  if (viewer->ended) return;
  viewer->ended = true;
  std::erase(m_viewers, viewer);
  if (sendDone && viewer->connection) viewer->connection->sendLine(ReplyLine::done(viewer->attachId));
  if (m_leases.holds(viewer->sessionId)) spawn(applySize(m_leases.release(viewer->sessionId)), "terminal size");
  if (auto stream = viewer->stream.lock()) {
    std::erase(stream->viewers, viewer);
    if (stream->viewers.empty() && !stream->ended) closeStream(stream);
  }
}

}  // namespace vesket::daemon

namespace vesket::daemon {

// --- snapshots and the pane pipe -----------------------------------------------------------

QCoro::Task<TerminalAttachService::Snapshot> TerminalAttachService::snapshot(StreamPtr stream, ViewerPtr viewer,
                                                                            std::string captureLine) {
  QPointer<TerminalAttachService> self(this);
  // Whatever the viewer's buffer holds is in the capture: output is kept again from the
  // capture's place in the stream on.
  viewer->buffer.requestResync();
  if (stream->piped) {
    auto quiet = quietSnapshot(stream, viewer, captureLine);
    auto taken = co_await quiet;
    if (taken) co_return std::move(*taken);
    if (!self) throw TmuxError("daemon stopping");
  }
  // Control mode: output after the capture's answer is this viewer's.
  auto stateTask = stream->run(PaneTerminalState::command(stream->paneId.toStdString()));
  auto captureTask = stream->run(std::move(captureLine));
  viewer->awaitingAnswer = stream->issued;
  Snapshot taken;
  taken.state = co_await stateTask;
  taken.rows = co_await captureTask;
  if (viewer->awaitingAnswer != 0) {
    viewer->awaitingAnswer = 0;
    if (viewer->buffer.needsResync()) viewer->buffer.resynced();
  }
  co_return taken;
}

// The pipe and the control client are separate channels, so the capture's place in the
// pipe's bytes is known only when no byte came through the pipe from before the capture was
// asked for until after tmux answered one more command (by then tmux has written out every
// byte the capture saw). Then this viewer's output is exactly what the pipe brings next.
QCoro::Task<std::optional<TerminalAttachService::Snapshot>> TerminalAttachService::quietSnapshot(
    StreamPtr stream, ViewerPtr viewer, std::string captureLine) {
  QPointer<TerminalAttachService> self(this);
  QDeadlineTimer budget(m_options.pipeQuietBudget);
  const std::string pane = q(stream->paneId);
  // Until the capture's place is known the viewer takes nothing from the pipe: what came
  // before the capture was asked for is in it.
  viewer->awaitingPipe = true;
  struct Done {
    ViewerPtr viewer;
    ~Done() { viewer->awaitingPipe = false; }
  } done{viewer};
  for (;;) {
    readPipe(stream);
    if (!stream->piped || stream->ended || viewer->ended) break;
    const std::uint64_t before = stream->pipeBytes;
    Snapshot taken;
    auto stateTask = stream->run(PaneTerminalState::command(stream->paneId.toStdString()));
    auto captureTask = stream->run(captureLine);
    taken.state = co_await stateTask;
    taken.rows = co_await captureTask;
    if (!self) co_return std::nullopt;
    auto probing = stream->run("display-message -p -t " + pane + " .");
    co_await probing;
    if (!self) co_return std::nullopt;
    readPipe(stream);
    if (!stream->piped || stream->ended || viewer->ended) break;
    if (stream->pipeBytes == before) {
      viewer->awaitingPipe = false;
      if (viewer->buffer.needsResync()) viewer->buffer.resynced();
      co_return taken;
    }
    if (budget.hasExpired()) {
      qInfo().noquote() << "terminal stream of" << stream->paneId << "never quiet: back to control mode";
      stepAside(stream);
      break;
    }
    auto pause = QCoro::sleepFor(std::chrono::milliseconds(15));
    co_await pause;
    if (!self) co_return std::nullopt;
  }
  co_return std::nullopt;
}

QCoro::Task<void> TerminalAttachService::openPipe(StreamPtr stream) {
  QPointer<TerminalAttachService> self(this);
  const std::string pane = q(stream->paneId);
  const std::string hasPipe = "display-message -p -t " + pane + " '#{pane_pipe}'";
  try {
    const std::vector<std::string> none(1, "0");
    auto asking = stream->run(hasPipe);
    const auto already = co_await asking;
    if (already != none) co_return;  // the user's pipe stays
    if (!self || stream->ended) co_return;
    auto ticket = m_options.pipeDoor->ticket();
    // One line: the pipe starts where control mode's output stops. `-o` never replaces a
    // pipe that appeared since the question.
    std::vector<std::string> lines;
    lines.push_back(hasPipe);
    lines.push_back("pipe-pane -o -I -O -t " + pane + " " + TmuxCommand::quote(TmuxCommand::unexpanded(ticket.shellCommand)));
    lines.push_back(stream->client->holdOutput(stream->paneId.toStdString()));
    auto answers = stream->client->commands(lines);
    stream->issued += answers.size();
    const auto before = co_await answers[0];
    co_await answers[1];
    co_await answers[2];
    if (!self || stream->ended) co_return;
    int fd = -1;
    if (before == none) {
      auto receiving = m_options.pipeDoor->receive(ticket.key, m_options.pipeHandOverTimeout);
      fd = co_await receiving;
      if (!self) {
        if (fd >= 0) ::close(fd);
        co_return;
      }
    }
    if (fd < 0 || stream->ended) {
      // No pipe of ours (the user's came first, or the hand-over failed): control mode again.
      if (fd >= 0) ::close(fd);
      if (before == none) qInfo().noquote() << "pane pipe of" << stream->paneId << "not handed over";
      auto on = stream->run(stream->client->resumeOutput(stream->paneId.toStdString()));
      co_await on;
      co_return;
    }
    stream->pipeFd = fd;
    stream->piped = true;
    // The pipe brings every byte: the engine's own client need not hear them too.
    m_engine.holdPaneOutput(stream->paneId.toStdString());
    std::weak_ptr<PaneStream> weak = stream;
    stream->pipeReadable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(stream->pipeReadable.get(), &QSocketNotifier::activated, this, [this, weak] {
      if (auto s = weak.lock()) readPipe(s);
    });
    stream->pipeWritable = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    stream->pipeWritable->setEnabled(false);
    connect(stream->pipeWritable.get(), &QSocketNotifier::activated, this, [this, weak] {
      if (auto s = weak.lock()) writePipe(s);
    });
  } catch (const std::exception& error) {
    qInfo().noquote() << "pane pipe of" << stream->paneId << "not opened:" << error.what();
  }
}

void TerminalAttachService::readPipe(const StreamPtr& stream) {
  constexpr std::size_t kReadBytes = 64 * 1024;
  constexpr std::size_t kPerTurn = 1024 * 1024;  // then the event loop gets a turn
  char buffer[kReadBytes];
  for (std::size_t total = 0; stream->piped && total < kPerTurn;) {
    const ssize_t n = ::read(stream->pipeFd, buffer, sizeof buffer);
    if (n > 0) {
      stream->pipeBytes += static_cast<std::uint64_t>(n);
      m_engine.recordPaneOutput(stream->paneId.toStdString(), static_cast<std::size_t>(n));
      total += static_cast<std::size_t>(n);
      deliver(stream, std::string_view(buffer, static_cast<std::size_t>(n)), true);
      // A short read emptied the pipe: asking again would only hear EAGAIN (one more system
      // call per echoed keystroke). Bytes that arrive meanwhile wake the notifier again.
      if (static_cast<std::size_t>(n) < sizeof buffer) return;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return;
    // tmux closed the pipe: another pipe took its place, or the pane is gone.
    stepAside(stream);
    spawn(checkPane(stream), "pane check");
    return;
  }
}

void TerminalAttachService::writePipe(const StreamPtr& stream) {
  while (stream->piped && !stream->inputBacklog.empty()) {
    const ssize_t n = ::send(stream->pipeFd, stream->inputBacklog.data(), stream->inputBacklog.size(), MSG_NOSIGNAL);
    if (n > 0) {
      stream->inputBacklog.erase(0, static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      // Full for now (or closed: the read side notices and steps aside).
      if (n < 0 && errno == EAGAIN) stream->pipeWritable->setEnabled(true);
      return;
    }
  }
  if (stream->pipeWritable) stream->pipeWritable->setEnabled(false);
}

void TerminalAttachService::closePipe(PaneStream& stream) {
  if (stream.piped) m_engine.releasePaneOutput(stream.paneId.toStdString());
  stream.piped = false;
  stream.pipeReadable.reset();
  stream.pipeWritable.reset();
  // tmux sees the end of the pipe and closes it: the pane is as it was.
  if (stream.pipeFd >= 0) ::close(std::exchange(stream.pipeFd, -1));
}

void TerminalAttachService::stepAside(const StreamPtr& stream) {
  if (!stream->piped) return;
  std::string keys = std::exchange(stream->inputBacklog, {});
  closePipe(*stream);
  if (stream->ended || stream->client == nullptr) return;
  // Output flows through control mode again; what the pipe still held is lost, so every
  // viewer gets a fresh screen.
  spawn(settle(stream->run(stream->client->resumeOutput(stream->paneId.toStdString()))),
        "terminal step aside");
  if (!keys.empty()) spawn(typeInput(stream, std::move(keys)), "terminal input");
  for (const auto& viewer : std::vector<ViewerPtr>(stream->viewers)) {
    if (viewer->ended) continue;
    viewer->buffer.requestResync();
    if (!viewer->capturing) spawn(resync(viewer), "terminal resync");
  }
}

}  // namespace vesket::daemon
