#pragma once

// Where the relay is reached: the production relay, its mirror, or a base URL the user
// pinned, and the pure rules that choose between them (the latency race's verdicts, the
// promotion of a consistently faster endpoint, the daemon's RELAY_URL line).
//
// Base URLs are plain text ("https://host[:port]" without a trailing "/"); the two fixed
// ones are configuration handed in as `RelayFixedBases`.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::relay {

// The production and mirror relay base URLs of this build.
struct RelayFixedBases {
  std::string global;
  std::string china;
  bool isFixed(std::string_view base) const { return base == global || base == china; }
};

// One of the three kinds of relay endpoint.
class RelayEndpoint {
 public:
  enum class Kind { global, china, custom };

  static RelayEndpoint global() { return RelayEndpoint(Kind::global, {}); }
  static RelayEndpoint china() { return RelayEndpoint(Kind::china, {}); }
  // A user-entered base URL; one trailing "/" is removed.
  static RelayEndpoint custom(std::string base);
  // The persisted label ("global", "china", "custom") back into a case; nothing for
  // another label or a custom one without a URL.
  static std::optional<RelayEndpoint> fromLabel(std::string_view label, std::string_view customURL);

  Kind kind() const { return m_kind; }
  bool isCustom() const { return m_kind == Kind::custom; }
  const std::string& customBase() const { return m_customBase; }
  std::string baseURL(const RelayFixedBases& fixed) const;
  std::string label() const;

  friend bool operator==(const RelayEndpoint&, const RelayEndpoint&) = default;

 private:
  RelayEndpoint(Kind kind, std::string base) : m_kind(kind), m_customBase(std::move(base)) {}
  Kind m_kind;
  std::string m_customBase;
};

// The text with one trailing "/" removed.
std::string withoutTrailingSlash(std::string text);

namespace RelayLatencyRacer {

// One probe of "/api/health": its latency, or nothing when it failed.
struct Probe {
  std::string base;
  std::optional<double> latencyMs;
  friend bool operator==(const Probe&, const Probe&) = default;
};

// The case of a base URL (after removing one trailing "/").
RelayEndpoint endpointForBase(std::string_view base, const RelayFixedBases& fixed);
// The mirror when the user is known (or, when unknown, the region is "CN") to be in China.
std::string localeFallback(std::optional<bool> isChina, std::string_view regionCode, const RelayFixedBases& fixed);
// The fastest successful probe (the earlier one on equal latency), or nothing.
std::optional<std::string> fastest(const std::vector<Probe>& probes);
// "host=12ms other=fail": one entry per probe, in order.
std::string probeSummary(const std::vector<Probe>& probes);
// "host[:port]" of a base URL.
std::string hostOf(std::string_view base);

// What the race before the first connection decided.
struct Selection {
  std::string base;
  std::string reason;  // "custom-pin", "race" or "fallback"
  bool storeWinner = false;
  std::string logLine;  // empty when nothing is logged
};
// A custom base that is neither fixed URL stays pinned and is not raced.
bool isCustomPin(const std::optional<std::string>& customBase, const RelayFixedBases& fixed);
// The verdict of a race of both fixed URLs: the winner, else the previous winner when it
// is a fixed URL, else `fallbackBase`.
Selection decide(const std::vector<Probe>& probes, const std::optional<std::string>& previousWinner,
                 const RelayFixedBases& fixed, const std::string& fallbackBase);

// Switches endpoints only after the other one was clearly faster several times in a row.
struct PromotionTracker {
  std::optional<std::string> pendingBase;
  int consecutiveWins = 0;

  void reset() {
    pendingBase.reset();
    consecutiveWins = 0;
  }
  // The base to switch to now, or nothing.
  std::optional<std::string> evaluate(const std::string& current, const std::vector<Probe>& probes, double margin,
                                      int requiredWins);
};

}  // namespace RelayLatencyRacer

// The daemon's environment file (`daemon/.env`): "KEY=value" lines.
namespace DaemonEnvFile {
// The remainder of the first line (trimmed) that begins with "KEY=", when not empty.
std::optional<std::string> value(std::string_view text, std::string_view key);
// The relay base a daemon's RELAY_URL names: "wss://" and "ws://" become "https://" and
// "http://", one trailing "/daemon" is removed.
std::string baseFromRelayURL(std::string_view relayURL);
// The daemon's RELAY_URL for a base: "https://" and "http://" become "wss://" and "ws://",
// "/daemon" is appended.
std::string relayURLFromBase(std::string_view base);
// The file with every RELAY_URL= and BOARD_PUSH_API= line replaced by the two lines for
// `base`, appended at the end.
std::string withRelayBase(std::string_view text, std::string_view base);
}  // namespace DaemonEnvFile

}  // namespace vesket::relay
