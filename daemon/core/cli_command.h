#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vesket::daemon {

// A command line of `vesket` that makes sense; anything else is a CliUsageError (exit 2).
struct CliCommand {
  enum class Kind {
    Help,
    Version,
    DaemonStart,             // serve in the foreground
    DaemonStatus,
    DaemonStop,
    DaemonInstallService,
    DaemonUninstallService,
    DaemonSupervise,         // the project's own supervisor: keeps `daemon start` running
    Panes,
  };

  Kind kind = Kind::Help;
  std::optional<std::string> tmuxSocketPath;  // daemon start --tmux-socket PATH (or -S PATH)
  std::optional<std::string> tmuxSocketName;  // daemon start -L NAME
  bool json = false;                          // panes --json

  bool operator==(const CliCommand&) const = default;

  // `args` excludes the program name.
  static CliCommand parse(const std::vector<std::string>& args);
  static std::string helpText();
};

class CliUsageError : public std::runtime_error {
 public:
  explicit CliUsageError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vesket::daemon
