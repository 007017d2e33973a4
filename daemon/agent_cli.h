#pragma once

namespace vesket::daemon {

struct CliCommand;
struct DaemonPaths;

// The sub-commands of `vesket` that agents and installers run: the marker commands (ask,
// resolve, signal), the hook reporter, `skills sync` and `uninstall`.
int runAgentCommand(const CliCommand& command, const DaemonPaths& paths);

}  // namespace vesket::daemon
