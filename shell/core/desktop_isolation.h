#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "shell/core/environment.h"

namespace vesket::shell {

// Isolation mode: a second, sealed copy of the application that runs against its own
// product home and never touches the real daemon, login items or shared settings.
// These are the pure rules; shell/desktop_isolation.h applies them to this process.
namespace DesktopIsolation {

// The isolation context of an isolated instance.
//
// Derivation (`deriveContext`): isolation needs "VESKET_DESKTOP_ISOLATED" = "1".
//  - vesketHome: the explicit home ("VESKET_HOME", else "DURNVALE_HOME"), standardized. When
//    there is none, when it is relative, or when it lies inside the real product home
//    (the account's password-database home + "/.vesket"), a quarantine directory
//    "/tmp/vesket-desktop-quarantine-<hash>/desktop-isolated" is used instead.
//  - accountHome: the environment's "HOME" when it is absolute and differs from the
//    password-database home (a harness gave the instance a home of its own); otherwise the
//    real account home. The instance is `sealed` exactly when its account home is not the
//    real one.
//  - launchLabel: only a sealed instance may run a daemon job of its own, because the job's
//    plist lives in the account home's LaunchAgents directory under the production file
//    name: "com.vesket.daemon.test.<hash of vesketHome>".
//  - stateDirectory: vesketHome + "/desktop-state" (preferences, device id, CLI links).
//  - tmuxSocketDirectory: the scratch directory "/tmp/vesket-iso-<hash of vesketHome>",
//    short enough for socket paths.
struct Context {
  std::string vesketHome;
  std::string accountHome;
  bool sealed = false;
  std::optional<std::string> launchLabel;
  std::string stateDirectory;
  std::string tmuxSocketDirectory;

  bool operator==(const Context&) const = default;
};

inline constexpr std::string_view quarantinePrefix = "/tmp/vesket-desktop-quarantine-";
inline constexpr std::string_view quarantineSuffix = "/desktop-isolated";
inline constexpr std::string_view scratchPrefix = "/tmp/vesket-iso-";
inline constexpr std::string_view testLaunchLabelPrefix = "com.vesket.daemon.test.";

// The isolation context for this environment and password-database home, or nothing for a
// normal instance.
std::optional<Context> deriveContext(const Environment& environment,
                                     std::string_view accountDatabaseHome);

// A short, stable hex digest of `text` (FNV-1a, 48 bits) used to name per-home directories
// and labels.
std::string shortStableHash(std::string_view text);

// Where the desktop application keeps its own state on this platform for a normal instance:
// "$XDG_STATE_HOME/vesket", "$XDG_STATE_HOME" defaulting to userHome + "/.local/state".
std::string normalStateDirectory(const Environment& environment, std::string_view userHome);

// Host actions an isolated instance must never perform.
enum class HostAction {
  appUpdateInstall,
  uninstall,
  loginItem,
  skillInstall,
  packageInstall,
  systemNotification,
  daemonServiceInstall,
};

std::string_view hostActionName(HostAction action);
// True for a normal instance, false for every host action of an isolated one.
bool permits(const std::optional<Context>& context, HostAction action);
// The line logged when an isolated instance refuses `action`, newline included.
std::string hostActionRefusalLine(HostAction action);

// The host action a command line of the `vesket` tool needs, or nothing when it needs none.
std::optional<HostAction> hostActionForDaemonCommand(const std::vector<std::string>& arguments);
bool permitsDaemonCommand(const std::optional<Context>& context,
                          const std::vector<std::string>& arguments);

// The changes made to the environment of an isolated instance's child processes.
struct EnvironmentPlan {
  std::vector<std::pair<std::string, std::string>> set;  // in the order they are set
  std::vector<std::string> remove;                       // in the order they are removed

  bool operator==(const EnvironmentPlan&) const = default;
};

EnvironmentPlan environmentPlan(const Context& context);
// The variables no child of an isolated instance inherits: TMUX and TMUX_PANE (they would
// point it at the user's own tmux server), the tokens and the relay endpoints. The daemon
// keeps them from the tmux servers it starts too, so no pane inherits them.
const std::vector<std::string>& privateVariables();
// `environment` with the plan applied (removals first, then settings); unchanged for a
// normal instance.
Environment childEnvironment(const std::optional<Context>& context, Environment environment);

std::string launchAgentsDirectory(const Context& context);
std::string daemonPlistPath(const Context& context);
std::string defaultsSuitePath(const Context& context);
std::string deviceIDPath(const Context& context);

}  // namespace DesktopIsolation
}  // namespace vesket::shell
