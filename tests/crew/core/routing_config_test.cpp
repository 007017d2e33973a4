#include "crew/core/routing_config.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace vesket::crew {
namespace {

using D = RoutingDifficulty;

TEST(RoutingConfigTest, AgentEntriesDecodeLeniently) {
  struct Case {
    const char* json;
    RoutingAgentConfig expected;
  };
  const Case cases[] = {
      {R"({"weight": -5})", {0, D::standard, false}},
      {R"({"weight": 40, "maxDifficulty": "heavy", "enabled": true})", {40, D::heavy, true}},
      {R"({"weight": 12.9, "maxDifficulty": "light"})", {12, D::light, false}},
      {R"({"weight": "40", "maxDifficulty": "extreme", "enabled": "yes"})", {0, D::standard, false}},
      {R"({"maxDifficulty": 3, "enabled": 1})", {0, D::standard, false}},
      {R"([1, 2])", {0, D::standard, false}},
      {R"(null)", {0, D::standard, false}},
      {R"({"weight": 1e300})", {1000000, D::standard, false}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RoutingAgentConfig::fromJson(nlohmann::json::parse(c.json)), c.expected) << c.json;
  }
}

TEST(RoutingConfigTest, ConfigsDecodeLenientlyAndEncodeWhatIsThere) {
  const auto empty = RoutingConfig::fromJson(nlohmann::json::parse("{}"));
  EXPECT_EQ(empty.project, "*");
  EXPECT_EQ(empty.main, "claude");
  EXPECT_TRUE(empty.agents.empty());
  EXPECT_EQ(empty.updatedAt, 0.0);
  EXPECT_FALSE(empty.capabilityFitEnabled);
  EXPECT_FALSE(empty.toJson().contains("capabilityFitEnabled"));

  const auto junk = RoutingConfig::fromJson(nlohmann::json::parse(
      R"({"project": 7, "main": null, "agents": [1], "updatedAt": "soon", "capabilityFitEnabled": "no"})"));
  EXPECT_EQ(junk, empty);

  const auto full = RoutingConfig::fromJson(nlohmann::json::parse(
      R"({"project": "web app", "main": "codex", "updatedAt": 17.5, "capabilityFitEnabled": true,
          "agents": {"codex": {"weight": 30, "maxDifficulty": "heavy", "enabled": true}, "claude": {"weight": -1}}})"));
  EXPECT_EQ(full.project, "web app");
  EXPECT_EQ(full.main, "codex");
  EXPECT_EQ(full.agents.at("claude"), (RoutingAgentConfig{0, D::standard, false}));
  EXPECT_EQ(RoutingConfig::fromJson(full.toJson()), full);
  EXPECT_EQ(full.toJson()["capabilityFitEnabled"], true);

  const auto defaults = RoutingConfig::defaults("p");
  EXPECT_EQ(defaults.agents.size(), 6u);
  EXPECT_EQ(defaults.agents.at("claude"), (RoutingAgentConfig{50, D::heavy, true}));
  EXPECT_EQ(defaults.agents.at("cursor"), (RoutingAgentConfig{25, D::heavy, true}));
  EXPECT_EQ(defaults.agents.at("agy"), (RoutingAgentConfig{25, D::heavy, false}));
  EXPECT_EQ(defaults.agents.at("opencode"), (RoutingAgentConfig{15, D::standard, false}));
  EXPECT_LT(D::light, D::standard);
  EXPECT_LT(D::standard, D::heavy);
}

TEST(RoutingConfigTest, WritesAreCheckedStrictly) {
  struct Case {
    const char* json;
    const char* error;  // part of the message; empty for a valid body
  };
  const Case cases[] = {
      {R"({"project": "*", "main": "claude", "agents": {}, "updatedAt": 0})", ""},
      {R"({"project": "a & b", "agents": {"cursor": {"weight": 5, "maxDifficulty": "light", "enabled": false}}})", ""},
      {R"([])", "JSON object"},
      {R"({"main": "claude"})", "'project'"},
      {R"({"project": ""})", "'project'"},
      {R"({"project": "p", "main": "gpt"})", "'main'"},
      {R"({"project": "p", "agents": {"gpt": {"weight": 1, "maxDifficulty": "light", "enabled": true}}})", "unknown agent kind"},
      {R"({"project": "p", "agents": {"codex": {"weight": -1, "maxDifficulty": "light", "enabled": true}}})", "weight"},
      {R"({"project": "p", "agents": {"codex": {"weight": 1.5, "maxDifficulty": "light", "enabled": true}}})", "weight"},
      {R"({"project": "p", "agents": {"codex": {"weight": 1, "maxDifficulty": "hard", "enabled": true}}})", "maxDifficulty"},
      {R"({"project": "p", "agents": {"codex": {"weight": 1, "maxDifficulty": "light"}}})", "enabled"},
      {R"({"project": "p", "agents": []})", "'agents'"},
      {R"({"project": "p", "updatedAt": "now"})", "updatedAt"},
  };
  for (const auto& c : cases) {
    const auto error = routingConfigWriteError(nlohmann::json::parse(c.json));
    if (std::string(c.error).empty()) {
      EXPECT_FALSE(error) << c.json << ": " << error.value_or("");
    } else {
      ASSERT_TRUE(error) << c.json;
      EXPECT_NE(error->find(c.error), std::string::npos) << *error;
    }
  }
}

}  // namespace
}  // namespace vesket::crew
