#pragma once

// Whether this process is one of the project's own test programs. Test mains mark the
// process before anything else runs; the product home logic then isolates itself from
// the user's real daemon exactly as it does for the test-host environment variables.

namespace vesket::shell {

void markProcessAsTestProgram();
bool isTestProgram();

}  // namespace vesket::shell
