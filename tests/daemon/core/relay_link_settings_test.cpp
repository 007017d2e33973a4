#include <gtest/gtest.h>

#include "daemon/core/relay_link_settings.h"

namespace vesket::daemon {
namespace {

TEST(RelayLinkSettingsTest, ReadsWhereAndHowToLink) {
  const struct {
    const char* env;
    const char* url;  // nullptr: not linking
  } cases[] = {
      {"RELAY_URL=wss://relay.example/daemon\nDAEMON_TOKEN=t\n", "wss://relay.example/daemon"},
      {"RELAY_URL=https://relay.example\nDAEMON_TOKEN=t\n", "wss://relay.example/daemon"},
      {"RELAY_URL=http://127.0.0.1:8787/\nDAEMON_TOKEN=t\n", "ws://127.0.0.1:8787/daemon"},
      {"RELAY_URL=ws://127.0.0.1:9/custom/daemon\nDAEMON_TOKEN='t'\n", "ws://127.0.0.1:9/custom/daemon"},
      {"RELAY_URL=wss://relay.example/daemon\nDAEMON_TOKEN=\n", nullptr},
      {"DAEMON_TOKEN=t\n", nullptr},
      {"RELAY_URL=ftp://relay.example\nDAEMON_TOKEN=t\n", nullptr},
      {"RELAY_URL=wss:///daemon\nDAEMON_TOKEN=t\n", nullptr},
      {"RELAY_URL=wss://relay.example\nDAEMON_TOKEN=a b\n", nullptr},
  };
  for (const auto& c : cases) {
    const auto settings = RelayLinkSettings::fromEnv(EnvFile::parse(c.env));
    if (c.url == nullptr) {
      EXPECT_FALSE(settings) << c.env;
    } else {
      ASSERT_TRUE(settings) << c.env;
      EXPECT_EQ(settings->url, c.url) << c.env;
      EXPECT_EQ(settings->token, "t");
    }
  }
}

TEST(RelayLinkSettingsTest, BackOffDoublesFromOneSecondToAMinuteWithJitter) {
  EXPECT_EQ(RelayLinkBackoff::delayMs(0, 0.0), 500);
  EXPECT_EQ(RelayLinkBackoff::delayMs(0, 1.0), 1000);
  EXPECT_EQ(RelayLinkBackoff::delayMs(3, 0.5), 6000);
  EXPECT_EQ(RelayLinkBackoff::delayMs(6, 1.0), 60000);
  EXPECT_EQ(RelayLinkBackoff::delayMs(40, 0.0), 30000);
  EXPECT_EQ(RelayLinkBackoff::delayMs(-3, 2.0), 1000);
}

}  // namespace
}  // namespace vesket::daemon
