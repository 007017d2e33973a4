#include "platform/supervisor_service_manager.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QThread>

namespace vesket::platform {
namespace {

bool processAlive(qint64 pid) {
  if (pid <= 0 || ::kill(static_cast<pid_t>(pid), 0) != 0) return false;
  // A zombie has ended.
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return true;
  const QByteArray text = stat.readAll();
  const qsizetype close = text.lastIndexOf(')');
  return close < 0 || close + 2 >= text.size() || text.at(close + 2) != 'Z';
}

// Waits up to `timeoutMs` for `done`, checking every 50 ms.
template <typename Done>
bool waitFor(Done done, int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    if (done()) return true;
    QThread::msleep(50);
  }
  return done();
}

}  // namespace

bool SupervisorServiceManager::supervisorAlive() const {
  const int fd = ::open(QFile::encodeName(lockFile()).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
  ::close(fd);
  return held;
}

QString SupervisorServiceManager::jobFilePath() const {
  return m_paths.daemonDir + QLatin1Char('/') + QLatin1String(SupervisorJobFile::kFileName);
}

std::optional<ServiceJob> SupervisorServiceManager::readJob() const {
  QFile file(jobFilePath());
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return SupervisorJobFile::parse(file.read(1024 * 1024).toStdString());
}

void SupervisorServiceManager::writeJob(const ServiceJob& job) {
  QDir().mkpath(m_paths.daemonDir);
  QSaveFile file(jobFilePath());
  const QByteArray bytes = QByteArray::fromStdString(SupervisorJobFile::render(job));
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    throw ServiceManagerError("cannot write " + jobFilePath().toStdString() + ": " + file.errorString().toStdString());
  }
  QFile::setPermissions(jobFilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

std::pair<qint64, qint64> SupervisorServiceManager::pids() const {
  QFile file(pidFile());
  if (!file.open(QIODevice::ReadOnly)) return {0, 0};
  const QList<QByteArray> words = file.read(256).simplified().split(' ');
  const qint64 supervisor = words.value(0).toLongLong();
  const qint64 daemon = words.size() > 1 ? words.value(1).toLongLong() : 0;
  return {supervisor, daemon};
}

ServiceJobState SupervisorServiceManager::print() const {
  ServiceJobState state;
  state.loaded = supervisorAlive();
  if (state.loaded) {
    const qint64 daemon = pids().second;
    if (processAlive(daemon)) state.pid = daemon;
  }
  return state;
}

bool SupervisorServiceManager::bootstrap() {
  if (supervisorAlive()) return true;
  const auto job = readJob();
  if (!job || job->programArguments.empty()) return false;
  QDir().mkpath(QFileInfo(m_paths.logFile).absolutePath());
  QProcess process;
  process.setProgram(QFile::decodeName(QByteArray::fromStdString(job->programArguments.front())));
  process.setArguments({QStringLiteral("daemon"), QStringLiteral("supervise")});
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(m_paths.logFile, QIODevice::Append);
  process.setStandardErrorFile(m_paths.logFile, QIODevice::Append);
  auto environment = QProcessEnvironment::systemEnvironment();
  for (const auto& [name, value] : job->environment) {
    environment.insert(QString::fromStdString(name), QString::fromStdString(value));
  }
  process.setProcessEnvironment(environment);
  if (!process.startDetached()) return false;
  // Loaded once the supervisor holds its lock (it may also find another one holding it).
  return waitFor([this] { return supervisorAlive(); }, 5000);
}

bool SupervisorServiceManager::bootout() {
  if (!supervisorAlive()) return true;
  const qint64 supervisor = pids().first;
  if (supervisor <= 0 || ::kill(static_cast<pid_t>(supervisor), SIGTERM) != 0) return false;
  // The supervisor passes the signal on and ends once the daemon has.
  return waitFor([this] { return !supervisorAlive(); }, 20000);
}

bool SupervisorServiceManager::kickstart() {
  if (!supervisorAlive()) return bootstrap();
  const qint64 supervisor = pids().first;
  return supervisor > 0 && ::kill(static_cast<pid_t>(supervisor), SIGUSR1) == 0;
}

bool SupervisorServiceManager::removeJob() {
  const bool stopped = bootout();
  const bool removed = !QFileInfo::exists(jobFilePath()) || QFile::remove(jobFilePath());
  return stopped && removed;
}

}  // namespace vesket::platform
