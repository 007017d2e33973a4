#pragma once

// Where and how the daemon links to the relay: RELAY_URL and DAEMON_TOKEN from its
// environment file, and the rhythm of reconnecting.

#include <optional>
#include <string>
#include <string_view>

#include "daemon/core/env_file.h"

namespace vesket::daemon {

struct RelayLinkSettings {
  std::string url;    // ws:// or wss://, ending in "/daemon"
  std::string token;  // the daemon token

  // Nothing when either line is missing or empty: the daemon is not paired. A relay base
  // given as http(s):// becomes ws(s)://, and "/daemon" is added when the URL has no path.
  // An unusable URL is nothing too (and the reason goes to `problem`).
  static std::optional<RelayLinkSettings> fromEnv(const EnvFile& env, std::string* problem = nullptr);

  friend bool operator==(const RelayLinkSettings&, const RelayLinkSettings&) = default;
};

// What saving a pairing writes into the environment file ("relay-pair"): the daemon token
// the relay minted, RELAY_URL (the relay base as ws(s):// + "/daemon") and BOARD_PUSH_API
// (the relay base as http(s)://, for agents posting through the CLI).
struct RelayPairingLines {
  std::string relayUrl;
  std::string boardPushApi;
  std::string daemonToken;

  // `base` is the relay's address ("https://relay.example", also "wss://.../daemon");
  // nothing, with the reason in `problem`, when it is not usable or the token is not one
  // (URL-safe Base64, 16 to 512 characters).
  static std::optional<RelayPairingLines> fromBase(std::string_view base, std::string_view token,
                                                   std::string* problem = nullptr);
  // The relay's address as http(s)://host[/path], without "/daemon" or trailing slashes
  // (where its HTTP API lives); nothing, with the reason in `problem`, when it is not usable.
  static std::optional<std::string> relayBase(std::string_view base, std::string* problem = nullptr);
  // Sets the three lines, keeping every other line of the file.
  void applyTo(EnvFile& env) const;

  friend bool operator==(const RelayPairingLines&, const RelayPairingLines&) = default;
};

namespace RelayLinkBackoff {
inline constexpr int kBaseMs = 1000;
inline constexpr int kCapMs = 60000;
// The wait before reconnect attempt `attempt` (0 first): 1 s doubling up to 60 s, of which
// the upper half is jittered by `jitter` in [0, 1], so a relay restart does not bring every
// daemon back in the same instant.
int delayMs(int attempt, double jitter);
}  // namespace RelayLinkBackoff

}  // namespace vesket::daemon
