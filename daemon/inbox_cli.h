#pragma once

#include "daemon/core/inbox_command.h"
#include "daemon/daemon_paths.h"

namespace vesket::daemon {

// Runs `vesket inbox ...` against the relay the machine is paired with (RELAY_URL or
// BOARD_PUSH_API and DAEMON_TOKEN of <home>/daemon/.env). Exit codes: 0 done (for a wait:
// answered), 4 the wait timed out, 5 the relay refused (or the agent's decision was
// withdrawn), 6 the machine is not paired, 1 any other failure.
int runInboxCommand(const InboxCommand& command, const DaemonPaths& paths);

}  // namespace vesket::daemon
