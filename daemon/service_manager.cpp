#include "daemon/service_manager.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <cstdio>

#include "daemon/cli_control_client.h"
#include "daemon/core/service_unit.h"
#include "daemon/exit_codes.h"

namespace vesket::daemon {
namespace {

int runSystemctl(const QStringList& args, int timeoutMs = 15000) {
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process.start(QStringLiteral("systemctl"), QStringList{QStringLiteral("--user")} + args);
  if (!process.waitForStarted(3000)) return -1;
  if (!process.waitForFinished(timeoutMs)) {
    process.kill();
    process.waitForFinished(1000);
    return -1;
  }
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool waitForDaemon(const DaemonPaths& paths, int timeoutMs) {
  const CliControlClient client(paths.socketPath(), requiredControlToken(paths));
  for (int waited = 0; waited < timeoutMs; waited += 200) {
    try {
      client.request("ping", nlohmann::json::object(), 1000);
      return true;
    } catch (const std::exception&) {
      QThread::msleep(200);
    }
  }
  return false;
}

}  // namespace

const char* serviceKindName(ServiceManager::Kind kind) {
  switch (kind) {
    case ServiceManager::Kind::Systemd: return "systemd";
    case ServiceManager::Kind::Supervisor: return "supervisor";
    case ServiceManager::Kind::None: break;
  }
  return "none";
}

bool ServiceManager::systemdAvailable() {
  if (QStandardPaths::findExecutable(QStringLiteral("systemctl")).isEmpty()) return false;
  QProcess process;
  process.start(QStringLiteral("systemctl"), {QStringLiteral("--user"), QStringLiteral("show-environment")});
  if (!process.waitForStarted(2000) || !process.waitForFinished(3000)) {
    process.kill();
    process.waitForFinished(1000);
    return false;
  }
  return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QString ServiceManager::unitPath() {
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
  return config + QStringLiteral("/systemd/user/") + QLatin1String(ServiceUnit::kName);
}

bool ServiceManager::supervisorAlive() const {
  const int fd = ::open(QFile::encodeName(m_paths.supervisorLockFile()).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
  ::close(fd);
  return held;
}

ServiceManager::Kind ServiceManager::loaded() const {
  if (supervisorAlive()) return Kind::Supervisor;
  if (QFileInfo::exists(unitPath()) && systemdAvailable() &&
      runSystemctl({QStringLiteral("is-active"), QStringLiteral("--quiet"), QLatin1String(ServiceUnit::kName)}) == 0) {
    return Kind::Systemd;
  }
  return Kind::None;
}

bool ServiceManager::stopSystemdUnit() const {
  if (!QFileInfo::exists(unitPath()) || !systemdAvailable()) return false;
  if (runSystemctl({QStringLiteral("is-active"), QStringLiteral("--quiet"), QLatin1String(ServiceUnit::kName)}) != 0) {
    return false;
  }
  return runSystemctl({QStringLiteral("stop"), QLatin1String(ServiceUnit::kName)}) == 0;
}

int ServiceManager::install(const QString& executable) const {
  if (systemdAvailable()) {
    const QString path = unitPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    const QByteArray unit = QByteArray::fromStdString(
        ServiceUnit::render(executable.toStdString(), m_paths.home.toStdString()));
    if (!file.open(QIODevice::WriteOnly) || file.write(unit) != unit.size() || !file.commit()) {
      std::fprintf(stderr, "vesket: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
      return kExitFailure;
    }
    if (runSystemctl({QStringLiteral("daemon-reload")}) != 0 ||
        runSystemctl({QStringLiteral("enable"), QStringLiteral("--now"), QLatin1String(ServiceUnit::kName)}) != 0) {
      std::fprintf(stderr, "vesket: systemctl --user could not enable %s\n", ServiceUnit::kName);
      return kExitFailure;
    }
    std::printf("vesket: installed the systemd user unit %s\n", qPrintable(path));
  } else if (supervisorAlive()) {
    std::printf("vesket: the daemon is already kept running by vesket's supervisor\n");
  } else {
    QDir().mkpath(m_paths.logDir());
    QProcess process;
    process.setProgram(executable);
    process.setArguments({QStringLiteral("daemon"), QStringLiteral("supervise")});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(m_paths.logFile(), QIODevice::Append);
    process.setStandardErrorFile(m_paths.logFile(), QIODevice::Append);
    auto environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VESKET_HOME"), m_paths.home);
    process.setProcessEnvironment(environment);
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
      std::fprintf(stderr, "vesket: cannot start the supervisor: %s\n", qPrintable(process.errorString()));
      return kExitFailure;
    }
    std::printf("vesket: systemd is not available; started vesket's supervisor (pid %lld)\n",
                static_cast<long long>(pid));
  }
  if (!waitForDaemon(m_paths, 15000)) {
    std::fprintf(stderr, "vesket: the daemon did not answer on %s within 15 s; see %s\n",
                 qPrintable(m_paths.socketPath()), qPrintable(m_paths.logFile()));
    return kExitFailure;
  }
  std::printf("vesket: daemon serving %s\n", qPrintable(m_paths.socketPath()));
  return kExitOk;
}

int ServiceManager::uninstall() const {
  int result = kExitOk;
  if (QFileInfo::exists(unitPath())) {
    if (systemdAvailable()) {
      runSystemctl({QStringLiteral("disable"), QStringLiteral("--now"), QLatin1String(ServiceUnit::kName)});
      QFile::remove(unitPath());
      runSystemctl({QStringLiteral("daemon-reload")});
    } else {
      QFile::remove(unitPath());
    }
    std::printf("vesket: removed the systemd user unit\n");
  }
  if (supervisorAlive()) {
    // The supervisor ends when the daemon exits on purpose; "shutdown" makes it do so.
    try {
      CliControlClient(m_paths.socketPath(), requiredControlToken(m_paths)).request("shutdown");
    } catch (const std::exception& error) {
      std::fprintf(stderr, "vesket: could not ask the daemon to stop: %s\n", error.what());
      result = kExitFailure;
    }
  }
  return result;
}

}  // namespace vesket::daemon
