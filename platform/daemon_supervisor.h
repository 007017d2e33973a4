#pragma once

#include <QString>

#include "platform/service_manager.h"

namespace vesket::platform {

// `vesket daemon supervise`: the project's own supervisor, used where systemd does not run
// (containers, CI). It holds the supervisor lock (one per product home), runs the command
// line of the job file (default: `<executable> daemon start`) and starts it again when it
// dies or fails, waiting 1 s, then 2, 4 ... up to 30 s between attempts (back to 1 s after a
// minute of good running). The job file is read again before every start, so a daemon
// installed over the old one is what runs next. SIGUSR1 restarts the daemon at once
// (kickstart). It ends when the daemon exits on purpose (exit code 0: `vesket daemon stop`)
// or when it is told to stop itself (SIGTERM, SIGINT, SIGHUP are passed on to the daemon
// first). Its pid file holds its own pid and the daemon's ("0" between two daemons).
// Returns the process exit code.
int runSupervisor(const ServiceJobPaths& paths, const QString& executable);

}  // namespace vesket::platform
