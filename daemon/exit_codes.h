#pragma once

namespace vesket::daemon {

// Exit codes of `vesket`.
enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,
  kExitUsage = 2,          // bad command line
  kExitAlreadyRunning = 3  // another daemon serves this product home (never restarted)
};

}  // namespace vesket::daemon
