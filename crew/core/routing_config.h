#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace vesket::crew {

// How hard a task is; ordered.
enum class RoutingDifficulty { light, standard, heavy };

std::string routingDifficultyRaw(RoutingDifficulty difficulty);
// "light" and "heavy"; anything else reads standard.
RoutingDifficulty routingDifficultyFromRaw(const std::string& raw);
// Only the three raw values; nothing for anything else.
std::optional<RoutingDifficulty> parseRoutingDifficulty(const std::string& raw);

// The agent command-line tools a task can be routed to, in their listed order.
enum class RoutingAgentKind { claude, cursor, codex, agy, codebuddy, opencode };

struct RoutingAgentKindInfo {
  RoutingAgentKind kind;
  const char* raw;
  const char* label;
};
const std::vector<RoutingAgentKindInfo>& routingAgentKinds();
std::string routingAgentKindRaw(RoutingAgentKind kind);
std::string routingAgentKindLabel(RoutingAgentKind kind);
std::optional<RoutingAgentKind> routingAgentKindFromRaw(const std::string& raw);

// One agent kind's share of the routed tasks.
struct RoutingAgentConfig {
  int weight = 0;
  RoutingDifficulty maxDifficulty = RoutingDifficulty::standard;
  bool enabled = false;

  // Lenient: a missing or malformed weight reads 0 (negative ones are raised to 0), a
  // missing or malformed difficulty reads standard, a missing or malformed flag false.
  static RoutingAgentConfig fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const RoutingAgentConfig&, const RoutingAgentConfig&) = default;
};

// The routing rules of one project, or the global ones (project "*").
struct RoutingConfig {
  static constexpr const char* globalProject = "*";

  std::string project = globalProject;
  std::string main = "claude";
  std::map<std::string, RoutingAgentConfig> agents;
  double updatedAt = 0.0;
  std::optional<bool> capabilityFitEnabled;

  // Lenient, as RoutingAgentConfig; a value that is not an object reads as all defaults.
  static RoutingConfig fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  static RoutingConfig defaults(const std::string& project);
  friend bool operator==(const RoutingConfig&, const RoutingConfig&) = default;
};

// Why a body written to the relay is not a routing configuration, or nothing when it is
// one: writes are checked strictly (reads stay lenient for what older writers stored).
std::optional<std::string> routingConfigWriteError(const nlohmann::json& body);

}  // namespace vesket::crew
