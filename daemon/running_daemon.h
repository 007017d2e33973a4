#pragma once

#include <QtGlobal>
#include <optional>

#include "daemon/daemon_paths.h"

namespace vesket::daemon {

// Finding the daemon that serves a product home without its control socket: the socket
// file may be gone (removed by hand, or by a daemon that once lost its listener) while the
// process lives on, and `daemon status` and `daemon stop` must still find it. The identity
// record the daemon publishes names its pid and home.
namespace RunningDaemon {

// The pid from the identity record when the record is this home's and that process is a
// live `vesket daemon start`; nothing otherwise.
std::optional<qint64> publishedPid(const DaemonPaths& paths);

// Whether the process exists and has not ended (a zombie counts as ended).
bool processAlive(qint64 pid);

}  // namespace RunningDaemon
}  // namespace vesket::daemon
