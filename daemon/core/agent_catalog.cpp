#include "daemon/core/agent_catalog.h"

namespace vesket::daemon {

const std::vector<AgentKind>& AgentCatalog::knownKinds() {
  static const std::vector<AgentKind> kinds = {
      {"claude", "Claude Code", {"claude"}},
      {"codex", "Codex", {"codex"}},
      {"cursor", "Cursor", {"cursor-agent", "cursor"}},
      {"gemini", "Gemini", {"gemini", "gemini-cli"}},
      {"agy", "agy", {"agy"}},
      {"codebuddy", "CodeBuddy", {"codebuddy"}},
      {"opencode", "opencode", {"opencode"}},
  };
  return kinds;
}

std::vector<AgentKind> AgentCatalog::discover(
    const std::function<bool(const std::string&)>& isInstalled) {
  std::vector<AgentKind> found;
  for (const AgentKind& kind : knownKinds()) {
    for (const std::string& executable : kind.executables) {
      if (isInstalled(executable)) {
        found.push_back(kind);
        break;
      }
    }
  }
  found.push_back(AgentKind{"shell", "Shell", {}});
  return found;
}

control_plane::AgentConfigReply AgentCatalog::agentConfig(const std::vector<AgentKind>& kinds) {
  control_plane::AgentConfigReply reply;
  for (const AgentKind& kind : kinds) reply.agents.push_back({kind.id, kind.displayName});
  return reply;
}

control_plane::ModelCatalogReply AgentCatalog::modelCatalog(
    const std::vector<AgentKind>& kinds,
    const std::map<std::string, std::map<std::string, std::string>>& observed) {
  control_plane::ServedModelCatalog catalog;
  for (const AgentKind& kind : kinds) {
    if (kind.id == "shell") continue;
    auto& served = catalog.kinds[kind.id];
    if (const auto it = observed.find(kind.id); it != observed.end()) {
      for (const auto& [modelId, label] : it->second) {
        control_plane::ServedModelCatalog::Model model;
        model.id = modelId;
        if (!label.empty()) model.displayName = label;
        model.sources = {"observed"};
        served.models.push_back(std::move(model));
      }
    }
  }
  return {std::move(catalog)};
}

}  // namespace vesket::daemon
