#pragma once

#include <string>
#include <vector>

#include "daemon/daemon_paths.h"

namespace vesket::daemon {

// Runs `vesket crew|agent-group|window ...` against the running daemon and prints the
// answer; the exit code says whether it worked.
int runCrewCli(const std::vector<std::string>& args, const DaemonPaths& paths);

}  // namespace vesket::daemon
