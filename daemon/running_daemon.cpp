#include "daemon/running_daemon.h"

#include <QFile>
#include <QList>

#include "shell/core/identity_record.h"

namespace vesket::daemon::RunningDaemon {
namespace {
QByteArray readProc(qint64 pid, const char* entry) {
  QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(entry)));
  return file.open(QIODevice::ReadOnly) ? file.read(64 * 1024) : QByteArray();
}
}  // namespace

bool processAlive(qint64 pid) {
  if (pid <= 0) return false;
  // "pid (name) S ...": the state follows the last ')' (the name may hold anything).
  const QByteArray stat = readProc(pid, "stat");
  const qsizetype close = stat.lastIndexOf(')');
  if (close < 0 || close + 2 >= stat.size()) return false;
  const char state = stat.at(close + 2);
  return state != 'Z' && state != 'X';
}

std::optional<qint64> publishedPid(const DaemonPaths& paths) {
  QFile file(paths.identityRecordPath());
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const auto record = shell::IdentityRecord::decode(file.read(64 * 1024).toStdString());
  if (!record || !record->pid || QString::fromStdString(record->home) != paths.home) return std::nullopt;
  const qint64 pid = *record->pid;
  if (!processAlive(pid)) return std::nullopt;
  // A pid the system has since given to another program is not the daemon.
  const QList<QByteArray> argv = readProc(pid, "cmdline").split('\0');
  for (qsizetype i = 0; i + 1 < argv.size(); ++i) {
    if (argv[i] == "daemon" && argv[i + 1] == "start") return pid;
  }
  return std::nullopt;
}

}  // namespace vesket::daemon::RunningDaemon
