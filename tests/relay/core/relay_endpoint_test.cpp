#include <gtest/gtest.h>

#include "relay/core/relay_endpoint.h"

namespace vesket::relay {
namespace {

using RelayLatencyRacer::Probe;
const RelayFixedBases kFixed{"https://relay.example", "https://mirror.example"};

TEST(RelayEndpointTest, BasesLabelsAndTrailingSlash) {
  EXPECT_EQ(RelayEndpoint::custom("http://host:8787/").baseURL(kFixed), "http://host:8787");
  EXPECT_EQ(RelayEndpoint::custom("http://host:8787//").baseURL(kFixed), "http://host:8787/");  // one only
  EXPECT_EQ(RelayLatencyRacer::endpointForBase("https://relay.example/", kFixed), RelayEndpoint::global());
  EXPECT_EQ(RelayLatencyRacer::endpointForBase("https://mirror.example", kFixed), RelayEndpoint::china());
  EXPECT_EQ(RelayLatencyRacer::endpointForBase("http://127.0.0.1:9", kFixed).label(), "custom");
  EXPECT_EQ(RelayEndpoint::fromLabel("custom", "http://a/"), RelayEndpoint::custom("http://a"));
  EXPECT_FALSE(RelayEndpoint::fromLabel("custom", ""));
  EXPECT_FALSE(RelayEndpoint::fromLabel("mars", ""));
  EXPECT_EQ(RelayLatencyRacer::localeFallback(std::nullopt, "CN", kFixed), kFixed.china);
  EXPECT_EQ(RelayLatencyRacer::localeFallback(false, "CN", kFixed), kFixed.global);
  EXPECT_EQ(RelayLatencyRacer::localeFallback(std::nullopt, "DE", kFixed), kFixed.global);
}

TEST(RelayEndpointTest, RaceVerdicts) {
  const std::vector<Probe> equal{{kFixed.global, 40.0}, {kFixed.china, 40.0}};
  auto selection = RelayLatencyRacer::decide(equal, std::nullopt, kFixed, kFixed.china);
  EXPECT_EQ(selection.base, kFixed.global);  // the earlier one on equal latency
  EXPECT_EQ(selection.reason, "race");
  EXPECT_TRUE(selection.storeWinner);
  EXPECT_EQ(selection.logLine, "[relay-select] macOS race: winner relay.example probes: relay.example=40ms mirror.example=40ms");

  const std::vector<Probe> failed{{kFixed.global, std::nullopt}, {kFixed.china, std::nullopt}};
  selection = RelayLatencyRacer::decide(failed, kFixed.china, kFixed, kFixed.global);
  EXPECT_EQ(selection.base, kFixed.china);  // the previous winner
  EXPECT_EQ(selection.reason, "fallback");
  EXPECT_FALSE(selection.storeWinner);
  selection = RelayLatencyRacer::decide(failed, std::string("http://gone"), kFixed, kFixed.global);
  EXPECT_EQ(selection.base, kFixed.global);  // a previous winner that is no fixed URL is ignored
  EXPECT_EQ(selection.logLine,
            "[relay-select] macOS race: all probes failed, fallback relay.example probes: relay.example=fail "
            "mirror.example=fail");

  EXPECT_TRUE(RelayLatencyRacer::isCustomPin(std::string("http://127.0.0.1:1"), kFixed));
  EXPECT_FALSE(RelayLatencyRacer::isCustomPin(std::string("https://relay.example/"), kFixed));
  EXPECT_FALSE(RelayLatencyRacer::isCustomPin(std::nullopt, kFixed));
}

TEST(RelayEndpointTest, PromotionNeedsAMarginAndConsecutiveWins) {
  struct Step {
    std::optional<double> current;
    std::optional<double> other;
    bool promotes;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const Case cases[] = {
      {"10% faster never promotes", {{100, 90, false}, {100, 90, false}, {100, 90, false}}},
      {"20% faster promotes on the second win", {{100, 80, false}, {100, 80, true}}},
      {"a failed current probe promotes after two", {{std::nullopt, 50, false}, {std::nullopt, 50, true}}},
      {"an interruption restarts the count", {{100, 80, false}, {100, 95, false}, {100, 80, false}, {100, 80, true}}},
      {"all failing resets", {{100, 80, false}, {std::nullopt, std::nullopt, false}, {100, 80, false}}},
      {"current fastest resets", {{100, 80, false}, {50, 80, false}, {100, 80, false}, {100, 80, true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RelayLatencyRacer::PromotionTracker tracker;
    for (const Step& step : c.steps) {
      const auto result =
          tracker.evaluate(kFixed.global, {{kFixed.global, step.current}, {kFixed.china, step.other}}, 0.15, 2);
      EXPECT_EQ(result.has_value(), step.promotes);
      if (result) {
        EXPECT_EQ(*result, kFixed.china);
        EXPECT_EQ(tracker.consecutiveWins, 0);
        EXPECT_FALSE(tracker.pendingBase);
      }
    }
  }
  RelayLatencyRacer::PromotionTracker eager;
  EXPECT_EQ(eager.evaluate(kFixed.global, {{kFixed.global, 100.0}, {kFixed.china, 50.0}}, 0.15, 1), kFixed.china);
}

TEST(RelayEndpointTest, DaemonEnvironmentFile) {
  const std::string env = "  DAEMON_TOKEN=abc  \nRELAY_URL=wss://relay.example/daemon\nBOARD_PUSH_API=https://x\n\nKEEP=1\n";
  EXPECT_EQ(DaemonEnvFile::value(env, "DAEMON_TOKEN"), "abc");
  EXPECT_FALSE(DaemonEnvFile::value("DAEMON_TOKEN=\n", "DAEMON_TOKEN"));
  EXPECT_FALSE(DaemonEnvFile::value("XDAEMON_TOKEN=a\n", "DAEMON_TOKEN"));
  EXPECT_EQ(DaemonEnvFile::baseFromRelayURL("wss://relay.example/daemon"), "https://relay.example");
  EXPECT_EQ(DaemonEnvFile::baseFromRelayURL("ws://127.0.0.1:8787/daemon"), "http://127.0.0.1:8787");
  EXPECT_EQ(DaemonEnvFile::relayURLFromBase("http://127.0.0.1:8787"), "ws://127.0.0.1:8787/daemon");
  EXPECT_EQ(DaemonEnvFile::withRelayBase(env, "http://h:1"),
            "  DAEMON_TOKEN=abc  \n\nKEEP=1\nRELAY_URL=ws://h:1/daemon\nBOARD_PUSH_API=http://h:1\n");
  EXPECT_EQ(DaemonEnvFile::withRelayBase("", "https://h"), "RELAY_URL=wss://h/daemon\nBOARD_PUSH_API=https://h\n");
}

}  // namespace
}  // namespace vesket::relay
