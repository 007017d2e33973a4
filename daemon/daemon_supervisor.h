#pragma once

#include <QString>

#include "daemon/daemon_paths.h"

namespace vesket::daemon {

// `vesket daemon supervise`: the small supervisor used where systemd does not run
// (containers, CI). It holds the supervisor lock (one per product home), runs
// `<executable> daemon start` and starts it again when it dies or fails, waiting 1 s, then
// 2, 4 ... up to 30 s between attempts (back to 1 s after a minute of good running). It
// ends when the daemon exits on purpose (exit code 0: `vesket daemon stop`) or when it is
// told to stop itself (SIGTERM, SIGINT, SIGHUP are passed on to the daemon first).
// Returns the process exit code.
int runSupervisor(const DaemonPaths& paths, const QString& executable);

}  // namespace vesket::daemon
