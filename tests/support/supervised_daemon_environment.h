#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#include "tests/support/scoped_environment.h"

namespace vesket::testing {

// The environment for a daemon the test installs as a service: the project's own supervisor
// (never the user's systemd), a private runtime directory (0700), the product home, the
// tmux server it must use, a plain shell, and none of the variables a surrounding tmux or
// application would pass on.
inline void useSupervisedDaemonEnvironment(ScopedEnvironment& environment, const QString& runtimeDir,
                                           const QString& productHome, const QString& tmuxSocket) {
  QDir().mkpath(runtimeDir);
  QFile::setPermissions(runtimeDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  environment.set("XDG_RUNTIME_DIR", runtimeDir.toUtf8());
  environment.set("VESKET_HOME", productHome.toUtf8());
  environment.set("VESKET_SERVICE_MANAGER", "supervisor");
  environment.set("VESKET_TMUX_SOCKET", tmuxSocket.toUtf8());
  environment.set("SHELL", "/bin/sh");
  for (const char* name : {"TMUX", "TMUX_PANE", "CONTROL_TOKEN", "VESKET_DAEMON_BIN"}) environment.unset(name);
}

}  // namespace vesket::testing
