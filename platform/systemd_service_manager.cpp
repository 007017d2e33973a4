#include "platform/systemd_service_manager.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace vesket::platform {
namespace {

struct SystemctlResult {
  int exitCode = -1;  // -1: could not run or did not finish
  QString output;
};

SystemctlResult systemctl(const QStringList& args, int timeoutMs = 15000) {
  SystemctlResult result;
  QProcess process;
  process.setProcessChannelMode(QProcess::SeparateChannels);
  process.start(QStringLiteral("systemctl"), QStringList{QStringLiteral("--user")} + args);
  if (!process.waitForStarted(3000)) return result;
  if (!process.waitForFinished(timeoutMs)) {
    process.kill();
    process.waitForFinished(1000);
    return result;
  }
  result.output = QString::fromUtf8(process.readAllStandardOutput());
  if (process.exitStatus() == QProcess::NormalExit) result.exitCode = process.exitCode();
  return result;
}

const QString kUnit = QString::fromLatin1(SystemdUnit::kName);

}  // namespace

bool SystemdServiceManager::available() {
  if (QStandardPaths::findExecutable(QStringLiteral("systemctl")).isEmpty()) return false;
  return systemctl({QStringLiteral("show-environment")}, 3000).exitCode == 0;
}

QString SystemdServiceManager::jobFilePath() const {
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
  return config + QStringLiteral("/systemd/user/") + kUnit;
}

std::optional<ServiceJob> SystemdServiceManager::readJob() const {
  QFile file(jobFilePath());
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return SystemdUnit::parse(file.read(1024 * 1024).toStdString());
}

void SystemdServiceManager::writeJob(const ServiceJob& job) {
  const QString path = jobFilePath();
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  const QByteArray unit = QByteArray::fromStdString(SystemdUnit::render(job));
  if (!file.open(QIODevice::WriteOnly) || file.write(unit) != unit.size() || !file.commit()) {
    throw ServiceManagerError("cannot write " + path.toStdString() + ": " + file.errorString().toStdString());
  }
  if (systemctl({QStringLiteral("daemon-reload")}).exitCode != 0) {
    throw ServiceManagerError("systemctl --user daemon-reload failed");
  }
}

ServiceJobState SystemdServiceManager::print() const {
  ServiceJobState state;
  const auto shown = systemctl({QStringLiteral("show"), QStringLiteral("-p"), QStringLiteral("ActiveState"),
                                QStringLiteral("-p"), QStringLiteral("MainPID"), kUnit},
                               5000);
  if (shown.exitCode != 0) return state;
  for (const QString& line : shown.output.split('\n')) {
    if (line.startsWith(QStringLiteral("ActiveState="))) {
      const QString active = line.mid(12).trimmed();
      state.loaded = active == QStringLiteral("active") || active == QStringLiteral("activating") ||
                     active == QStringLiteral("reloading");
    } else if (line.startsWith(QStringLiteral("MainPID="))) {
      bool ok = false;
      const qint64 pid = line.mid(8).trimmed().toLongLong(&ok);
      if (ok && pid > 0) state.pid = pid;
    }
  }
  return state;
}

bool SystemdServiceManager::bootstrap() {
  if (!QFileInfo::exists(jobFilePath())) return false;
  // A unit that failed too often refuses to start until its failure is forgotten.
  systemctl({QStringLiteral("reset-failed"), kUnit});
  return systemctl({QStringLiteral("enable"), QStringLiteral("--now"), kUnit}).exitCode == 0;
}

bool SystemdServiceManager::bootout() {
  if (systemctl({QStringLiteral("stop"), kUnit}, 30000).exitCode != 0) return false;
  return !print().loaded;
}

bool SystemdServiceManager::kickstart() {
  systemctl({QStringLiteral("reset-failed"), kUnit});
  return systemctl({QStringLiteral("restart"), kUnit}, 30000).exitCode == 0;
}

bool SystemdServiceManager::removeJob() {
  systemctl({QStringLiteral("disable"), QStringLiteral("--now"), kUnit}, 30000);
  const bool removed = !QFileInfo::exists(jobFilePath()) || QFile::remove(jobFilePath());
  systemctl({QStringLiteral("daemon-reload")});
  return removed;
}

}  // namespace vesket::platform
