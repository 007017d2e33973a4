#include "control_plane/core/agent_config_entry.h"

#include "control_plane/core/json_codec.h"

namespace vesket::control_plane {

namespace {

constexpr auto kAgentConfigEntry = json_codec::record<AgentConfigEntry>(
    "AgentConfigEntry",
    json_codec::field("id", &AgentConfigEntry::id),
    json_codec::field("displayName", &AgentConfigEntry::displayName));

}  // namespace

AgentConfigEntry AgentConfigEntry::fromJson(const nlohmann::json& json) {
  return kAgentConfigEntry.decode(json);
}
nlohmann::json AgentConfigEntry::toJson() const { return kAgentConfigEntry.encode(*this); }

}  // namespace vesket::control_plane
