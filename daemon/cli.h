#pragma once

namespace vesket::daemon {

// The `vesket` command line: parses the arguments and runs the command. Returns the exit
// code (2 for a bad command line).
int runCli(int argc, char** argv);

}  // namespace vesket::daemon
