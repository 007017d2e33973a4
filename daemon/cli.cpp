#include "daemon/cli.h"

#include <signal.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSysInfo>
#include <QUrl>
#include <QThread>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "daemon/agent_cli.h"
#include "daemon/build_info.h"
#include "daemon/cli_control_client.h"
#include "daemon/crew_cli.h"
#include "daemon/core/crew_cli_request.h"
#include "daemon/core/cli_command.h"
#include "daemon/core/daemon_status.h"
#include "daemon/core/env_file.h"
#include "daemon/core/relay_link_settings.h"
#include "daemon/daemon_paths.h"
#include "daemon/daemon_runtime.h"
#include "daemon/tmux_control_client.h"
#include "daemon/daemon_service_cli.h"
#include "daemon/exit_codes.h"
#include "daemon/inbox_cli.h"
#include "daemon/running_daemon.h"
#include "daemon/updater.h"
#include "platform/daemon_supervisor.h"
#include "platform/service_manager.h"

namespace vesket::daemon {
namespace {

// Qt's own poll loop instead of GLib's for this process. Under GLib every socket notifier
// switched on or off wakes the loop through its eventfd, and a QTcpSocket switches its write
// notifier on and off again for each message it sends (the relay link's WebSocket, for every
// echoed keystroke): two writes, a read and one more poll per message. Qt reads the variable
// once, when the application object makes its event dispatcher; `restore` puts the
// environment back right after, so tmux and the shells the daemon starts do not inherit it.
class PlainEventLoop {
 public:
  PlainEventLoop() : m_wasSet(qEnvironmentVariableIsSet(kName)), m_old(qgetenv(kName)) { qputenv(kName, "1"); }
  void restore() const {
    if (m_wasSet) {
      qputenv(kName, m_old);
    } else {
      qunsetenv(kName);
    }
  }

 private:
  static constexpr const char* kName = "QT_NO_GLIB";
  bool m_wasSet;
  QByteArray m_old;
};

CliControlClient clientFor(const DaemonPaths& paths) {
  return CliControlClient(paths.socketPath(), requiredControlToken(paths));
}

int printVersion() {
  std::printf("vesket %s\nbuilt: %s\ncommits: %s\nsha: %s\n", BuildInfo::version(), BuildInfo::builtAt(),
              BuildInfo::commits(), BuildInfo::sha());
  return kExitOk;
}

int daemonStart(const CliCommand& command, const DaemonPaths& paths) {
  DaemonRuntime::Options options;
  if (command.tmuxSocketPath) options.tmuxSocketPath = QString::fromStdString(*command.tmuxSocketPath);
  if (command.tmuxSocketName) options.tmuxSocketName = QString::fromStdString(*command.tmuxSocketName);
  if (!options.tmuxSocketPath && !options.tmuxSocketName && !qEnvironmentVariableIsEmpty("VESKET_TMUX_SOCKET")) {
    options.tmuxSocketPath = qEnvironmentVariable("VESKET_TMUX_SOCKET");
  }
  int code = 0;
  {
    DaemonRuntime runtime(paths, options);
    try {
      runtime.start();
    } catch (const DaemonAlreadyRunning& error) {
      std::fprintf(stderr, "vesket: %s\n", error.what());
      return kExitAlreadyRunning;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "vesket: cannot start the daemon: %s\n", error.what());
      return kExitFailure;
    }
    code = QCoreApplication::exec();
  }
  // The runtime's tmux clients have been let go; none may outlive the daemon.
  TmuxControlClient::waitForLeavingClients(std::chrono::milliseconds(1500));
  return code;
}

int daemonStatus(const DaemonPaths& paths) {
  DaemonObservation seen;
  try {
    const auto ping = clientFor(paths).request("ping", nlohmann::json::object(), 1500);
    seen.answering = true;
    if (ping.contains("pid") && ping["pid"].is_number_integer()) seen.answeringPid = ping["pid"].get<std::int64_t>();
    if (ping.contains("version") && ping["version"].is_string()) seen.answeringVersion = ping["version"].get<std::string>();
  } catch (const std::exception&) {
    // Not answering is not the same as not running: the daemon may have lost its socket.
    seen.publishedPid = RunningDaemon::publishedPid(paths);
  }
  const auto manager = platform::ServiceManager::forHost(paths.serviceJobPaths());
  const auto job = manager->readJob();
  const auto service = manager->print();
  seen.serviceKind = platform::serviceKindName(manager->kind());
  seen.serviceJobExists = job.has_value();
  seen.serviceLoaded = service.loaded;
  if (service.pid && RunningDaemon::processAlive(*service.pid)) seen.servicePid = *service.pid;
  if (job && !job->programArguments.empty()) seen.serviceProgram = job->programArguments.front();
  DaemonStatus status = statusFor(seen, BuildInfo::version());

  QFile envFile(paths.envFile());
  if (envFile.open(QIODevice::ReadOnly)) {
    const auto token = EnvFile::parse(envFile.read(1024 * 1024).toStdString()).get("DAEMON_TOKEN");
    status.paired = token && !token->empty();
  }
  status.extra.insert(status.extra.begin(), {{"home", paths.home.toStdString()},
                                             {"socket", paths.socketPath().toStdString()},
                                             {"log", paths.logFile().toStdString()}});
  std::fputs(status.formatLines().c_str(), stdout);
  return kExitOk;
}

// Stopping is done when the daemon's process has ended, not when its socket file is gone:
// the service manager stops a daemon it keeps (so that it does not start it again);
// otherwise "shutdown" on the socket, else SIGTERM to the pid its identity record names.
int daemonStop(const DaemonPaths& paths) {
  const auto manager = platform::ServiceManager::forHost(paths.serviceJobPaths());
  if (manager->print().loaded) {
    if (!manager->bootout()) {
      std::fprintf(stderr, "vesket: the %s service manager did not stop the daemon\n",
                   platform::serviceKindName(manager->kind()));
      return kExitFailure;
    }
    std::printf("vesket: daemon stopped (%s job)\n", platform::serviceKindName(manager->kind()));
    return kExitOk;
  }
  std::optional<qint64> pid;
  try {
    const auto reply = clientFor(paths).request("shutdown", nlohmann::json::object(), 5000);
    if (reply.contains("pid") && reply["pid"].is_number_integer()) pid = reply["pid"].get<qint64>();
  } catch (const DaemonNotAnswering& error) {
    pid = RunningDaemon::publishedPid(paths);
    if (!pid) {
      if (!QFileInfo::exists(paths.socketPath())) {
        std::printf("vesket: the daemon is not running\n");
        return kExitOk;
      }
      std::fprintf(stderr, "vesket: cannot reach the daemon: %s\n", error.what());
      return kExitFailure;
    }
    std::printf("vesket: the daemon (pid %lld) does not answer on its socket; sending it SIGTERM\n",
                static_cast<long long>(*pid));
    if (::kill(static_cast<pid_t>(*pid), SIGTERM) != 0) {
      std::fprintf(stderr, "vesket: cannot signal pid %lld: %s\n", static_cast<long long>(*pid), std::strerror(errno));
      return kExitFailure;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vesket: the daemon refused to stop: %s\n", error.what());
    return kExitFailure;
  }
  for (int waited = 0; waited < 10000; waited += 50) {
    const bool ended = pid ? !RunningDaemon::processAlive(*pid) : !QFileInfo::exists(paths.socketPath());
    if (ended) {
      std::printf("vesket: daemon stopped\n");
      return kExitOk;
    }
    QThread::msleep(50);
  }
  if (pid) {
    std::fprintf(stderr, "vesket: the daemon (pid %lld) did not stop within 10 s\n", static_cast<long long>(*pid));
  } else {
    std::fprintf(stderr, "vesket: the daemon did not stop within 10 s (socket %s still exists)\n",
                 qPrintable(paths.socketPath()));
  }
  return kExitFailure;
}

int panes(const CliCommand& command, const DaemonPaths& paths) {
  nlohmann::json data;
  try {
    data = clientFor(paths).request("list-panes", nlohmann::json::object(), 5000);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vesket: %s\n", error.what());
    return kExitFailure;
  }
  const nlohmann::json panes = data.value("panes", nlohmann::json::array());
  if (command.json) {
    std::printf("%s\n", panes.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
    return kExitOk;
  }
  for (const auto& pane : panes) {
    std::printf("%-6s %s:%lld.%lld  %-12s %s\n", pane.value("paneId", "").c_str(),
                pane.value("sessionName", "").c_str(), static_cast<long long>(pane.value("windowIndex", 0)),
                static_cast<long long>(pane.value("paneIndex", 0)), pane.value("cmd", "").c_str(),
                pane.value("paneTitle", "").c_str());
  }
  return kExitOk;
}

// The machine's stable identity for the relay: systemd's machine id, else the daemon's
// install id.
std::string machineIdentity(const DaemonPaths& paths) {
  for (const QString& path : {QStringLiteral("/etc/machine-id"), paths.installIdFile()}) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QByteArray id = file.read(256).trimmed();
    if (!id.isEmpty()) return id.toStdString();
  }
  return {};
}

int relayPair(const CliCommand& command, const DaemonPaths& paths) {
  std::string token = command.daemonToken.value_or("");
  if (command.pairingCode) {
    // The address as given may be the link's (wss://.../daemon): the claim goes to its HTTP API.
    const std::string base = RelayPairingLines::relayBase(command.relayUrl).value_or(command.relayUrl);
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QString::fromStdString(base + "/api/daemons/pair-code-claim")));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    request.setTransferTimeout(15000);
    nlohmann::json body = {{"short_code", *command.pairingCode},
                           {"machine_name", QSysInfo::machineHostName().left(200).toStdString()}};
    if (const std::string id = machineIdentity(paths); !id.empty()) body["machine_uuid"] = id;
    QNetworkReply* reply = network.post(request, QByteArray::fromStdString(body.dump()));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->deleteLater();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const nlohmann::json answer = nlohmann::json::parse(reply->readAll().toStdString(), nullptr, false);
    if (status != 200 || !answer.is_object() || !answer.contains("daemon_token") || !answer["daemon_token"].is_string()) {
      std::string reason = status == 0 ? reply->errorString().toStdString() : "the relay answered " + std::to_string(status);
      if (answer.is_object() && answer.contains("message") && answer["message"].is_string()) reason = answer["message"];
      std::fprintf(stderr, "vesket: the pairing code was not accepted: %s\n", reason.c_str());
      return kExitFailure;
    }
    token = answer["daemon_token"].get<std::string>();
  }
  try {
    const auto saved = clientFor(paths).request(
        "relay-pair", nlohmann::json{{"relayUrl", command.relayUrl}, {"daemonToken", token}}, 10000);
    std::printf("vesket: pairing saved; linking to %s (%s)\n", saved.value("relayUrl", "").c_str(),
                saved.value("transportState", "").c_str());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vesket: the daemon did not save the pairing: %s\n", error.what());
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

int runCli(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (CrewCliRequest::handles(args)) {
    const PlainEventLoop plainLoop;
    QCoreApplication app(argc, argv);
    plainLoop.restore();
    return runCrewCli(args, DaemonPaths::fromEnvironment());
  }
  CliCommand command;
  try {
    command = CliCommand::parse(args);
  } catch (const CliUsageError& error) {
    std::fprintf(stderr, "vesket: %s\n\n%s", error.what(), CliCommand::helpText().c_str());
    return kExitUsage;
  }
  if (command.kind == CliCommand::Kind::Help) {
    std::fputs(CliCommand::helpText().c_str(), stdout);
    return kExitOk;
  }
  if (command.kind == CliCommand::Kind::Version) return printVersion();

  const PlainEventLoop plainLoop;
  QCoreApplication app(argc, argv);
  plainLoop.restore();
  QCoreApplication::setApplicationName(QStringLiteral("vesket"));
  const DaemonPaths paths = DaemonPaths::fromEnvironment();
  switch (command.kind) {
    case CliCommand::Kind::DaemonStart: return daemonStart(command, paths);
    case CliCommand::Kind::DaemonStatus: return daemonStatus(paths);
    case CliCommand::Kind::DaemonStop: return daemonStop(paths);
    case CliCommand::Kind::DaemonInstallService: return DaemonServiceCli::installService(paths);
    case CliCommand::Kind::DaemonUninstallService: return DaemonServiceCli::uninstallService(paths);
    case CliCommand::Kind::DaemonSupervise:
      return platform::runSupervisor(paths.serviceJobPaths(), DaemonServiceCli::invokedExecutablePath());
    case CliCommand::Kind::DaemonRestartTransaction: return DaemonServiceCli::restartTransaction(command, paths);
    case CliCommand::Kind::DaemonHealthGate: return DaemonServiceCli::healthGate(command, paths);
    case CliCommand::Kind::DaemonAutoAttach: return DaemonServiceCli::autoAttach(command, paths);
    case CliCommand::Kind::Panes: return panes(command, paths);
    case CliCommand::Kind::RelayPair: return relayPair(command, paths);
    case CliCommand::Kind::Inbox: return runInboxCommand(InboxCommand::parse(command.inboxArgs), paths);
    case CliCommand::Kind::Update: return Updater::run(paths);
    case CliCommand::Kind::Ask:
    case CliCommand::Kind::Resolve:
    case CliCommand::Kind::Signal:
    case CliCommand::Kind::Hook:
    case CliCommand::Kind::SkillsSync:
    case CliCommand::Kind::Uninstall: return runAgentCommand(command, paths);
    case CliCommand::Kind::Help:
    case CliCommand::Kind::Version: break;
  }
  return kExitOk;
}

}  // namespace vesket::daemon
