#include "crew/core/routing_config.h"

#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

namespace vesket::crew {

namespace {

const nlohmann::json* member(const nlohmann::json& json, const char* key) {
  if (!json.is_object()) return nullptr;
  const auto it = json.find(key);
  return it == json.end() ? nullptr : &*it;
}

constexpr double kMaxWeight = 1'000'000;

}  // namespace

std::string routingDifficultyRaw(RoutingDifficulty difficulty) {
  switch (difficulty) {
    case RoutingDifficulty::light: return "light";
    case RoutingDifficulty::standard: return "standard";
    case RoutingDifficulty::heavy: return "heavy";
  }
  return "standard";
}

std::optional<RoutingDifficulty> parseRoutingDifficulty(const std::string& raw) {
  if (raw == "light") return RoutingDifficulty::light;
  if (raw == "standard") return RoutingDifficulty::standard;
  if (raw == "heavy") return RoutingDifficulty::heavy;
  return std::nullopt;
}

RoutingDifficulty routingDifficultyFromRaw(const std::string& raw) {
  return parseRoutingDifficulty(raw).value_or(RoutingDifficulty::standard);
}

const std::vector<RoutingAgentKindInfo>& routingAgentKinds() {
  static const std::vector<RoutingAgentKindInfo> kinds = {
      {RoutingAgentKind::claude, "claude", "Claude"},       {RoutingAgentKind::cursor, "cursor", "Cursor"},
      {RoutingAgentKind::codex, "codex", "Codex"},          {RoutingAgentKind::agy, "agy", "AGY"},
      {RoutingAgentKind::codebuddy, "codebuddy", "CodeBuddy"}, {RoutingAgentKind::opencode, "opencode", "OpenCode"},
  };
  return kinds;
}

std::string routingAgentKindRaw(RoutingAgentKind kind) {
  for (const auto& info : routingAgentKinds()) {
    if (info.kind == kind) return info.raw;
  }
  return "claude";
}

std::string routingAgentKindLabel(RoutingAgentKind kind) {
  for (const auto& info : routingAgentKinds()) {
    if (info.kind == kind) return info.label;
  }
  return "Claude";
}

std::optional<RoutingAgentKind> routingAgentKindFromRaw(const std::string& raw) {
  for (const auto& info : routingAgentKinds()) {
    if (raw == info.raw) return info.kind;
  }
  return std::nullopt;
}

RoutingAgentConfig RoutingAgentConfig::fromJson(const nlohmann::json& json) {
  RoutingAgentConfig config;
  if (const auto* weight = member(json, "weight"); weight && weight->is_number()) {
    const double value = weight->get<double>();
    if (std::isfinite(value) && value > 0) config.weight = static_cast<int>(std::min(std::floor(value), kMaxWeight));
  }
  if (const auto* difficulty = member(json, "maxDifficulty"); difficulty && difficulty->is_string()) {
    config.maxDifficulty = routingDifficultyFromRaw(difficulty->get<std::string>());
  }
  if (const auto* enabled = member(json, "enabled"); enabled && enabled->is_boolean()) {
    config.enabled = enabled->get<bool>();
  }
  return config;
}

nlohmann::json RoutingAgentConfig::toJson() const {
  return {{"weight", weight}, {"maxDifficulty", routingDifficultyRaw(maxDifficulty)}, {"enabled", enabled}};
}

RoutingConfig RoutingConfig::fromJson(const nlohmann::json& json) {
  RoutingConfig config;
  if (const auto* project = member(json, "project"); project && project->is_string()) {
    config.project = project->get<std::string>();
  }
  if (const auto* mainKind = member(json, "main"); mainKind && mainKind->is_string()) {
    config.main = mainKind->get<std::string>();
  }
  if (const auto* agents = member(json, "agents"); agents && agents->is_object()) {
    for (const auto& [kind, entry] : agents->items()) config.agents[kind] = RoutingAgentConfig::fromJson(entry);
  }
  if (const auto* updatedAt = member(json, "updatedAt"); updatedAt && updatedAt->is_number()) {
    const double value = updatedAt->get<double>();
    if (std::isfinite(value)) config.updatedAt = value;
  }
  if (const auto* fit = member(json, "capabilityFitEnabled"); fit && fit->is_boolean()) {
    config.capabilityFitEnabled = fit->get<bool>();
  }
  return config;
}

nlohmann::json RoutingConfig::toJson() const {
  nlohmann::json agentsJson = nlohmann::json::object();
  for (const auto& [kind, entry] : agents) agentsJson[kind] = entry.toJson();
  nlohmann::json json = {{"project", project}, {"main", main}, {"agents", agentsJson}, {"updatedAt", updatedAt}};
  if (capabilityFitEnabled) json["capabilityFitEnabled"] = *capabilityFitEnabled;
  return json;
}

RoutingConfig RoutingConfig::defaults(const std::string& project) {
  using D = RoutingDifficulty;
  RoutingConfig config;
  config.project = project;
  config.agents = {
      {"claude", {50, D::heavy, true}},  {"cursor", {25, D::heavy, true}},       {"codex", {15, D::standard, false}},
      {"agy", {25, D::heavy, false}},     {"codebuddy", {15, D::standard, false}}, {"opencode", {15, D::standard, false}},
  };
  return config;
}

std::optional<std::string> routingConfigWriteError(const nlohmann::json& body) {
  if (!body.is_object()) return "the routing configuration must be a JSON object";
  const auto* project = member(body, "project");
  if (!project || !project->is_string() || project->get<std::string>().empty()) return "'project' must be a non-empty string";
  if (project->get<std::string>().size() > 512) return "'project' is longer than 512 characters";
  if (const auto* mainKind = member(body, "main")) {
    if (!mainKind->is_string() || !routingAgentKindFromRaw(mainKind->get<std::string>())) {
      return "'main' must be one of the agent kinds (claude, cursor, codex, agy, codebuddy, opencode)";
    }
  }
  if (const auto* agents = member(body, "agents")) {
    if (!agents->is_object()) return "'agents' must be an object of agent kinds";
    for (const auto& [kind, entry] : agents->items()) {
      if (!routingAgentKindFromRaw(kind)) return "unknown agent kind '" + kind + "' in 'agents'";
      if (!entry.is_object()) return "'agents." + kind + "' must be an object";
      const auto* weight = member(entry, "weight");
      if (!weight || !weight->is_number() || weight->get<double>() < 0 || weight->get<double>() > kMaxWeight ||
          std::floor(weight->get<double>()) != weight->get<double>()) {
        return "'agents." + kind + ".weight' must be a whole number from 0 to 1000000";
      }
      const auto* difficulty = member(entry, "maxDifficulty");
      if (!difficulty || !difficulty->is_string() || !parseRoutingDifficulty(difficulty->get<std::string>())) {
        return "'agents." + kind + ".maxDifficulty' must be light, standard or heavy";
      }
      const auto* enabled = member(entry, "enabled");
      if (!enabled || !enabled->is_boolean()) return "'agents." + kind + ".enabled' must be true or false";
    }
  }
  if (const auto* updatedAt = member(body, "updatedAt"); updatedAt && !updatedAt->is_number()) {
    return "'updatedAt' must be a number";
  }
  if (const auto* fit = member(body, "capabilityFitEnabled"); fit && !fit->is_boolean() && !fit->is_null()) {
    return "'capabilityFitEnabled' must be true or false";
  }
  return std::nullopt;
}

}  // namespace vesket::crew
