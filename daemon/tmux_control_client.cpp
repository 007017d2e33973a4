#include "daemon/tmux_control_client.h"

#include <QDeadlineTimer>
#include <algorithm>
#include <QTimer>

#include <qcoro/qcorosignal.h>
#include <qcoro/qcorotimer.h>

#include "daemon/core/tmux_command.h"
#include "daemon/tmux_process.h"

namespace vesket::daemon {

namespace {

// tmux 3.3 tells every control client when another client attaches, detaches or changes
// session, also a control client that is still introducing itself and has nowhere to put
// the line yet: the server crashes, and every session of the user's goes with it. So the
// daemon's own clients come and go one at a time: a client starts only while no other is
// starting or leaving, and one that leaves closes its input only once none is starting.
struct Turns {
  int starting = 0;
  std::vector<QPointer<QProcess>> leaving;  // input closed, process not yet ended
  std::vector<QPointer<QProcess>> queued;   // to close once no client is starting
};

Turns& turns() {
  static Turns state;
  return state;
}

bool running(const QPointer<QProcess>& process) { return process && process->state() != QProcess::NotRunning; }

bool anyLeaving() {
  auto& leaving = turns().leaving;
  leaving.erase(std::remove_if(leaving.begin(), leaving.end(), [](const auto& p) { return !running(p); }), leaving.end());
  return !leaving.empty();
}

// tmux detaches a client whose input ends; a wedged one is killed 2 s later.
void closeInput(QProcess* process) {
  process->closeWriteChannel();
  turns().leaving.emplace_back(process);
  QPointer<QProcess> guarded(process);
  QTimer::singleShot(2000, process, [guarded] {
    if (running(guarded)) guarded->kill();
  });
}

void leaveWhenNoneStarts(QProcess* process) {
  if (turns().starting > 0) {
    turns().queued.emplace_back(process);
  } else {
    closeInput(process);
  }
}

void letQueuedLeave() {
  if (turns().starting > 0) return;
  for (auto& process : std::exchange(turns().queued, {})) {
    if (running(process)) closeInput(process);
  }
}

}  // namespace

void TmuxControlClient::waitForLeavingClients(std::chrono::milliseconds budget) {
  QDeadlineTimer deadline(budget);
  for (auto& process : std::exchange(turns().queued, {})) {
    if (running(process)) closeInput(process);
  }
  for (auto& process : turns().leaving) {
    if (!running(process)) continue;
    if (!process->waitForFinished(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)))) {
      process->kill();
      process->waitForFinished(500);
    }
  }
  turns().leaving.clear();
}

// One command written to tmux and not yet answered. The awaiting coroutine holds it
// through a shared pointer, so it outlives the client if the client goes away first.
struct TmuxControlClient::Pending : QObject {
  Q_OBJECT

 public:
  bool finished = false;
  bool failed = false;
  bool abandoned = false;  // the caller stopped waiting (timeout); the answer is dropped
  std::uint64_t group = 0;  // commands written on one line share a group (0: alone)
  std::vector<std::string> lines;
  QString error;

  void finish() {
    finished = true;
    emit done();
  }

 signals:
  void done();
};

TmuxControlClient::TmuxControlClient(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {}

TmuxControlClient::~TmuxControlClient() {
  failAll(QStringLiteral("tmux control client closed"));
  releaseProcess();
}

void TmuxControlClient::retire() {
  disconnect();  // no receiver hears from this client again
  failAll(QStringLiteral("tmux control client closed"));
  releaseProcess();
  deleteLater();
}

// The process outlives the client without anyone waiting for it: tmux detaches when its
// input closes, a wedged one is killed 2 s later, and the QProcess frees itself once the
// process has ended.
void TmuxControlClient::releaseProcess() {
  QProcess* process = m_process;
  m_process = nullptr;
  m_attached = false;
  if (process == nullptr) return;
  process->disconnect(this);
  if (process->state() == QProcess::NotRunning) {
    process->deleteLater();
    return;
  }
  process->setParent(nullptr);
  connect(process, &QProcess::finished, process, &QObject::deleteLater);
  leaveWhenNoneStarts(process);
}

QCoro::Task<bool> TmuxControlClient::start() {
  if (m_process != nullptr || m_starting) co_return m_attached;
  m_starting = true;
  QPointer<TmuxControlClient> self(this);
  QDeadlineTimer turn(2500);
  while ((turns().starting > 0 || anyLeaving()) && !turn.hasExpired()) {
    auto pause = QCoro::sleepFor(std::chrono::milliseconds(5));
    co_await pause;
    if (self.isNull()) co_return false;
  }
  ++turns().starting;
  struct Started {
    ~Started() {
      --turns().starting;
      letQueuedLeave();
    }
  } started;
  m_process = new QProcess(this);
  QStringList flags = {QStringLiteral("ignore-size")};
  if (m_options.pauseAfterSeconds > 0) {
    flags << QStringLiteral("pause-after=%1").arg(m_options.pauseAfterSeconds);
  }
  if (!m_options.receiveOutput) flags << QStringLiteral("no-output");
  QStringList args = m_options.serverArgs;
  args << QStringLiteral("-C") << QStringLiteral("attach-session") << QStringLiteral("-f")
       << flags.join(QLatin1Char(','));
  if (!m_options.session.isEmpty()) args << QStringLiteral("-t") << m_options.session;

  // Not nested in another tmux, and none of the daemon's secrets.
  TmuxProcess::prepare(*m_process);
  m_process->setProcessChannelMode(QProcess::SeparateChannels);
  connect(m_process, &QProcess::readyReadStandardOutput, this, &TmuxControlClient::onReadyRead);
  connect(m_process, &QProcess::finished, this, &TmuxControlClient::onFinished);
  connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) {
      m_lastError = QStringLiteral("cannot run %1: %2").arg(m_options.tmuxBinary, m_process->errorString());
      onFinished();
    }
  });
  m_process->start(m_options.tmuxBinary, args);

  const auto deadline = m_options.commandTimeout;
  if (!m_attachDone) {
    // `attached` or `exited` ends the wait, whichever comes first.
    auto gate = std::make_shared<Pending>();
    connect(this, &TmuxControlClient::attached, gate.get(), [g = gate.get()] { g->finish(); });
    connect(this, &TmuxControlClient::exited, gate.get(), [g = gate.get()] { g->finish(); });
    co_await qCoro(gate.get(), &Pending::done, deadline);
  }
  if (self.isNull()) co_return false;
  if (!m_attachDone) {
    m_lastError = QStringLiteral("tmux did not attach in time");
    stop();
    co_return false;
  }
  co_return m_attached;
}

QCoro::Task<std::vector<std::string>> TmuxControlClient::command(std::string line) {
  if (!m_attached || m_process == nullptr || m_process->state() != QProcess::Running) {
    throw TmuxError("tmux control client is not attached");
  }
  if (line.find('\n') != std::string::npos || line.find('\r') != std::string::npos) {
    throw TmuxError("tmux command line must be a single line");
  }
  auto pending = std::make_shared<Pending>();
  m_pending.push_back(pending);
  line.push_back('\n');
  m_process->write(line.data(), static_cast<qint64>(line.size()));
  co_return co_await awaitAnswer(std::move(pending));
}

std::vector<QCoro::Task<std::vector<std::string>>> TmuxControlClient::commands(const std::vector<std::string>& lines) {
  std::vector<QCoro::Task<std::vector<std::string>>> answers;
  const bool usable = m_attached && m_process != nullptr && m_process->state() == QProcess::Running;
  std::string joined;
  for (const auto& line : lines) {
    if (!joined.empty()) joined += " ; ";
    joined += line;
  }
  const bool valid = usable && !lines.empty() && joined.find_first_of("\r\n") == std::string::npos;
  const std::uint64_t group = ++m_groups;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    auto pending = std::make_shared<Pending>();
    if (valid) {
      pending->group = group;
      m_pending.push_back(pending);
    } else {
      pending->failed = true;
      pending->error = usable ? QStringLiteral("tmux command line must be a single line")
                              : QStringLiteral("tmux control client is not attached");
      pending->finished = true;
    }
    answers.push_back(awaitAnswer(std::move(pending)));
  }
  if (valid) {
    joined.push_back('\n');
    m_process->write(joined.data(), static_cast<qint64>(joined.size()));
  }
  return answers;
}

QCoro::Task<std::vector<std::string>> TmuxControlClient::awaitAnswer(std::shared_ptr<Pending> pending) {
  if (!pending->finished) {
    const auto result = co_await qCoro(pending.get(), &Pending::done, m_options.commandTimeout);
    // `this` may be gone here: only `pending` is touched from now on.
    if (!result.has_value() && !pending->finished) {
      pending->abandoned = true;
      throw TmuxError("tmux command timed out");
    }
  }
  if (pending->failed) throw TmuxError(pending->error.toStdString());
  co_return std::move(pending->lines);
}

std::string TmuxControlClient::holdOutput(const std::string& paneId) {
  m_heldPanes.insert(paneId);
  return "refresh-client -A " + TmuxCommand::quote(paneId + ":pause");
}

std::string TmuxControlClient::resumeOutput(const std::string& paneId) {
  m_heldPanes.erase(paneId);
  return "refresh-client -A " + TmuxCommand::quote(paneId + ":continue");
}

void TmuxControlClient::stop() {
  if (m_process != nullptr && m_process->state() != QProcess::NotRunning) leaveWhenNoneStarts(m_process);
}

void TmuxControlClient::onReadyRead() {
  QPointer<TmuxControlClient> self(this);
  const QByteArray bytes = m_process->readAllStandardOutput();
  auto events = m_parser.push(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  for (auto& event : events) {
    handle(event);
    if (self.isNull()) return;  // a slot deleted the client
  }
}

void TmuxControlClient::handle(ControlEvent& event) {
  switch (event.kind) {
    case ControlEventKind::CommandDone:
    case ControlEventKind::CommandFailed: {
      const bool failed = event.kind == ControlEventKind::CommandFailed;
      if (event.guard.flags == 0) {
        // The attach command itself (or a command tmux ran on its own).
        if (!m_attachDone) {
          m_attachDone = true;
          m_attached = !failed;
          if (failed) {
            m_lastError = event.lines.empty() ? QStringLiteral("tmux could not attach")
                                              : QString::fromStdString(event.lines.front());
          } else {
            emit attached();
          }
        }
        return;
      }
      if (m_pending.empty()) return;  // not ours (cannot normally happen): ignore
      auto pending = m_pending.front();
      m_pending.pop_front();
      if (pending->abandoned) return;
      pending->failed = failed;
      if (failed) {
        std::string message;
        for (const auto& l : event.lines) {
          if (!message.empty()) message += "; ";
          message += l;
        }
        pending->error = QString::fromStdString(message.empty() ? "tmux command failed" : message);
        // tmux skips what follows a failed command on the same line: no answers come.
        while (pending->group != 0 && !m_pending.empty() && m_pending.front()->group == pending->group) {
          auto skipped = m_pending.front();
          m_pending.pop_front();
          if (skipped->abandoned) continue;
          skipped->failed = true;
          skipped->error = QStringLiteral("skipped after a failed command: ") + pending->error;
          skipped->finish();
        }
      } else {
        pending->lines = std::move(event.lines);
      }
      pending->finish();
      return;
    }
    case ControlEventKind::Output:
      emit output(QString::fromStdString(event.paneId),
                  QByteArray(event.data.data(), static_cast<qsizetype>(event.data.size())));
      return;
    case ControlEventKind::Pause: {
      if (m_heldPanes.count(event.paneId) != 0) return;  // our own pause
      // Resume at once; the pane's bytes since the pause are lost and whoever streams it
      // resynchronises from a capture.
      const QString pane = QString::fromStdString(event.paneId);
      if (m_process != nullptr && m_process->state() == QProcess::Running && event.paneId.size() > 1) {
        auto pending = std::make_shared<Pending>();
        pending->abandoned = true;  // nobody waits for this answer
        m_pending.push_back(pending);
        const std::string line = "refresh-client -A " + TmuxCommand::quote(event.paneId + ":continue") + "\n";
        m_process->write(line.data(), static_cast<qint64>(line.size()));
      }
      emit paused(pane);
      emit notification(event);
      return;
    }
    case ControlEventKind::SessionChanged:
      m_sessionId = QString::fromStdString(event.sessionId);
      m_sessionName = QString::fromStdString(event.text);
      emit notification(event);
      return;
    case ControlEventKind::Exit:
      m_lastError = event.text.empty() ? m_lastError : QString::fromStdString(event.text);
      emit notification(event);
      return;
    default:
      emit notification(event);
      return;
  }
}

void TmuxControlClient::onFinished() {
  if (m_process == nullptr) return;
  const bool wasAttached = m_attached;
  m_attached = false;
  if (!m_attachDone) {
    m_attachDone = true;
    if (m_lastError.isEmpty()) {
      const QByteArray err = m_process->readAllStandardError().trimmed();
      m_lastError = err.isEmpty() ? QStringLiteral("tmux exited before attaching") : QString::fromUtf8(err);
    }
  }
  failAll(QStringLiteral("tmux control client exited"));
  const QString reason = m_lastError.isEmpty() ? QStringLiteral("exited") : m_lastError;
  m_process->disconnect(this);
  Q_UNUSED(wasAttached);
  emit exited(reason);
}

void TmuxControlClient::failAll(const QString& reason) {
  auto pending = std::move(m_pending);
  m_pending.clear();
  for (auto& p : pending) {
    if (p->abandoned || p->finished) continue;
    p->failed = true;
    p->error = reason;
    p->finish();
  }
}

}  // namespace vesket::daemon

#include "tmux_control_client.moc"
