#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

namespace vesket::control_plane {

// One agent kind the daemon can start.
struct AgentConfigEntry {
  std::string id;  // the agent kind id, as in PaneEntry::agentKind
  std::string displayName;

  static AgentConfigEntry fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const AgentConfigEntry&, const AgentConfigEntry&) = default;
};

}  // namespace vesket::control_plane
