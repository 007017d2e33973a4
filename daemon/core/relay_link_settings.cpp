#include "daemon/core/relay_link_settings.h"

#include <algorithm>
#include <cmath>

namespace vesket::daemon {

std::optional<RelayLinkSettings> RelayLinkSettings::fromEnv(const EnvFile& env, std::string* problem) {
  const auto url = env.get("RELAY_URL");
  const auto token = env.get("DAEMON_TOKEN");
  if (!url || url->empty() || !token || token->empty()) return std::nullopt;
  const auto fail = [&](const std::string& reason) -> std::optional<RelayLinkSettings> {
    if (problem) *problem = reason;
    return std::nullopt;
  };
  for (const char c : *token) {
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) return fail("DAEMON_TOKEN holds spaces or control characters");
  }
  std::string result = *url;
  const std::pair<std::string_view, std::string_view> schemes[] = {
      {"https://", "wss://"}, {"http://", "ws://"}, {"wss://", "wss://"}, {"ws://", "ws://"}};
  bool known = false;
  for (const auto& [from, to] : schemes) {
    if (result.rfind(from, 0) == 0) {
      result = std::string(to) + result.substr(from.size());
      known = true;
      break;
    }
  }
  if (!known) return fail("RELAY_URL must begin with ws://, wss://, http:// or https://");
  const auto hostStart = result.find("//") + 2;
  const auto pathStart = result.find('/', hostStart);
  if (pathStart == hostStart || hostStart >= result.size()) return fail("RELAY_URL names no host");
  if (pathStart == std::string::npos) {
    result += "/daemon";
  } else if (result.size() == pathStart + 1) {
    result += "daemon";
  }
  return RelayLinkSettings{result, *token};
}

int RelayLinkBackoff::delayMs(int attempt, double jitter) {
  const double raw = kBaseMs * std::pow(2.0, std::clamp(attempt, 0, 30));
  const int full = raw >= kCapMs ? kCapMs : static_cast<int>(raw);
  const int half = full / 2;
  return half + static_cast<int>(std::clamp(jitter, 0.0, 1.0) * half);
}

}  // namespace vesket::daemon
