#include "daemon/daemon_service_cli.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cstdio>

#include "daemon/build_info.h"
#include "daemon/cli_control_client.h"
#include "daemon/core/restart_transaction.h"
#include "daemon/exit_codes.h"

namespace vesket::daemon::DaemonServiceCli {
namespace {

CliControlClient clientFor(const DaemonPaths& paths) {
  return CliControlClient(paths.socketPath(), requiredControlToken(paths));
}

// The pid of the daemon answering on the socket, or nothing.
std::optional<qint64> answeringPid(const DaemonPaths& paths, int timeoutMs) {
  try {
    const auto ping = clientFor(paths).request("ping", nlohmann::json::object(), timeoutMs);
    if (ping.contains("pid") && ping["pid"].is_number_integer()) return ping["pid"].get<qint64>();
    return 0;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

bool waitForDaemon(const DaemonPaths& paths, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 200) {
    if (answeringPid(paths, 1000)) return true;
    QThread::msleep(200);
  }
  return false;
}

}  // namespace

QString invokedExecutablePath() {
  const QString invoked = QCoreApplication::arguments().value(0);
  if (invoked.startsWith('/') && QFileInfo(invoked).isFile()) return QDir::cleanPath(invoked);
  return QCoreApplication::applicationFilePath();
}

int installService(const DaemonPaths& paths) {
  auto manager = platform::ServiceManager::forHost(paths.serviceJobPaths());
  const QString executable = invokedExecutablePath();
  const auto job = platform::ServiceJob::forDaemon(executable.toStdString(), paths.home.toStdString());
  const bool changed = manager->readJob() != job;
  try {
    manager->writeJob(job);
  } catch (const platform::ServiceManagerError& error) {
    std::fprintf(stderr, "vesket: %s\n", error.what());
    return kExitFailure;
  }
  const char* kind = platform::serviceKindName(manager->kind());
  const bool loaded = manager->print().loaded;
  if (!loaded) {
    if (!manager->bootstrap()) {
      std::fprintf(stderr, "vesket: the %s service manager could not start %s\n", kind,
                   qPrintable(manager->jobFilePath()));
      return kExitFailure;
    }
    std::printf("vesket: started the daemon's %s job %s\n", kind, qPrintable(manager->jobFilePath()));
  } else if (changed) {
    if (!manager->kickstart()) {
      std::fprintf(stderr, "vesket: the %s service manager could not restart the daemon\n", kind);
      return kExitFailure;
    }
    std::printf("vesket: updated the daemon's %s job %s and restarted the daemon\n", kind,
                qPrintable(manager->jobFilePath()));
  } else {
    std::printf("vesket: the daemon's %s job is loaded and current\n", kind);
  }
  if (!waitForDaemon(paths, 15000)) {
    std::fprintf(stderr, "vesket: the daemon did not answer on %s within 15 s; see %s\n",
                 qPrintable(paths.socketPath()), qPrintable(paths.logFile()));
    return kExitFailure;
  }
  std::printf("vesket: daemon serving %s\n", qPrintable(paths.socketPath()));
  return kExitOk;
}

int uninstallService(const DaemonPaths& paths) {
  auto manager = platform::ServiceManager::forHost(paths.serviceJobPaths());
  const bool existed = QFileInfo::exists(manager->jobFilePath());
  if (!manager->removeJob()) {
    std::fprintf(stderr, "vesket: could not remove the daemon's %s job\n", platform::serviceKindName(manager->kind()));
    return kExitFailure;
  }
  if (existed) std::printf("vesket: removed the daemon's %s job\n", platform::serviceKindName(manager->kind()));
  return kExitOk;
}

int restartTransaction(const CliCommand& command, const DaemonPaths& paths) {
  RestartTransaction transaction;
  transaction.daemonBin = *command.daemonBin;
  transaction.previousBin = *command.previousBin;
  transaction.productHome = paths.home.toStdString();
  transaction.renderedBy = BuildInfo::version();
  std::fputs(transaction.render().c_str(), stdout);
  return kExitOk;
}

int healthGate(const CliCommand& command, const DaemonPaths& paths) {
  constexpr qint64 kStableMs = 3000;
  const qint64 replacing = command.replacingPid.value_or(0);
  const qint64 timeoutMs = command.timeoutMs.value_or(RestartTransaction::kHealthGateTimeoutMs);
  const qint64 start = QDateTime::currentMSecsSinceEpoch();
  std::optional<qint64> candidate;
  qint64 candidateSince = 0;
  for (;;) {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const auto pid = answeringPid(paths, 1000);
    if (pid && *pid != replacing) {
      if (candidate != pid) {
        candidate = pid;
        candidateSince = now;
      } else if (now - candidateSince >= kStableMs) {
        std::printf("vesket: daemon pid %lld answers and kept answering for %lld ms\n",
                    static_cast<long long>(*pid), static_cast<long long>(now - candidateSince));
        return kExitOk;
      }
    }
    if (now - start >= timeoutMs) break;
    QThread::msleep(200);
  }
  std::fprintf(stderr, "vesket: no new daemon kept answering on %s within %lld ms\n", qPrintable(paths.socketPath()),
               static_cast<long long>(timeoutMs));
  return kExitFailure;
}

int autoAttach(const CliCommand& command, const DaemonPaths& paths) {
  nlohmann::json result = {{"attached", false}, {"changed", false}};
  int exitCode = kExitOk;
  try {
    const auto client = clientFor(paths);
    const auto sources = client.request("tmux-source-list", nlohmann::json::object(), 10000);
    const std::string current = sources.value("current", "");
    result["source"] = current;
    int currentSessions = 0;
    const nlohmann::json* best = nullptr;
    const nlohmann::json candidates = sources.value("candidates", nlohmann::json::array());
    for (const auto& candidate : candidates) {
      const int sessions = candidate.value("sessionCount", 0);
      if (candidate.value("value", "") == current) currentSessions = sessions;
      else if (sessions > 0 && (!best || sessions > best->value("sessionCount", 0))) best = &candidate;
    }
    result["sessionCount"] = currentSessions;
    if (currentSessions > 0) {
      result["attached"] = true;
      result["reason"] = "the daemon's tmux server has sessions";
    } else if (best) {
      const auto set = client.request("tmux-source-set", {{"value", best->value("value", "")}}, 10000);
      if (set.value("ok", false)) {
        result["attached"] = true;
        result["changed"] = true;
        result["source"] = set.value("current", best->value("value", ""));
        result["sessionCount"] = best->value("sessionCount", 0);
        result["reason"] = "switched to the tmux server that has sessions";
      } else {
        result["reason"] = set.value("error", "the daemon refused the tmux server");
        exitCode = kExitFailure;
      }
    } else {
      result["reason"] = "no tmux server of this user has a session";
    }
  } catch (const std::exception& error) {
    result["reason"] = error.what();
    exitCode = kExitFailure;
  }
  if (command.json) {
    std::printf("%s\n", result.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
  } else {
    std::printf("vesket: %s (%s)\n", result.value("reason", "").c_str(), result.value("source", "").c_str());
  }
  return exitCode;
}

}  // namespace vesket::daemon::DaemonServiceCli
