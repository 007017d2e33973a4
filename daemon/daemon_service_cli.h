#pragma once

#include "daemon/core/cli_command.h"
#include "daemon/daemon_paths.h"

namespace vesket::daemon {

// The CLI verbs that install, restart and upgrade the daemon's service. Each prints what it
// did and returns the exit code.
namespace DaemonServiceCli {

// `daemon install-service`: writes the service job for this executable (the path it was
// started by) and this home, loads it (or restarts the daemon when the job changed) and
// waits until the daemon answers.
int installService(const DaemonPaths& paths);
int uninstallService(const DaemonPaths& paths);
// `daemon restart-transaction`: prints the transaction script.
int restartTransaction(const CliCommand& command, const DaemonPaths& paths);
// `daemon health-gate`: exit 0 once a daemon other than --replacing-pid has answered for
// three seconds with the same pid, 1 when none did before the timeout (default 20 s).
int healthGate(const CliCommand& command, const DaemonPaths& paths);
// `daemon auto-attach [--json]`: when the daemon's tmux server has no session and another
// of this user's servers has some, switches the daemon to the one with the most sessions.
int autoAttach(const CliCommand& command, const DaemonPaths& paths);

// The path this program was started by when it is absolute (so that a job names the
// installed path even when that is a launcher in front of the real binary), else the
// program's own file.
QString invokedExecutablePath();

}  // namespace DaemonServiceCli
}  // namespace vesket::daemon
