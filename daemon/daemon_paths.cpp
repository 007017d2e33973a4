#include "daemon/daemon_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "control_plane/control_token.h"
#include "shell/core/identity_record.h"
#include "shell/core/vesket_identity.h"

namespace vesket::daemon {

DaemonPaths DaemonPaths::fromEnvironment() {
  shell::HostFacts host;
  for (const char* name : {"VESKET_HOME", "DURNVALE_HOME"}) {
    if (qEnvironmentVariableIsSet(name)) host.environment[name] = qEnvironmentVariable(name).toStdString();
  }
  host.userHome = QDir::homePath().toStdString();
  DaemonPaths paths;
  paths.userHome = QString::fromStdString(host.userHome);
  paths.home = QString::fromStdString(shell::VesketIdentity::productHome(host));
  return paths;
}

QString DaemonPaths::logDir() const {
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  if (state.isEmpty()) state = userHome + QStringLiteral("/.local/state");
  return state + QStringLiteral("/vesket/logs");
}

QString DaemonPaths::identityRecordPath() const {
  return QString::fromStdString(shell::IdentityRecord::pathFor(userHome.toStdString()));
}

QString requiredControlToken(const DaemonPaths& paths) {
  return QString::fromStdString(control_plane::controlTokenForHome(paths.home.toStdString()).value_or(""));
}

}  // namespace vesket::daemon

namespace vesket::daemon {

std::optional<QString> controlTokenFileProblem(const DaemonPaths& paths) {
  if (!qEnvironmentVariableIsEmpty("CONTROL_TOKEN")) return std::nullopt;
  struct stat info {};
  if (::stat(QFile::encodeName(paths.tokenFile()).constData(), &info) != 0) return std::nullopt;
  if (info.st_uid != ::getuid()) {
    return QStringLiteral("%1 belongs to another account; the control token must be this account's own")
        .arg(paths.tokenFile());
  }
  if ((info.st_mode & 077) != 0) {
    return QStringLiteral("%1 can be read or written by other accounts (mode %2); make it private with: chmod 600 %1")
        .arg(paths.tokenFile())
        .arg(info.st_mode & 0777, 4, 8, QLatin1Char('0'));
  }
  return std::nullopt;
}

}  // namespace vesket::daemon
