#include "daemon/crew_service.h"
#include "daemon/daemon_runtime.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTimer>
#include <QUuid>
#include <cstring>

#include <nlohmann/json.hpp>

#include "daemon/agent_prompt_service.h"
#include "daemon/build_info.h"
#include "daemon/command_dispatcher.h"
#include "daemon/control_server.h"
#include "daemon/core/env_file.h"
#include "daemon/daemon_log.h"
#include "daemon/private_file.h"
#include "daemon/tmux_engine.h"
#include "daemon/tmux_process.h"
#include "daemon/watch_hub.h"
#include "daemon/pane_pipe_door.h"
#include "daemon/terminal_attach_service.h"
#include "daemon/claude_history_service.h"
#include "daemon/relay_link.h"
#include "daemon/core/agent_root.h"
#include "daemon/relay_pairing.h"
#include "shell/core/identity_record.h"

namespace vesket::daemon {
namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int signal) {
  const char byte = static_cast<char>(signal);
  const ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
  (void)ignored;
}

QByteArray readSmallFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.read(64 * 1024);
}

// The pid of the daemon serving `socketPath`, from its answer to "ping"; nothing when no
// daemon answers within the timeout.
std::optional<qint64> pingPid(const QString& socketPath, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(socketPath);
  if (!socket.waitForConnected(timeoutMs)) return std::nullopt;
  socket.write("{\"id\":\"start-probe\",\"cmd\":\"ping\",\"args\":{}}\n");
  QByteArray received;
  while (!received.contains('\n') && socket.waitForReadyRead(timeoutMs)) received += socket.readAll();
  const auto reply = nlohmann::json::parse(received.left(received.indexOf('\n')).toStdString(), nullptr, false);
  if (reply.is_object() && reply.value("ok", false) && reply["data"].is_object()) {
    return reply["data"].value("pid", static_cast<qint64>(0));
  }
  return 0;  // something answers on the socket, but not with a pid
}

}  // namespace

DaemonRuntime::DaemonRuntime(DaemonPaths paths, Options options, QObject* parent)
    : QObject(parent), m_paths(std::move(paths)), m_options(std::move(options)) {}

DaemonRuntime::~DaemonRuntime() {
  m_relayLink.reset();
  m_server.reset();
  m_watchHub.reset();
  m_claudeHistory.reset();
  m_terminalAttach.reset();
  m_dispatcher.reset();
  m_agentPrompts.reset();
  if (m_engine) m_engine->setPaneDecorator({});
  m_crews.reset();
  m_engine.reset();
  if (m_lockFd >= 0) ::close(m_lockFd);
}

void DaemonRuntime::acquireLock() {
  const QByteArray lockPath = QFile::encodeName(m_paths.lockFile());
  m_lockFd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (m_lockFd < 0) {
    throw std::runtime_error("cannot open " + lockPath.toStdString() + ": " + std::strerror(errno));
  }
  if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
    ::close(m_lockFd);
    m_lockFd = -1;
    const auto pid = pingPid(m_paths.socketPath(), 1500);
    const std::string who = pid && *pid > 0 ? " (pid " + std::to_string(*pid) + ")" : "";
    throw DaemonAlreadyRunning("another vesket daemon is already running for " +
                               m_paths.home.toStdString() + who +
                               "; stop it first with 'vesket daemon stop'");
  }
}

// Holding the lock, a socket file left behind is stale unless something still answers on
// it (a daemon that does not take the lock, e.g. started with another binary).
void DaemonRuntime::replaceStaleSocket() {
  const QString socketPath = m_paths.socketPath();
  if (!QFileInfo::exists(socketPath) && !QFileInfo(socketPath).isSymLink()) return;
  if (const auto pid = pingPid(socketPath, 1000)) {
    const std::string who = *pid > 0 ? " (pid " + std::to_string(*pid) + ")" : "";
    throw DaemonAlreadyRunning("a daemon already answers on " + socketPath.toStdString() + who +
                               "; stop it first with 'vesket daemon stop'");
  }
  struct stat info {};
  if (::lstat(QFile::encodeName(socketPath).constData(), &info) == 0 && !S_ISSOCK(info.st_mode)) {
    throw std::runtime_error(socketPath.toStdString() +
                             " exists and is not a socket; remove it by hand if it is not needed");
  }
  QFile::remove(socketPath);
  qInfo().noquote() << "removed stale control socket" << socketPath;
}

void DaemonRuntime::writeEnvFile() {
  const QByteArray before = readSmallFile(m_paths.envFile());
  EnvFile env = EnvFile::parse(before.toStdString());
  env.setDefault("DAEMON_TOKEN", "");
  env.setDefault("RELAY_URL", qEnvironmentVariable("RELAY_URL").toStdString());
  env.setDefault("BOARD_PUSH_API", "");
  const QByteArray after = QByteArray::fromStdString(env.serialize());
  if (after == before && QFileInfo::exists(m_paths.envFile())) {
    PrivateFile::restrict(m_paths.envFile());
    return;
  }
  if (auto failed = PrivateFile::write(m_paths.envFile(), after)) qWarning().noquote() << *failed;
}

void DaemonRuntime::publishAgentRoot() {
  const QByteArray before = readSmallFile(m_paths.agentRootFile());
  const std::string root = AgentRoot::choose(before.toStdString(), qEnvironmentVariable("VESKET_AGENT_ROOT").toStdString(),
                                             m_paths.userHome.toStdString(),
                                             [](const std::string& path) { return QFileInfo(QString::fromStdString(path)).isDir(); });
  const QByteArray after = QByteArray::fromStdString(root) + '\n';
  if (after == before) return;
  if (auto failed = PrivateFile::write(m_paths.agentRootFile(), after)) {
    qWarning().noquote() << "cannot publish the agent root:" << *failed;
  }
}

QString DaemonRuntime::installId() {
  const QString existing = QString::fromUtf8(readSmallFile(m_paths.installIdFile())).trimmed();
  if (!existing.isEmpty()) {
    PrivateFile::restrict(m_paths.installIdFile());
    return existing;
  }
  const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
  if (auto failed = PrivateFile::write(m_paths.installIdFile(), id.toUtf8() + '\n')) qWarning().noquote() << *failed;
  return id;
}

void DaemonRuntime::publishIdentity() {
  shell::IdentityRecord record;
  record.home = m_paths.home.toStdString();
  record.installId = installId().toStdString();
  record.pid = static_cast<std::int64_t>(::getpid());
  record.startedAtMs = static_cast<double>(m_startedAtMs);
  if (auto failed = PrivateFile::write(m_paths.identityRecordPath(), QByteArray::fromStdString(record.encode()))) {
    qWarning().noquote() << "cannot publish the identity record:" << *failed;
  }
}

// Removes the identity record only when it is still this process's.
void DaemonRuntime::removeIdentity() {
  const auto record = shell::IdentityRecord::decode(readSmallFile(m_paths.identityRecordPath()).toStdString());
  if (record && record->pid == static_cast<std::int64_t>(::getpid())) {
    QFile::remove(m_paths.identityRecordPath());
  }
}

void DaemonRuntime::installSignalHandlers() {
  if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this] {
    char byte = 0;
    while (::read(g_signalPipe[0], &byte, 1) == 1) {
      qInfo().noquote() << "signal" << static_cast<int>(byte) << "received; stopping";
    }
    stop(0);
  });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
  // A client gone mid-write and a file over the size limit are errors to report, not
  // reasons to die.
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);
}

void DaemonRuntime::start() {
  m_startedAtMs = QDateTime::currentMSecsSinceEpoch();
  m_daemonSessionId = QUuid::createUuid().toString(QUuid::WithoutBraces);

  if (auto failed = PrivateFile::makeDirectory(m_paths.daemonDir())) throw std::runtime_error(failed->toStdString());
  if (auto problem = controlTokenFileProblem(m_paths)) {
    throw std::runtime_error("refusing the control token file: " + problem->toStdString());
  }
  acquireLock();
  DaemonLog::install(m_paths.logFile());
  // Every client costs a descriptor: serve with all the process may have.
  const long descriptors = TmuxProcess::raiseDescriptorLimit();
  replaceStaleSocket();
  writeEnvFile();
  publishAgentRoot();

  TmuxEngine::Options engineOptions;
  engineOptions.homeDir = m_paths.userHome;
  if (m_options.tmuxSocketPath) {
    engineOptions.server.socketPath = *m_options.tmuxSocketPath;
  } else if (m_options.tmuxSocketName) {
    engineOptions.server.socketName = *m_options.tmuxSocketName;
  } else {
    // The server chosen with "tmux-source-set", while its socket still exists.
    const QString remembered = QString::fromUtf8(readSmallFile(m_paths.tmuxSourceFile())).trimmed();
    if (!remembered.isEmpty() && QFileInfo::exists(remembered)) engineOptions.server.socketPath = remembered;
  }
  m_engine = std::make_unique<TmuxEngine>(engineOptions);

  m_agentPrompts = std::make_unique<AgentPromptService>(*m_engine);
  m_crews = std::make_unique<CrewService>(*m_engine, m_paths);
  m_crews->load();
  m_engine->setPaneDecorator([crews = m_crews.get()](std::vector<control_plane::PaneEntry>& panes) { crews->decorate(panes); });
  DaemonContext context;
  context.paths = m_paths;
  context.agentPrompts = m_agentPrompts.get();
  context.daemonSessionId = m_daemonSessionId;
  context.startedAtMs = m_startedAtMs;
  context.requestStop = [this] {
    // After the reply has gone out.
    QTimer::singleShot(50, this, [this] { stop(0); });
  };
  context.relayLinkStatus = [this] {
    return m_relayLink ? m_relayLink->status() : nlohmann::json{{"connected", false}, {"transportState", "unpaired"}};
  };
  m_relayPairing = std::make_unique<RelayPairing>(
      m_paths, RelayPairing::Hooks{[this] {
                                     if (m_relayLink) m_relayLink->reload();
                                   },
                                   context.relayLinkStatus});
  context.relayPairing = m_relayPairing.get();
  context.crews = m_crews.get();
  m_dispatcher = std::make_unique<CommandDispatcher>(*m_engine, context);
  m_watchHub = std::make_unique<WatchHub>(*m_engine, m_daemonSessionId);
  // Pane pipes hand over through `vesket internal-pane-pipe`, this very program.
  m_pipeDoor = std::make_unique<PanePipeDoor>(m_paths.daemonDir() + QStringLiteral("/pane-pipe.sock"),
                                              QCoreApplication::applicationFilePath());
  TerminalAttachService::Options attachOptions;
  if (m_pipeDoor->open()) attachOptions.pipeDoor = m_pipeDoor.get();
  m_terminalAttach = std::make_unique<TerminalAttachService>(*m_engine, attachOptions);
  m_claudeHistory = std::make_unique<ClaudeHistoryService>(*m_engine, m_paths.userHome);
  const QString token = requiredControlToken(m_paths);
  m_server = std::make_unique<ControlServer>(
      m_paths.socketPath(), token, *m_dispatcher,
      std::vector<StreamService*>{m_watchHub.get(), m_terminalAttach.get(), m_claudeHistory.get()});

  // The desktop's status poller counts the daemon as actively serving while such lines
  // keep appearing in the log; one per 20 s is enough for that.
  auto lastStoreRead = std::make_shared<qint64>(0);
  connect(m_server.get(), &ControlServer::clientConnected, this, [this, lastStoreRead] {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now - *lastStoreRead < 20000) return;
    *lastStoreRead = now;
    qInfo().noquote() << "STORE-READ clients=" << m_server->connectionCount()
                      << "panes=" << m_engine->panes().size();
  });

  m_server->listen();
  m_engine->start();
  m_relayLink = std::make_unique<RelayLink>(
      m_paths, *m_dispatcher,
      std::vector<StreamService*>{m_watchHub.get(), m_terminalAttach.get(), m_claudeHistory.get()});
  m_relayLink->start();
  installSignalHandlers();
  publishIdentity();
  qInfo().noquote() << "vesket daemon" << BuildInfo::version() << "serving" << m_paths.socketPath()
                    << "pid" << ::getpid() << "daemonSessionId" << m_daemonSessionId << "tmux"
                    << m_engine->socketPath() << (token.isEmpty() ? "" : "(control token required)")
                    << "descriptors" << descriptors << "clients at most" << m_server->maxConnections();
}

void DaemonRuntime::stop(int exitCode) {
  if (m_stopping) return;
  m_stopping = true;
  qInfo().noquote() << "vesket daemon stopping";
  if (m_relayLink) m_relayLink->stop();
  if (m_server) m_server->close();
  if (m_engine) m_engine->stop();
  removeIdentity();
  QCoreApplication::exit(exitCode);
}

}  // namespace vesket::daemon
