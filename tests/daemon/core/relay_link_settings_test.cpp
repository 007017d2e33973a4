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

namespace vesket::daemon {
namespace {

TEST(RelayPairingLinesTest, RelayAddressesBecomeTheThreeLines) {
  const std::string token = "AbCdEfGhIjKlMnOpQrStUvWxYz0123456789-_abcde";
  const struct {
    const char* base;
    const char* relayUrl;      // nullptr: refused
    const char* boardPushApi;
  } cases[] = {
      {"https://relay.example", "wss://relay.example/daemon", "https://relay.example"},
      {"http://127.0.0.1:8787/", "ws://127.0.0.1:8787/daemon", "http://127.0.0.1:8787"},
      {"wss://relay.example/daemon", "wss://relay.example/daemon", "https://relay.example"},
      {"https://example.org/vesket", "wss://example.org/vesket/daemon", "https://example.org/vesket"},
      {"ftp://relay.example", nullptr, nullptr},
      {"https://", nullptr, nullptr},
      {"https:///path", nullptr, nullptr},
      {"https://relay.example/?x=1", nullptr, nullptr},
      {"https://relay .example", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    std::string problem;
    const auto lines = RelayPairingLines::fromBase(c.base, token, &problem);
    if (!c.relayUrl) {
      EXPECT_FALSE(lines) << c.base;
      EXPECT_FALSE(problem.empty()) << c.base;
      continue;
    }
    ASSERT_TRUE(lines) << c.base << ": " << problem;
    EXPECT_EQ(lines->relayUrl, c.relayUrl);
    EXPECT_EQ(lines->boardPushApi, c.boardPushApi);
  }
  for (const char* bad : {"short", "has space in it 0123456789", "plus+slash/equals=0123456789"}) {
    EXPECT_FALSE(RelayPairingLines::fromBase("https://relay.example", bad)) << bad;
  }
}

TEST(RelayPairingLinesTest, SavingAPairingKeepsTheFileAndLinksFromIt) {
  EnvFile env = EnvFile::parse("# mine\nRELAY_URL=ws://old/daemon\nOTHER=1\n");
  const auto lines = RelayPairingLines::fromBase("https://relay.example", "AbCdEfGhIjKlMnOpQrSt");
  ASSERT_TRUE(lines);
  lines->applyTo(env);
  EXPECT_EQ(env.serialize(),
            "# mine\nRELAY_URL=wss://relay.example/daemon\nOTHER=1\nDAEMON_TOKEN=AbCdEfGhIjKlMnOpQrSt\n"
            "BOARD_PUSH_API=https://relay.example\n");
  EXPECT_EQ(RelayLinkSettings::fromEnv(env), (RelayLinkSettings{"wss://relay.example/daemon", "AbCdEfGhIjKlMnOpQrSt"}));
}

}  // namespace
}  // namespace vesket::daemon
