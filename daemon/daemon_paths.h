#pragma once

#include "control_plane/control_token.h"

#include <QString>
#include <optional>

#include "platform/service_manager.h"

namespace vesket::daemon {

// Every file the daemon and its CLI use, derived from the product home. The daemon uses
// the home its environment names (VESKET_HOME, DURNVALE_HOME, else ~/.vesket): it is the
// one that publishes where it runs, so it never follows someone else's identity record.
struct DaemonPaths {
  QString home;        // the product home
  QString userHome;    // the account's home directory ($HOME)

  static DaemonPaths fromEnvironment();

  QString daemonDir() const { return home + QStringLiteral("/daemon"); }
  QString socketPath() const { return daemonDir() + QStringLiteral("/control.sock"); }
  QString envFile() const { return daemonDir() + QStringLiteral("/.env"); }
  // A control token the daemon requires when the file exists (and CONTROL_TOKEN is unset).
  QString tokenFile() const { return QString::fromStdString(control_plane::controlTokenFile(home.toStdString())); }
  QString lockFile() const { return daemonDir() + QStringLiteral("/daemon.lock"); }
  QString installIdFile() const { return daemonDir() + QStringLiteral("/install-id"); }
  QString tmuxSourceFile() const { return daemonDir() + QStringLiteral("/tmux-source"); }
  // The agents' root folder, one line (AgentRoot).
  QString agentRootFile() const { return home + QStringLiteral("/agent-root"); }
  QString imagesDir() const { return home + QStringLiteral("/images"); }
  // Files sent to panes from other machines, one folder per file.
  QString filesDir() const { return home + QStringLiteral("/files"); }
  // Uploads arriving in parts, until a command takes them.
  QString uploadsDir() const { return home + QStringLiteral("/uploads"); }
  QString binPath() const { return home + QStringLiteral("/bin/vesket"); }
  // "$XDG_STATE_HOME/vesket/logs" (default ~/.local/state/vesket/logs).
  QString logDir() const;
  QString logFile() const { return logDir() + QStringLiteral("/daemon-stdout.log"); }
  // The identity record in the user's home directory.
  QString identityRecordPath() const;
  // What the service manager needs to keep this home's daemon running.
  platform::ServiceJobPaths serviceJobPaths() const { return {home, daemonDir(), logFile()}; }
};

// The control token clients must present: CONTROL_TOKEN when set and not empty, else the
// trimmed contents of the token file when it exists and is not empty, else none (empty).
QString requiredControlToken(const DaemonPaths& paths);

// Why the token file must not be used, when it can: it is a secret only while no other
// account can read or write it. Nothing when the file is private or absent, or when
// CONTROL_TOKEN takes its place.
std::optional<QString> controlTokenFileProblem(const DaemonPaths& paths);

}  // namespace vesket::daemon
