#include "daemon/core/cli_command.h"

#include <algorithm>
#include <cctype>

#include <fmt/format.h>

#include "daemon/core/inbox_command.h"
#include "daemon/core/marker_line.h"
#include "daemon/core/relay_link_settings.h"

namespace vesket::daemon {
namespace {

void rejectExtra(const std::vector<std::string>& args, std::size_t from, const std::string& what) {
  if (args.size() > from) {
    throw CliUsageError(fmt::format("'{}' takes no argument '{}'", what, args[from]));
  }
}

CliCommand parseDaemonUpgradeVerb(const std::vector<std::string>& args);

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
  if (sub == "restart-transaction" || sub == "health-gate" || sub == "auto-attach") {
    return parseDaemonUpgradeVerb(args);
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

// Reads `--name VALUE` and `--name=VALUE` options of one sub-command.
class OptionReader {
 public:
  OptionReader(const std::vector<std::string>& args, std::size_t from, std::string command)
      : m_args(args), m_index(from), m_command(std::move(command)) {}

  bool done() const { return m_index >= m_args.size(); }
  const std::string& peek() const { return m_args[m_index]; }
  std::string next() { return m_args[m_index++]; }

  // True (and `value` set) when the current argument is `name`, with its value.
  bool take(const std::string& name, std::string& value) {
    const std::string& arg = m_args[m_index];
    if (arg == name) {
      if (m_index + 1 >= m_args.size()) throw CliUsageError(fmt::format("'{}' needs a value", name));
      value = m_args[m_index + 1];
      m_index += 2;
      return true;
    }
    if (arg.rfind(name + "=", 0) == 0) {
      value = arg.substr(name.size() + 1);
      ++m_index;
      return true;
    }
    return false;
  }
  bool flag(const std::string& name) {
    if (m_args[m_index] != name) return false;
    ++m_index;
    return true;
  }
  [[noreturn]] void unknown() const {
    throw CliUsageError(fmt::format("unknown argument for '{}': '{}'", m_command, m_args[m_index]));
  }

 private:
  const std::vector<std::string>& m_args;
  std::size_t m_index;
  std::string m_command;
};

void checkId(const std::string& id) {
  if (!MarkerLine::isValidId(id)) {
    throw CliUsageError(fmt::format("the id '{}' may hold only letters, digits, '_' and '-'", id));
  }
}

CliCommand parseAsk(const std::vector<std::string>& args) {
  CliCommand command;
  command.kind = CliCommand::Kind::Ask;
  OptionReader reader(args, 1, "ask");
  bool haveQuestion = false;
  while (!reader.done()) {
    std::string value;
    if (reader.take("--option", value) || reader.take("-o", value)) {
      command.options.push_back(value);
    } else if (reader.take("--style", value)) {
      if (!MarkerLine::isStyle(value)) {
        std::string known;
        for (const auto& style : MarkerLine::styles()) known += (known.empty() ? "" : ", ") + style;
        throw CliUsageError(fmt::format("unknown style '{}'; the styles are {}", value, known));
      }
      command.style = value;
    } else if (reader.take("--id", value)) {
      checkId(value);
      command.id = value;
    } else if (!haveQuestion && (reader.peek().empty() || reader.peek()[0] != '-' || reader.peek() == "-")) {
      command.question = reader.next();
      haveQuestion = true;
    } else {
      reader.unknown();
    }
  }
  if (command.question.find_first_not_of(" \t\r\n") == std::string::npos) {
    throw CliUsageError("'ask' needs the question, e.g. vesket ask \"Deploy now?\" --option Yes --option No");
  }
  return command;
}

CliCommand parseSignal(const std::vector<std::string>& args) {
  CliCommand command;
  command.kind = CliCommand::Kind::Signal;
  if (args.size() < 2 || (args[1] != "needs-you" && args[1] != "done")) {
    throw CliUsageError("'signal' needs 'needs-you' or 'done'");
  }
  command.signalState = args[1];
  OptionReader reader(args, 2, "signal " + args[1]);
  while (!reader.done()) {
    std::string value;
    if (command.signalState == "needs-you" && reader.take("--kind", value)) {
      const auto& kinds = MarkerLine::signalKinds();
      if (std::find(kinds.begin(), kinds.end(), value) == kinds.end()) {
        throw CliUsageError(fmt::format("unknown kind '{}'; use approval, review, question or go-ahead", value));
      }
      command.signalKind = value;
    } else if (command.signalState == "needs-you" && reader.take("--reason", value)) {
      command.reason = value;
    } else if (reader.take("--id", value)) {
      checkId(value);
      command.id = value;
    } else {
      reader.unknown();
    }
  }
  return command;
}

std::int64_t parseCount(const std::string& option, const std::string& value, std::int64_t least) {
  std::size_t used = 0;
  std::int64_t number = 0;
  try {
    number = std::stoll(value, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used != value.size() || value.empty() || !std::isdigit(static_cast<unsigned char>(value[0])) ||
      number < least) {
    throw CliUsageError(fmt::format("'{}' takes a whole number of at least {}, not '{}'", option, least, value));
  }
  return number;
}

// daemon restart-transaction --daemon-bin PATH --previous-bin PATH
// daemon health-gate [--replacing-pid PID] [--timeout-ms MS]
// daemon auto-attach [--json]
CliCommand parseDaemonUpgradeVerb(const std::vector<std::string>& args) {
  const std::string& sub = args[1];
  CliCommand command;
  OptionReader reader(args, 2, "daemon " + sub);
  std::string value;
  if (sub == "restart-transaction") {
    command.kind = CliCommand::Kind::DaemonRestartTransaction;
    while (!reader.done()) {
      if (reader.take("--daemon-bin", value)) command.daemonBin = value;
      else if (reader.take("--previous-bin", value)) command.previousBin = value;
      else reader.unknown();
    }
    for (const auto& [option, path] : {std::pair{"--daemon-bin", &command.daemonBin},
                                       std::pair{"--previous-bin", &command.previousBin}}) {
      if (!*path || (*path)->empty() || (*path)->front() != '/') {
        throw CliUsageError(fmt::format("'daemon restart-transaction' needs {} with an absolute path", option));
      }
    }
    if (*command.daemonBin == *command.previousBin) {
      throw CliUsageError("'--previous-bin' must differ from '--daemon-bin'");
    }
  } else if (sub == "health-gate") {
    command.kind = CliCommand::Kind::DaemonHealthGate;
    while (!reader.done()) {
      if (reader.take("--replacing-pid", value)) command.replacingPid = parseCount("--replacing-pid", value, 0);
      else if (reader.take("--timeout-ms", value)) command.timeoutMs = parseCount("--timeout-ms", value, 1);
      else reader.unknown();
    }
  } else {
    command.kind = CliCommand::Kind::DaemonAutoAttach;
    while (!reader.done()) {
      if (reader.flag("--json")) command.json = true;
      else reader.unknown();
    }
  }
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
  if (first == "update") {
    rejectExtra(args, 1, first);
    command.kind = Kind::Update;
    return command;
  }
  if (first == "ask") return parseAsk(args);
  if (first == "resolve") {
    if (args.size() != 2) throw CliUsageError("'resolve' takes the id that 'vesket ask' printed");
    checkId(args[1]);
    command.kind = Kind::Resolve;
    command.id = args[1];
    return command;
  }
  if (first == "signal") return parseSignal(args);
  if (first == "hook") {
    if (args.size() != 2 || args[1] != "claude") throw CliUsageError("'hook' takes the agent: vesket hook claude");
    command.kind = Kind::Hook;
    command.hookAgent = args[1];
    return command;
  }
  if (first == "skills") {
    if (args.size() < 2 || args[1] != "sync") throw CliUsageError("'skills' needs a sub-command: sync");
    command.kind = Kind::SkillsSync;
    for (std::size_t i = 2; i < args.size(); ++i) {
      if (args[i] == "--force") command.force = true;
      else throw CliUsageError(fmt::format("unknown option for 'skills sync': '{}'", args[i]));
    }
    return command;
  }
  if (first == "relay-pair") {
    command.kind = Kind::RelayPair;
    OptionReader reader(args, 1, "relay-pair");
    std::string value;
    while (!reader.done()) {
      if (reader.take("--relay", value)) command.relayUrl = value;
      else if (reader.take("--token", value)) command.daemonToken = value;
      else if (reader.take("--code", value)) command.pairingCode = value;
      else reader.unknown();
    }
    if (command.relayUrl.empty()) throw CliUsageError("'relay-pair' needs --relay URL");
    std::string problem;
    if (!RelayPairingLines::relayBase(command.relayUrl, &problem)) {
      throw CliUsageError(fmt::format("'relay-pair --relay {}': {}", command.relayUrl, problem));
    }
    if (command.daemonToken.has_value() == command.pairingCode.has_value()) {
      throw CliUsageError("'relay-pair' needs either --token TOKEN or --code CODE");
    }
    return command;
  }
  if (first == "inbox") {
    command.kind = Kind::Inbox;
    command.inboxArgs.assign(args.begin() + 1, args.end());
    InboxCommand::parse(command.inboxArgs);  // refuses a bad command line here
    return command;
  }
  if (first == "uninstall") {
    command.kind = Kind::Uninstall;
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "--dry-run") command.dryRun = true;
      else if (args[i] == "--execute") command.execute = true;
      else throw CliUsageError(fmt::format("unknown option for 'uninstall': '{}'", args[i]));
    }
    if (command.dryRun && command.execute) throw CliUsageError("'--dry-run' and '--execute' exclude each other");
    if (!command.execute) command.dryRun = true;
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
         "  daemon restart-transaction --daemon-bin PATH --previous-bin PATH\n"
         "                          print the script that swaps in the staged daemon\n"
         "                          (vesket.upgrade-tmp beside PATH), restarts the service and\n"
         "                          puts the previous binary back when the new daemon fails\n"
         "                          its health gate\n"
         "  daemon health-gate [--replacing-pid PID] [--timeout-ms MS]\n"
         "                          wait until a daemon other than PID answers and keeps\n"
         "                          answering; exit 1 when none does in time\n"
         "  daemon auto-attach [--json]\n"
         "                          point the daemon at the tmux server that has sessions\n"
         "  panes [--json]          list the live tmux panes (JSON array with --json)\n"
         "  ask QUESTION [--option TEXT]... [--style STYLE] [--id ID]\n"
         "                          print the marker that shows QUESTION in Vesket (options\n"
         "                          as 'value: label' or plain text), then its id\n"
         "  resolve ID              print the marker that ends the question ID\n"
         "  signal needs-you [--kind KIND] [--reason TEXT] [--id ID] | signal done [--id ID]\n"
         "                          print a team member's signal to its lead\n"
         "  hook claude             report a Claude Code hook event (JSON on standard input)\n"
         "  skills sync [--force]   install or update the agents' Vesket instructions and\n"
         "                          Claude Code's hooks (--force replaces your edits)\n"
         "  relay-pair --relay URL (--token TOKEN | --code CODE)\n"
         "                          pair the running daemon with a relay account: save the\n"
         "                          daemon token (or redeem a pairing code made on a signed-in\n"
         "                          device) into <home>/daemon/.env and link at once\n"
         "  inbox post TEXT | ask QUESTION --option A --option B [--wait [--timeout S]] |\n"
         "        wait ID [--timeout S] | notify TITLE [--body TEXT] | file PATH\n"
         "                          post into the account's inbox through the relay (the\n"
         "                          thread of $TMUX_PANE, --pane %N or --thread NAME); 'ask'\n"
         "                          prints the decision's id and, with --wait, the chosen\n"
         "                          option (exit 4 timed out, 5 refused, 6 not paired)\n"
         "  uninstall [--dry-run | --execute]\n"
         "                          list (default) or put back every change Vesket made to\n"
         "                          other programs' files\n"
         "  update                  install the newest stable release (application and\n"
         "                          daemon) from the release catalog, when it is newer and\n"
         "                          its release signature verifies\n"
         "  --version               print build facts (built:, commits:, sha:)\n"
         "  --help                  print this text\n"
         "\n"
         "The product home is $VESKET_HOME (or $DURNVALE_HOME, or ~/.vesket); the control\n"
         "socket is <home>/daemon/control.sock.\n";
}

}  // namespace vesket::daemon
