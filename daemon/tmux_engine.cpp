#include "daemon/tmux_engine.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <qcoro/qcoroprocess.h>
#include <qcoro/qcorosignal.h>

#include "daemon/agent_facts_reader.h"
#include "daemon/core/agent_classifier.h"
#include "daemon/core/control_mode_parser.h"
#include "daemon/core/pane_activity_tracker.h"
#include "daemon/core/pane_entry_builder.h"
#include "daemon/core/pane_listing.h"
#include "daemon/core/pane_query.h"
#include "daemon/core/tmux_command.h"
#include "daemon/core/utf8_repair.h"
#include "daemon/off_loop.h"
#include "daemon/process_table.h"
#include "daemon/spawn.h"
#include "daemon/tmux_process.h"

namespace vesket::daemon {

namespace {

std::string quoted(const QString& text) { return TmuxCommand::quote(text.toStdString()); }

void checkPaneId(const QString& paneId) {
  if (!TmuxCommand::isPaneId(paneId.toStdString())) {
    throw TmuxError("not a pane id: " + paneId.left(40).toStdString());
  }
}

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }

// After a co_await the engine may be gone (daemon shutdown with a command in flight).
void ensureAlive(const QPointer<TmuxEngine>& self) {
  if (self.isNull()) throw TmuxError("tmux engine stopped");
}

// Splits text into pieces of at most `limit` bytes without cutting a UTF-8 character.
std::vector<std::string_view> chunks(std::string_view text, std::size_t limit) {
  std::vector<std::string_view> out;
  while (text.size() > limit) {
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    if (cut == 0) cut = limit;  // not UTF-8: cut anywhere
    out.push_back(text.substr(0, cut));
    text.remove_prefix(cut);
  }
  if (!text.empty()) out.push_back(text);
  return out;
}

// Awaits a one-off tmux process without ever blocking the loop; one still running after
// `timeout` is killed (a running QProcess would block in its destructor). False when it
// did not finish in time.
QCoro::Task<bool> finishProcess(QProcess& process, std::chrono::milliseconds timeout) {
  const bool finished = co_await qCoro(process).waitForFinished(timeout);
  if (!finished && process.state() != QProcess::NotRunning) {
    process.kill();
    co_await qCoro(process).waitForFinished(std::chrono::milliseconds(1000));
  }
  co_return finished;
}

// Waits for a command nobody else waits for; its failure (the pane has gone) is only logged.
QCoro::Task<void> settleCommand(QCoro::Task<std::vector<std::string>> command) {
  try {
    co_await command;
  } catch (const std::exception& error) {
    qInfo().noquote() << "tmux command failed:" << error.what();
  }
}

}  // namespace

TmuxEngine::TmuxEngine(Options options, QObject* parent)
    : QObject(parent),
      m_options(std::move(options)),
      m_socketPath(resolveSocketPath(m_options.server)),
      m_activity(std::make_unique<PaneActivityTracker>(m_options.load)),
      m_facts(std::make_shared<FactsReading>(m_options.homeDir.isEmpty() ? QDir::homePath() : m_options.homeDir)) {
  m_refreshTimer.setInterval(m_options.refreshInterval);
  connect(&m_refreshTimer, &QTimer::timeout, this, &TmuxEngine::requestRefresh);
  m_reconnectTimer.setSingleShot(true);
  m_reconnectTimer.setInterval(m_options.reconnectInterval);
  connect(&m_reconnectTimer, &QTimer::timeout, this, [this] { spawn(connectLoop(), "tmux connect"); });
}

TmuxEngine::~TmuxEngine() {
  m_running = false;
  delete m_client.data();
}

QString TmuxEngine::socketDirectory(const TmuxServerOptions& server) {
  QString base = server.environment.isEmpty() ? qEnvironmentVariable("TMUX_TMPDIR")
                                              : server.environment.value(QStringLiteral("TMUX_TMPDIR"));
  if (base.isEmpty()) base = QStringLiteral("/tmp");
  while (base.size() > 1 && base.endsWith(QLatin1Char('/'))) base.chop(1);
  return base + QStringLiteral("/tmux-") + QString::number(::getuid());
}

QString TmuxEngine::socketPathForName(const TmuxServerOptions& server, const QString& name) {
  return socketDirectory(server) + QLatin1Char('/') + name;
}

QString TmuxEngine::resolveSocketPath(const TmuxServerOptions& server) {
  if (!server.socketPath.isEmpty()) return server.socketPath;
  if (!server.socketName.isEmpty()) return socketPathForName(server, server.socketName);
  return socketPathForName(server, QStringLiteral("default"));
}

QString TmuxEngine::tmuxBinaryPath() const {
  const QString& binary = m_options.server.tmuxBinary;
  if (QFileInfo(binary).isAbsolute()) return binary;
  const QString found = QStandardPaths::findExecutable(binary);
  return found.isEmpty() ? binary : found;
}

bool TmuxEngine::isConnected() const { return !m_client.isNull() && m_client->isAttached(); }

void TmuxEngine::start() {
  if (m_running) return;
  m_running = true;
  spawn(connectLoop(), "tmux connect");
}

void TmuxEngine::stop() {
  m_running = false;
  m_refreshTimer.stop();
  m_reconnectTimer.stop();
  if (m_client) {
    TmuxControlClient* client = m_client.data();
    m_client = nullptr;
    client->retire();
    emit connectionChanged(false);
  }
}

bool TmuxEngine::serverAnswers(const QString& socketPath) const {
  // Connecting to the socket tells a live server from a stale socket file without running
  // tmux, which would start a server of its own. A Unix socket connects (or is refused)
  // at once, so this never waits.
  const QByteArray path = QFile::encodeName(socketPath);
  sockaddr_un address{};
  if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof(address.sun_path)) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 || errno == EAGAIN;
  ::close(fd);
  return ok;
}

void TmuxEngine::scheduleReconnect() {
  if (m_running && !m_reconnectTimer.isActive()) m_reconnectTimer.start();
}

QCoro::Task<void> TmuxEngine::connectLoop() {
  if (!m_running || m_connecting || m_client) co_return;
  m_connecting = true;
  QPointer<TmuxEngine> self(this);
  if (!serverAnswers(m_socketPath)) {
    m_connecting = false;
    publish({});
    scheduleReconnect();
    emit connectAttemptEnded();
    co_return;
  }
  TmuxControlClient::Options clientOptions;
  clientOptions.tmuxBinary = m_options.server.tmuxBinary;
  clientOptions.serverArgs = {QStringLiteral("-S"), m_socketPath};
  clientOptions.commandTimeout = m_options.commandTimeout;
  auto* client = new TmuxControlClient(clientOptions, this);
  connect(client, &TmuxControlClient::output, this, [this](const QString& paneId, const QByteArray& bytes) {
    m_activity->record(paneId.toStdString(), static_cast<std::size_t>(bytes.size()), nowMs());
    emit paneOutput(paneId, bytes);
  });
  connect(client, &TmuxControlClient::paused, this, &TmuxEngine::paneOutputPaused);
  connect(client, &TmuxControlClient::notification, this, [this](const ControlEvent& event) {
    if (mayChangePanes(event.kind)) requestRefresh();
  });
  auto starting = client->start();
  const bool attached = co_await starting;
  if (self.isNull()) co_return;
  m_connecting = false;
  if (!attached || !m_running || !client->isAttached()) {
    client->retire();
    publish({});
    scheduleReconnect();
    emit connectAttemptEnded();
    co_return;
  }
  m_client = client;
  connect(client, &TmuxControlClient::exited, this, &TmuxEngine::onClientExited);
  for (const std::string& pane : m_heldOutput) spawn(settleCommand(client->command(client->holdOutput(pane))), "pane output hold");
  emit connectionChanged(true);
  emit connectAttemptEnded();
  m_refreshTimer.start();
  requestRefresh();
}

void TmuxEngine::holdPaneOutput(const std::string& paneId) {
  if (!m_heldOutput.insert(paneId).second) return;
  TmuxControlClient* client = m_client.data();
  if (client != nullptr && client->isAttached()) {
    spawn(settleCommand(client->command(client->holdOutput(paneId))), "pane output hold");
  }
}

void TmuxEngine::releasePaneOutput(const std::string& paneId) {
  if (m_heldOutput.erase(paneId) == 0) return;
  TmuxControlClient* client = m_client.data();
  if (client != nullptr && client->isAttached()) {
    spawn(settleCommand(client->command(client->resumeOutput(paneId))), "pane output release");
  }
}

void TmuxEngine::recordPaneOutput(const std::string& paneId, std::size_t bytes) {
  m_activity->record(paneId, bytes, nowMs());
}

void TmuxEngine::onClientExited() {
  auto* client = qobject_cast<TmuxControlClient*>(sender());
  if (client == nullptr || client != m_client.data()) return;
  m_client = nullptr;
  client->retire();
  m_refreshTimer.stop();
  emit connectionChanged(false);
  // The client's session went away (or the server did): attach to another session at
  // once, or report no panes and keep trying.
  spawn(connectLoop(), "tmux connect");
}

void TmuxEngine::requestRefresh() {
  if (!m_running) return;
  if (m_refreshing) {
    m_refreshAgain = true;
    return;
  }
  spawn(refreshLoop(), "pane refresh");
}

QCoro::Task<void> TmuxEngine::refreshLoop() {
  QPointer<TmuxEngine> self(this);
  m_refreshing = true;
  do {
    m_refreshAgain = false;
    try {
      co_await refreshNow();
    } catch (const std::exception&) {
      // A failed read (client gone, timeout) changes nothing; the next one will tell.
    }
    if (self.isNull()) co_return;
  } while (m_refreshAgain && m_running);
  m_refreshing = false;
}

QCoro::Task<void> TmuxEngine::waitWhileAttaching() {
  if (!m_client.isNull() || !m_connecting) co_return;
  // The control client is attaching (the daemon has just started, or tmux came back): what
  // needs it waits instead of failing, or of starting a server of its own.
  QPointer<TmuxEngine> self(this);
  auto attaching = qCoro(this, &TmuxEngine::connectAttemptEnded, m_options.commandTimeout);
  co_await attaching;
  if (self.isNull()) throw TmuxError("tmux engine stopped");
}

QCoro::Task<std::vector<std::string>> TmuxEngine::run(std::string line) {
  auto attaching = waitWhileAttaching();
  co_await attaching;
  TmuxControlClient* client = m_client.data();
  if (client == nullptr || !client->isAttached()) throw TmuxError("tmux is not running");
  co_return co_await client->command(std::move(line));
}

QCoro::Task<std::vector<control_plane::PaneEntry>> TmuxEngine::refreshNow() {
  if (!isConnected()) {
    publish({});
    co_return {};
  }
  QPointer<TmuxEngine> self(this);
  const auto lines = co_await run(PaneListing::command());
  if (self.isNull()) co_return {};
  const auto listing = PaneListing::parse(lines);
  const std::uint64_t serial = ++m_refreshSerial;

  // The process table and the agents' transcripts are read off the loop: /proc and files
  // of any size.
  struct Agents {
    std::vector<std::string> kinds;
    std::vector<TranscriptFacts> transcripts;
  };
  auto reading = offLoop([facts = m_facts, panes = listing.panes, now = nowMs()] {
    std::set<std::int64_t> roots;
    for (const auto& pane : panes) roots.insert(pane.panePid);
    const ProcessTree processes(ProcessTable::read(roots));
    Agents agents;
    const std::lock_guard lock(facts->lock);
    for (const auto& pane : panes) {
      agents.kinds.push_back(AgentClassifier::classify(pane.currentCommand, pane.panePid, processes));
      agents.transcripts.push_back(
          facts->reader.facts(agents.kinds.back(), QString::fromStdString(pane.currentPath), now));
    }
    return agents;
  });
  const Agents agents = co_await reading;
  if (self.isNull()) co_return {};
  // A refresh that started later has published already: this older list must not follow.
  if (serial < m_publishedSerial) {
    std::vector<control_plane::PaneEntry> current = m_panes;
    co_return current;
  }

  const qint64 now = nowMs();
  const std::string clientSession = m_client ? m_client->sessionId().toStdString() : std::string();
  std::vector<control_plane::PaneEntry> entries;
  entries.reserve(listing.panes.size());
  std::set<std::string> live;
  for (std::size_t i = 0; i < listing.panes.size(); ++i) {
    const RawPane& pane = listing.panes[i];
    live.insert(pane.paneId);
    PaneFacts facts;
    facts.registeredAt = m_registeredAt.emplace(pane.paneId, static_cast<double>(now)).first->second;
    facts.agentKind = agents.kinds[i];
    // Output of panes outside the client's session does not reach this daemon; tmux's
    // window activity stands in for it there.
    std::optional<std::int64_t> otherActivity;
    if (pane.sessionId != clientSession && pane.windowActivity > 0) otherActivity = pane.windowActivity * 1000;
    facts.load = m_activity->classify(pane.paneId, now, otherActivity);
    facts.transcript = agents.transcripts[i];
    entries.push_back(PaneEntryBuilder::build(pane, facts));
    if (const auto prompt = m_agentPrompts.find(pane.paneId); prompt != m_agentPrompts.end()) {
      entries.back().agentPrompt = prompt->second;
    }
  }
  std::erase_if(m_agentPrompts, [&](const auto& entry) { return !live.contains(entry.first); });
  for (auto it = m_registeredAt.begin(); it != m_registeredAt.end();) {
    it = live.count(it->first) ? std::next(it) : m_registeredAt.erase(it);
  }
  m_activity->retain(live);
  publish(std::move(entries));
  // A copy: QCoro moves from an lvalue given to co_return.
  std::vector<control_plane::PaneEntry> result = m_panes;
  co_return result;
}

void TmuxEngine::setAgentPrompt(const std::string& paneId, std::optional<control_plane::AgentPromptRow> prompt) {
  if (prompt) m_agentPrompts.insert_or_assign(paneId, *prompt);
  else m_agentPrompts.erase(paneId);
  std::vector<control_plane::PaneEntry> panes = m_panes;
  for (auto& pane : panes) {
    if (pane.paneId == paneId) pane.agentPrompt = prompt;
  }
  publish(std::move(panes));
}

void TmuxEngine::publish(std::vector<control_plane::PaneEntry> panes) {
  // Reads still under way started before this list: none of them may replace it.
  m_publishedSerial = m_refreshSerial;
  if (m_decorate) m_decorate(panes);
  if (panes == m_panes) return;
  m_panes = std::move(panes);
  emit panesChanged(m_panes);
}

QCoro::Task<std::string> TmuxEngine::capture(QString paneId) {
  co_return co_await capture(paneId, -m_options.historyLines);
}

QCoro::Task<std::string> TmuxEngine::capture(QString paneId, int startLine) {
  checkPaneId(paneId);
  const auto lines = co_await run("capture-pane -p -e -J -S " + std::to_string(startLine) + " -t " + quoted(paneId));
  std::string content;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) content.push_back('\n');
    content += lines[i];
  }
  co_return repairUtf8(content);
}

QCoro::Task<void> TmuxEngine::sendText(QString paneId, std::string text) {
  checkPaneId(paneId);
  // "--" ends the options, so text beginning with "-" is typed, not parsed; quoting keeps
  // ";" and the rest literal. Long texts go in pieces to keep command lines short.
  QPointer<TmuxEngine> self(this);
  for (const auto piece : chunks(text, 2048)) {
    ensureAlive(self);
    co_await run("send-keys -t " + quoted(paneId) + " -l -- " + TmuxCommand::quote(piece));
  }
}

QCoro::Task<void> TmuxEngine::pasteText(QString paneId, std::string text) {
  checkPaneId(paneId);
  if (text.empty()) co_return;
  // A buffer of our own, filled piece by piece and deleted by the paste (-d).
  const std::string buffer = TmuxCommand::quote("vesket-paste-" + std::to_string(++m_pasteCounter));
  QPointer<TmuxEngine> self(this);
  bool first = true;
  for (const auto piece : chunks(text, 2048)) {
    ensureAlive(self);
    co_await run(std::string("set-buffer ") + (first ? "" : "-a ") + "-b " + buffer + " -- " + TmuxCommand::quote(piece));
    first = false;
  }
  std::exception_ptr failure;
  ensureAlive(self);
  try {
    co_await run("paste-buffer -p -d -b " + buffer + " -t " + quoted(paneId));
  } catch (const TmuxError&) {
    failure = std::current_exception();
  }
  if (failure) {
    // The paste failed (unknown pane): remove the buffer, then report.
    ensureAlive(self);
    try {
      co_await run("delete-buffer -b " + buffer);
    } catch (const TmuxError&) {
      // Gone with the client already.
    }
    std::rethrow_exception(failure);
  }
}

QCoro::Task<void> TmuxEngine::sendKeys(QString paneId, QStringList tmuxKeys) {
  checkPaneId(paneId);
  if (tmuxKeys.isEmpty()) co_return;
  std::string line = "send-keys -t " + quoted(paneId) + " --";
  for (const auto& key : tmuxKeys) line += " " + quoted(key);
  co_await run(line);
}

QCoro::Task<WindowSizeResult> TmuxEngine::resizeWindow(QString paneId, std::optional<int> cols) {
  checkPaneId(paneId);
  QPointer<TmuxEngine> self(this);
  WindowSizeResult result;
  if (cols) {
    if (*cols < 1 || *cols > 10000) throw TmuxError("cols out of range: " + std::to_string(*cols));
    // resize-window sets the window's window-size option to manual by itself.
    co_await run("resize-window -t " + quoted(paneId) + " -x " + std::to_string(*cols));
    result.mode = QStringLiteral("manual");
  } else {
    // Back to the server-wide sizing rule; tmux recomputes the size from its clients.
    co_await run("set-option -w -u -t " + quoted(paneId) + " window-size");
    result.mode = QStringLiteral("auto");
  }
  ensureAlive(self);
  auto sizing = run(PaneQuery::windowSizeCommand(paneId.toStdString()));
  const auto lines = co_await sizing;
  ensureAlive(self);
  if (const auto size = PaneQuery::windowSize(lines)) {
    result.cols = static_cast<int>(size->cols);
    result.rows = static_cast<int>(size->rows);
  }
  requestRefresh();
  co_return result;
}

QCoro::Task<QString> TmuxEngine::spawnShell(QString windowName, QString startDirectory) {
  QPointer<TmuxEngine> self(this);
  // tmux expands the name and the directory as formats: they go in with every "#" doubled.
  const std::string name = TmuxCommand::unexpanded(windowName.toStdString());
  const std::string directory = TmuxCommand::unexpanded(startDirectory.toStdString());
  std::string options = " -P -F " + TmuxCommand::quote(PaneQuery::newPaneFormat());
  if (!windowName.isEmpty()) options += " -n " + TmuxCommand::quote(name);
  if (!startDirectory.isEmpty()) options += " -c " + TmuxCommand::quote(directory);
  auto attaching = waitWhileAttaching();
  co_await attaching;
  QString paneId;
  if (isConnected()) {
    // -d: the new window must not take over the view of whoever uses that session.
    const auto session = m_client->sessionId();
    auto creating = run("new-window -d -t " + quoted(session + QLatin1Char(':')) + options);
    const auto lines = co_await creating;
    paneId = QString::fromStdString(PaneQuery::newPaneId(lines).value_or(""));
  } else {
    // No server or no session: the user asked for a shell, so this is the one place a
    // server may be started. A one-off tmux process does it; the engine attaches after.
    QStringList args = {QStringLiteral("-S"), m_socketPath, QStringLiteral("new-session"), QStringLiteral("-d"),
                        QStringLiteral("-s"), QStringLiteral("vesket"), QStringLiteral("-P"), QStringLiteral("-F"),
                        QString::fromStdString(PaneQuery::newPaneFormat())};
    if (!windowName.isEmpty()) args << QStringLiteral("-n") << QString::fromStdString(name);
    if (!startDirectory.isEmpty()) args << QStringLiteral("-c") << QString::fromStdString(directory);
    // tmux creates its socket directory only for servers it names itself (-L).
    const QString socketDir = QFileInfo(m_socketPath).absolutePath();
    if (!QFileInfo::exists(socketDir)) {
      QDir().mkpath(socketDir);
      QFile::setPermissions(socketDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    // The server keeps this process's environment for every pane it runs.
    QProcess process;
    TmuxProcess::prepare(process, m_options.server.environment);
    process.start(m_options.server.tmuxBinary, args);
    auto finishing = finishProcess(process, m_options.commandTimeout);
    co_await finishing;
    if (self.isNull()) co_return {};
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
      const QString err = QString::fromUtf8(process.readAllStandardError()).trimmed();
      throw TmuxError("cannot start tmux: " + (err.isEmpty() ? QStringLiteral("failed") : err).toStdString());
    }
    const std::string printed = process.readAllStandardOutput().toStdString();
    paneId = QString::fromStdString(PaneQuery::newPaneId({printed.substr(0, printed.find('\n'))}).value_or(""));
    m_reconnectTimer.stop();
    spawn(connectLoop(), "tmux connect");
  }
  if (!TmuxCommand::isPaneId(paneId.toStdString())) throw TmuxError("tmux did not report the new pane");
  if (!self.isNull()) requestRefresh();
  co_return paneId;
}

QCoro::Task<QString> TmuxEngine::kill(QString paneId, bool wholeWindow) {
  checkPaneId(paneId);
  QPointer<TmuxEngine> self(this);
  co_await run((wholeWindow ? "kill-window -t " : "kill-pane -t ") + quoted(paneId));
  if (!self.isNull()) requestRefresh();
  co_return wholeWindow ? QStringLiteral("window") : QStringLiteral("pane");
}

QCoro::Task<void> TmuxEngine::setPaneName(QString paneId, std::string name) {
  checkPaneId(paneId);
  QPointer<TmuxEngine> self(this);
  if (name.empty()) {
    co_await run("set-option -p -u -t " + quoted(paneId) + " @vesket-name");
  } else {
    co_await run("set-option -p -t " + quoted(paneId) + " @vesket-name " + TmuxCommand::quote(name));
  }
  if (!self.isNull()) requestRefresh();
}

QCoro::Task<TmuxAttachInfo> TmuxEngine::attachInfo(std::optional<QString> paneId) {
  TmuxAttachInfo info;
  info.tmuxBin = tmuxBinaryPath();
  info.socketArgs = {QStringLiteral("-S"), m_socketPath};
  if (paneId) {
    checkPaneId(*paneId);
    auto locating = run(PaneQuery::locationCommand(paneId->toStdString()));
    const auto lines = co_await locating;
    const auto location = PaneQuery::location(lines, paneId->toStdString());
    if (!location) throw TmuxError("no such pane: " + paneId->toStdString());
    info.session = QString::fromStdString(location->sessionName);
    info.windowId = QString::fromStdString(location->windowId);
  }
  co_return info;
}

QCoro::Task<std::vector<TmuxSourceCandidate>> TmuxEngine::listSources() {
  QPointer<TmuxEngine> self(this);
  QStringList paths;
  const QDir dir(socketDirectory(m_options.server));
  for (const QFileInfo& info : dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
    paths << info.absoluteFilePath();
  }
  if (!paths.contains(m_socketPath)) paths.prepend(m_socketPath);
  std::vector<TmuxSourceCandidate> candidates;
  for (const QString& path : paths) {
    if (!serverAnswers(path)) continue;
    TmuxSourceCandidate candidate;
    candidate.value = path;
    candidate.label = QFileInfo(path).fileName();
    // Counting sessions of another server takes one short tmux run; the server is known
    // to be alive, so nothing gets started.
    QProcess process;
    TmuxProcess::prepare(process, m_options.server.environment);
    process.start(m_options.server.tmuxBinary, {QStringLiteral("-S"), path, QStringLiteral("list-sessions"),
                                                QStringLiteral("-F"), QStringLiteral("x")});
    auto finishing = finishProcess(process, std::chrono::milliseconds(3000));
    co_await finishing;
    if (self.isNull()) co_return {};
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
      candidate.sessionCount = static_cast<int>(process.readAllStandardOutput().count('\n'));
    }
    candidates.push_back(candidate);
  }
  co_return candidates;
}

QCoro::Task<void> TmuxEngine::switchSource(QString socketPath) {
  struct stat info {};
  if (socketPath.isEmpty() || ::stat(QFile::encodeName(socketPath).constData(), &info) != 0 ||
      !S_ISSOCK(info.st_mode) || !serverAnswers(socketPath)) {
    throw TmuxError("no tmux server answers at " + socketPath.toStdString());
  }
  if (socketPath == m_socketPath && isConnected()) co_return;
  // Something answers there; only tmux itself can say whether it is a tmux server.
  QPointer<TmuxEngine> self(this);
  QProcess probe;
  TmuxProcess::prepare(probe, m_options.server.environment);
  probe.start(m_options.server.tmuxBinary, {QStringLiteral("-S"), socketPath, QStringLiteral("list-sessions"),
                                            QStringLiteral("-F"), QStringLiteral("x")});
  auto finishing = finishProcess(probe, std::chrono::milliseconds(3000));
  const bool finished = co_await finishing;
  if (self.isNull()) throw TmuxError("tmux engine stopped");
  if (!finished || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
    throw TmuxError("no tmux server with sessions answers at " + socketPath.toStdString());
  }
  const bool wasRunning = m_running;
  stop();
  m_socketPath = socketPath;
  m_registeredAt.clear();
  publish({});
  if (wasRunning) start();
}

}  // namespace vesket::daemon
