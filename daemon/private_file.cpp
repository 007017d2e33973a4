#include "daemon/private_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QUuid>
#include <cerrno>
#include <cstring>

namespace vesket::daemon::PrivateFile {
namespace {
QString reason(const QString& what, const QString& path, int error) {
  return QStringLiteral("cannot %1 %2: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(error)));
}
}  // namespace

std::optional<QString> write(const QString& path, const QByteArray& bytes) {
  const QByteArray target = QFile::encodeName(path);
  const QByteArray temporary = target + ".tmp-" + QUuid::createUuid().toString(QUuid::Id128).left(12).toLatin1();
  const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return reason(QStringLiteral("create"), path, errno);
  qsizetype done = 0;
  int error = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : EIO;
      break;
    }
    done += n;
  }
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.constData(), target.constData()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.constData());
    return reason(QStringLiteral("write"), path, error);
  }
  return std::nullopt;
}

std::optional<QString> makeDirectory(const QString& path) {
  if (!QDir().mkpath(path)) return reason(QStringLiteral("create"), path, errno);
  if (::chmod(QFile::encodeName(path).constData(), 0700) != 0) return reason(QStringLiteral("protect"), path, errno);
  return std::nullopt;
}

bool restrict(const QString& path) {
  struct stat info {};
  const QByteArray native = QFile::encodeName(path);
  if (::stat(native.constData(), &info) != 0) return false;
  return ::chmod(native.constData(), S_ISDIR(info.st_mode) ? 0700 : 0600) == 0;
}

}  // namespace vesket::daemon::PrivateFile
