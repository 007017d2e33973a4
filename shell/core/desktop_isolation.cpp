#include "shell/core/desktop_isolation.h"

#include <algorithm>

#include "shell/core/standardized_path.h"
#include "shell/core/vesket_identity.h"

namespace vesket::shell::DesktopIsolation {

std::string shortStableHash(std::string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char byte : text) {
    hash ^= byte;
    hash *= 1099511628211ull;
  }
  static constexpr char digits[] = "0123456789abcdef";
  std::string hex(12, '0');
  for (int i = 11; i >= 0; --i) {
    hex[static_cast<std::size_t>(i)] = digits[hash & 0xf];
    hash >>= 4;
  }
  return hex;
}

std::optional<Context> deriveContext(const Environment& environment,
                                     std::string_view accountDatabaseHome) {
  if (!VesketIdentity::isolationRequested(environment)) return std::nullopt;

  const std::string realAccountHome = standardizedPath(accountDatabaseHome, {});
  const std::string realProductHome =
      realAccountHome == "/" ? "/.vesket" : realAccountHome + "/.vesket";

  const auto requested = VesketIdentity::explicitEnvHome(environment);
  const std::string requestedHome =
      requested ? standardizedPath(*requested, realAccountHome) : std::string{};

  Context context;
  if (requestedHome.empty() || requestedHome.front() != '/' ||
      pathIsInside(requestedHome, realProductHome)) {
    context.vesketHome = std::string(quarantinePrefix) +
                         shortStableHash(realAccountHome + "\n" + requestedHome) +
                         std::string(quarantineSuffix);
  } else {
    context.vesketHome = requestedHome;
  }

  const auto home = nonEmptyEnvironmentValue(environment, "HOME");
  const std::string environmentHome = home ? standardizedPath(*home, {}) : std::string{};
  if (!environmentHome.empty() && environmentHome.front() == '/' &&
      environmentHome != realAccountHome) {
    context.accountHome = environmentHome;
    context.sealed = true;
  } else {
    context.accountHome = realAccountHome;
    context.sealed = false;
  }

  const std::string homeHash = shortStableHash(context.vesketHome);
  if (context.sealed) context.launchLabel = std::string(testLaunchLabelPrefix) + homeHash;
  context.stateDirectory = context.vesketHome + "/desktop-state";
  context.tmuxSocketDirectory = std::string(scratchPrefix) + homeHash;
  return context;
}

std::string normalStateDirectory(const Environment& environment, std::string_view userHome) {
  // Relative values are invalid per the base-directory rules and are ignored.
  const auto stateHome = nonEmptyEnvironmentValue(environment, "XDG_STATE_HOME");
  if (stateHome && stateHome->front() == '/') return *stateHome + "/vesket";
  return std::string(userHome) + "/.local/state/vesket";
}

std::string_view hostActionName(HostAction action) {
  switch (action) {
    case HostAction::appUpdateInstall: return "appUpdateInstall";
    case HostAction::uninstall: return "uninstall";
    case HostAction::loginItem: return "loginItem";
    case HostAction::skillInstall: return "skillInstall";
    case HostAction::packageInstall: return "packageInstall";
    case HostAction::systemNotification: return "systemNotification";
    case HostAction::daemonServiceInstall: return "daemonServiceInstall";
  }
  return "unknown";
}

bool permits(const std::optional<Context>& context, HostAction /*action*/) {
  return !context.has_value();
}

std::string hostActionRefusalLine(HostAction action) {
  return "[desktop-isolation] host action " + std::string(hostActionName(action)) +
         " REFUSED in isolated mode\n";
}

std::optional<HostAction> hostActionForDaemonCommand(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  const std::string& command = arguments.front();
  if (command == "update") return HostAction::appUpdateInstall;
  if (command == "skills") return HostAction::skillInstall;
  if (command == "uninstall") {
    const bool executes =
        std::find(arguments.begin(), arguments.end(), "--execute") != arguments.end();
    return executes ? std::optional(HostAction::uninstall) : std::nullopt;
  }
  if (command == "daemon" && arguments.size() >= 2 &&
      (arguments[1] == "install-service" || arguments[1] == "restart-transaction")) {
    return HostAction::daemonServiceInstall;
  }
  return std::nullopt;
}

bool permitsDaemonCommand(const std::optional<Context>& context,
                          const std::vector<std::string>& arguments) {
  const auto action = hostActionForDaemonCommand(arguments);
  return !action || permits(context, *action);
}

EnvironmentPlan environmentPlan(const Context& context) {
  EnvironmentPlan plan;
  plan.set = {
      {"HOME", context.accountHome},
      {"TMUX_TMPDIR", context.tmuxSocketDirectory},
      {"VESKET_CLI_LINK_DIRS", context.stateDirectory + "/cli-links"},
  };
  if (context.launchLabel) {
    plan.set.emplace_back("VESKET_HOME", context.vesketHome);
    plan.set.emplace_back("DURNVALE_HOME", context.vesketHome);
    plan.set.emplace_back("VESKET_HOME_INTENTIONAL", "1");
  }
  plan.remove = privateVariables();
  return plan;
}

const std::vector<std::string>& privateVariables() {
  static const std::vector<std::string> names = {"TMUX",          "TMUX_PANE",      "DAEMON_TOKEN", "RELAY_URL",
                                                 "BOARD_PUSH_API", "TASK_BOARD_API", "CONTROL_TOKEN"};
  return names;
}

Environment childEnvironment(const std::optional<Context>& context, Environment environment) {
  if (!context) return environment;
  const auto plan = environmentPlan(*context);
  for (const auto& name : plan.remove) environment.erase(name);
  for (const auto& [name, value] : plan.set) environment[name] = value;
  return environment;
}

std::string launchAgentsDirectory(const Context& context) {
  return context.accountHome + "/Library/LaunchAgents";
}

std::string daemonPlistPath(const Context& context) {
  return launchAgentsDirectory(context) + "/com.vesket.daemon.plist";
}

std::string defaultsSuitePath(const Context& context) {
  return context.stateDirectory + "/preferences";
}

std::string deviceIDPath(const Context& context) { return context.stateDirectory + "/device-id"; }

}  // namespace vesket::shell::DesktopIsolation
