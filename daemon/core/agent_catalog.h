#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "control_plane/core/command_results.h"

namespace vesket::daemon {

// One agent kind the daemon knows how to recognise and start.
struct AgentKind {
  std::string id;            // as used in PaneEntry.agentKind
  std::string displayName;
  std::vector<std::string> executables;  // any of these on PATH means the kind is installed

  bool operator==(const AgentKind&) const = default;
};

// The agent kinds found on this machine, for "get-agent-config" and "crew" "models".
struct AgentCatalog {
  static const std::vector<AgentKind>& knownKinds();

  // The known kinds with an executable found by `isInstalled` (given an executable name),
  // in the known order, followed by the plain shell, which is always available.
  static std::vector<AgentKind> discover(const std::function<bool(const std::string&)>& isInstalled);

  // The kinds as "get-agent-config" answers them.
  static control_plane::AgentConfigReply agentConfig(const std::vector<AgentKind>& kinds);

  // The "crew" "models" answer. The daemon ships no model list of its own: a kind's models
  // are the ones seen running in its panes (`observed`, agent kind → model id → display
  // label, possibly empty), marked with source "observed"; the plain shell has none.
  static control_plane::ModelCatalogReply modelCatalog(
      const std::vector<AgentKind>& kinds,
      const std::map<std::string, std::map<std::string, std::string>>& observed);
};

}  // namespace vesket::daemon
