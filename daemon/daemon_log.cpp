#include "daemon/daemon_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include "daemon/private_file.h"

namespace vesket::daemon::DaemonLog {
namespace {

QMutex g_mutex;
QFile* g_file = nullptr;  // owned for the life of the process
bool g_echo = false;

void handler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  const char* level = "info";
  switch (type) {
    case QtDebugMsg: level = "debug"; break;
    case QtInfoMsg: level = "info"; break;
    case QtWarningMsg: level = "warning"; break;
    case QtCriticalMsg: level = "error"; break;
    case QtFatalMsg: level = "fatal"; break;
  }
  const QByteArray line = QStringLiteral("%1 %2 %3\n")
                              .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs),
                                   QLatin1String(level), message)
                              .toUtf8();
  QMutexLocker lock(&g_mutex);
  if (g_file != nullptr) {
    g_file->write(line);
    g_file->flush();
  }
  if (g_echo || g_file == nullptr) {
    const ssize_t ignored = ::write(STDERR_FILENO, line.constData(), static_cast<size_t>(line.size()));
    (void)ignored;
  }
}

}  // namespace

bool install(const QString& path) {
  // The log names panes, directories and commands: it is the account's alone, like the
  // "vesket" state directory it lives in.
  const QString logDir = QFileInfo(path).absolutePath();
  PrivateFile::makeDirectory(logDir);
  PrivateFile::restrict(QFileInfo(logDir).absolutePath());
  if (QFileInfo(path).size() > 16 * 1024 * 1024) {
    QFile::remove(path + QStringLiteral(".1"));
    QFile::rename(path, path + QStringLiteral(".1"));
  }
  auto* file = new QFile(path);
  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  const bool opened = fd >= 0 && ::fchmod(fd, 0600) == 0 &&
                      file->open(fd, QIODevice::WriteOnly | QIODevice::Append, QFileDevice::AutoCloseHandle);
  if (!opened && fd >= 0) ::close(fd);
  {
    QMutexLocker lock(&g_mutex);
    if (opened) {
      g_file = file;
    } else {
      delete file;
    }
    g_echo = ::isatty(STDERR_FILENO) != 0;
  }
  qInstallMessageHandler(handler);
  return opened;
}

}  // namespace vesket::daemon::DaemonLog
