#include "daemon/daemon_log.h"

#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

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
  QDir().mkpath(QFileInfo(path).absolutePath());
  if (QFileInfo(path).size() > 16 * 1024 * 1024) {
    QFile::remove(path + QStringLiteral(".1"));
    QFile::rename(path, path + QStringLiteral(".1"));
  }
  auto* file = new QFile(path);
  const bool opened = file->open(QIODevice::WriteOnly | QIODevice::Append);
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
