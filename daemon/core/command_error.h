#pragma once

#include <stdexcept>
#include <string>

namespace vesket::daemon {

// A request the daemon cannot carry out: unknown command, bad arguments, a pane that does
// not exist, a tmux command that failed. The message goes back to the client unchanged as
// the reply's `error`, so it names the command and what was wrong.
class CommandError : public std::runtime_error {
 public:
  explicit CommandError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vesket::daemon
