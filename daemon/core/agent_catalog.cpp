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

nlohmann::json AgentCatalog::agentConfig(const std::vector<AgentKind>& kinds) {
  nlohmann::json agents = nlohmann::json::array();
  for (const AgentKind& kind : kinds) {
    agents.push_back({{"id", kind.id}, {"displayName", kind.displayName}});
  }
  return {{"agents", agents}};
}

nlohmann::json AgentCatalog::modelCatalog(
    const std::vector<AgentKind>& kinds,
    const std::map<std::string, std::map<std::string, std::string>>& observed) {
  nlohmann::json byKind = nlohmann::json::object();
  for (const AgentKind& kind : kinds) {
    if (kind.id == "shell") continue;
    nlohmann::json models = nlohmann::json::array();
    if (const auto it = observed.find(kind.id); it != observed.end()) {
      for (const auto& [modelId, label] : it->second) {
        nlohmann::json model = {{"id", modelId}, {"sources", {"observed"}}};
        if (!label.empty()) model["displayName"] = label;
        models.push_back(std::move(model));
      }
    }
    byKind[kind.id] = {{"models", models}, {"aliases", nlohmann::json::object()}};
  }
  return {{"catalog", {{"kinds", byKind}}}};
}

}  // namespace vesket::daemon
