#pragma once

#include <QString>

#include "daemon/daemon_paths.h"

namespace vesket::daemon {

// Keeps the daemon running: a systemd user unit where `systemctl --user` works, otherwise
// vesket's own supervisor (`vesket daemon supervise`, detached), which restarts the daemon
// when it dies and ends when the daemon is stopped on purpose.
class ServiceManager {
 public:
  enum class Kind { None, Systemd, Supervisor };

  explicit ServiceManager(DaemonPaths paths) : m_paths(std::move(paths)) {}

  // Whether a systemd user instance answers.
  static bool systemdAvailable();
  static QString unitPath();

  // Which manager currently keeps the daemon (unit active, or a supervisor holding its lock).
  Kind loaded() const;
  bool supervisorAlive() const;

  // Installs and starts the service for `executable`. Messages go to stdout/stderr;
  // returns the exit code.
  int install(const QString& executable) const;
  int uninstall() const;
  // Stops the systemd unit (the daemon is asked to stop through its socket otherwise).
  bool stopSystemdUnit() const;

 private:
  DaemonPaths m_paths;
};

const char* serviceKindName(ServiceManager::Kind kind);

}  // namespace vesket::daemon
