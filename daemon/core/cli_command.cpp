#include "daemon/core/cli_command.h"

#include <fmt/format.h>

namespace vesket::daemon {
namespace {

void rejectExtra(const std::vector<std::string>& args, std::size_t from, const std::string& what) {
  if (args.size() > from) {
    throw CliUsageError(fmt::format("'{}' takes no argument '{}'", what, args[from]));
  }
}

CliCommand parseDaemon(const std::vector<std::string>& args) {
  if (args.size() < 2) throw CliUsageError("'daemon' needs a sub-command: start, status, stop, install-service");
  const std::string& sub = args[1];
  CliCommand command;
  if (sub == "start") {
    command.kind = CliCommand::Kind::DaemonStart;
    for (std::size_t i = 2; i < args.size(); ++i) {
      const std::string& arg = args[i];
      auto value = [&](const std::string& option) -> std::string {
        if (i + 1 >= args.size() || args[i + 1].empty()) {
          throw CliUsageError(fmt::format("'{}' needs a value", option));
        }
        return args[++i];
      };
      if (arg == "--tmux-socket" || arg == "-S") {
        command.tmuxSocketPath = value(arg);
      } else if (arg.rfind("--tmux-socket=", 0) == 0 && arg.size() > 14) {
        command.tmuxSocketPath = arg.substr(14);
      } else if (arg == "-L") {
        command.tmuxSocketName = value(arg);
      } else if (arg == "--foreground") {
        // Serving in the foreground is what `daemon start` always does; accepted for scripts.
      } else {
        throw CliUsageError(fmt::format("unknown option for 'daemon start': '{}'", arg));
      }
    }
    if (command.tmuxSocketPath && command.tmuxSocketName) {
      throw CliUsageError("'--tmux-socket' and '-L' cannot be used together");
    }
    if (command.tmuxSocketName && command.tmuxSocketName->find('/') != std::string::npos) {
      throw CliUsageError("'-L' takes a socket name without '/'; use --tmux-socket for a path");
    }
    return command;
  }
  if (sub == "status") command.kind = CliCommand::Kind::DaemonStatus;
  else if (sub == "stop") command.kind = CliCommand::Kind::DaemonStop;
  else if (sub == "install-service") command.kind = CliCommand::Kind::DaemonInstallService;
  else if (sub == "uninstall-service") command.kind = CliCommand::Kind::DaemonUninstallService;
  else if (sub == "supervise") command.kind = CliCommand::Kind::DaemonSupervise;
  else throw CliUsageError(fmt::format("unknown daemon sub-command '{}'", sub));
  rejectExtra(args, 2, "daemon " + sub);
  return command;
}

}  // namespace

CliCommand CliCommand::parse(const std::vector<std::string>& args) {
  CliCommand command;
  if (args.empty()) throw CliUsageError("no command given");
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || first == "help") {
    rejectExtra(args, 1, first);
    return command;
  }
  if (first == "--version" || first == "version") {
    rejectExtra(args, 1, first);
    command.kind = Kind::Version;
    return command;
  }
  if (first == "daemon") return parseDaemon(args);
  if (first == "panes") {
    command.kind = Kind::Panes;
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "--json") command.json = true;
      else throw CliUsageError(fmt::format("unknown option for 'panes': '{}'", args[i]));
    }
    return command;
  }
  throw CliUsageError(fmt::format("unknown command '{}'", first));
}

std::string CliCommand::helpText() {
  return "usage: vesket <command>\n"
         "\n"
         "  daemon start [--tmux-socket PATH | -L NAME]\n"
         "                          serve the control socket in the foreground; tmux server:\n"
         "                          PATH, the private server NAME, $VESKET_TMUX_SOCKET, or\n"
         "                          the user's default server\n"
         "  daemon status           print the daemon's state as 'key : value' lines\n"
         "  daemon stop             stop the running daemon and wait until it is gone\n"
         "  daemon install-service  keep the daemon running (systemd user unit, or\n"
         "                          vesket's own supervisor where systemd does not run)\n"
         "  daemon uninstall-service  remove that service and stop the daemon\n"
         "  panes [--json]          list the live tmux panes (JSON array with --json)\n"
         "  --version               print build facts (built:, commits:, sha:)\n"
         "  --help                  print this text\n"
         "\n"
         "The product home is $VESKET_HOME (or $DURNVALE_HOME, or ~/.vesket); the control\n"
         "socket is <home>/daemon/control.sock.\n";
}

}  // namespace vesket::daemon
