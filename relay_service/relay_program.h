#pragma once

namespace vesket::relay_service {

// main() of `vesket-relay`: parses the command line and serves until SIGTERM or SIGINT,
// or runs an operator's command. Returns the exit code.
int runRelayProgram(int argc, char** argv);

}  // namespace vesket::relay_service
