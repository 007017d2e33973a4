#pragma once

#include <cstdint>
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
    DaemonRestartTransaction,  // print the script that swaps in a new daemon with rollback
    DaemonHealthGate,        // wait until a new daemon answers and keeps answering
    DaemonAutoAttach,        // point the daemon at the tmux server that has sessions
    Panes,
    Ask,         // print an approval marker (and the id)
    Resolve,     // print the resolved marker of an approval
    Signal,      // print a team signal: needs-you or done
    Hook,        // an agent's hook reports to the daemon (event JSON on standard input)
    SkillsSync,  // install or update the agents' instructions and hooks
    Uninstall,   // put back what the install manifest records
    RelayPair,   // save a pairing with a relay account (a daemon token, or a short code to redeem)
    Inbox,       // post into the account's inbox through the relay (inbox_command.h)
    Update,      // install the newest signed release of the application and the daemon
  };

  Kind kind = Kind::Help;
  std::optional<std::string> tmuxSocketPath;  // daemon start --tmux-socket PATH (or -S PATH)
  std::optional<std::string> tmuxSocketName;  // daemon start -L NAME
  bool json = false;                          // panes --json

  // ask QUESTION [--option TEXT]... [--style STYLE] [--id ID]; resolve ID; signal ...
  std::string question;
  std::vector<std::string> options;
  std::optional<std::string> style;
  std::optional<std::string> id;
  std::string signalState;                  // "needs-you" or "done"
  std::optional<std::string> signalKind;    // signal needs-you --kind KIND
  std::string reason;                       // signal needs-you --reason TEXT
  std::string hookAgent;                    // hook claude
  bool force = false;                       // skills sync --force
  bool dryRun = false;                      // uninstall --dry-run (also without --execute)
  bool execute = false;                     // uninstall --execute
  std::optional<std::string> daemonBin;     // restart-transaction --daemon-bin PATH
  std::optional<std::string> previousBin;   // restart-transaction --previous-bin PATH
  std::optional<std::int64_t> replacingPid;  // health-gate --replacing-pid PID
  std::optional<std::int64_t> timeoutMs;    // health-gate --timeout-ms MS
  std::string relayUrl;                     // relay-pair --relay URL
  std::optional<std::string> daemonToken;   // relay-pair --token TOKEN
  std::optional<std::string> pairingCode;   // relay-pair --code CODE
  std::vector<std::string> inboxArgs;       // inbox ...: the arguments after "inbox"

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
