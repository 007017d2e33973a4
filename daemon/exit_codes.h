#pragma once

namespace vesket::daemon {

// Exit codes of `vesket`.
enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,
  kExitUsage = 2,          // bad command line
  kExitAlreadyRunning = 3,  // another daemon serves this product home (never restarted)
  kExitTimedOut = 4,        // inbox ask --wait / inbox wait: no answer in time
  kExitRefused = 5,         // inbox: the relay refused, or the decision was withdrawn
  kExitNotPaired = 6        // inbox: the machine is not paired with a relay account
};

}  // namespace vesket::daemon
