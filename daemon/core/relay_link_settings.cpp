#include "daemon/core/relay_link_settings.h"

#include <algorithm>
#include <cmath>

namespace vesket::daemon {
namespace {

constexpr std::string_view kDaemonPath = "/daemon";

}  // namespace

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

std::optional<std::string> RelayPairingLines::relayBase(std::string_view base, std::string* problem) {
  const auto fail = [&](const std::string& reason) -> std::optional<std::string> {
    if (problem) *problem = reason;
    return std::nullopt;
  };
  std::string url(base);
  const std::pair<std::string_view, std::string_view> schemes[] = {
      {"https://", "https://"}, {"http://", "http://"}, {"wss://", "https://"}, {"ws://", "http://"}};
  bool known = false;
  for (const auto& [from, to] : schemes) {
    if (url.rfind(from, 0) == 0) {
      url = std::string(to) + url.substr(from.size());
      known = true;
      break;
    }
  }
  if (!known) return fail("the relay address must begin with https://, http://, wss:// or ws://");
  for (const char c : url) {
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F || c == '?' || c == '#') {
      return fail("the relay address holds spaces, control characters, a query or a fragment");
    }
  }
  const auto hostStart = url.find("//") + 2;
  while (url.size() > hostStart && url.back() == '/') url.pop_back();
  if (url.size() > hostStart + kDaemonPath.size() &&
      url.compare(url.size() - kDaemonPath.size(), kDaemonPath.size(), kDaemonPath) == 0) {
    url.erase(url.size() - kDaemonPath.size());
  }
  if (hostStart >= url.size() || url[hostStart] == '/') return fail("the relay address names no host");
  return url;
}

std::optional<RelayPairingLines> RelayPairingLines::fromBase(std::string_view base, std::string_view token,
                                                            std::string* problem) {
  const auto fail = [&](const std::string& reason) -> std::optional<RelayPairingLines> {
    if (problem) *problem = reason;
    return std::nullopt;
  };
  if (token.size() < 16 || token.size() > 512) return fail("the daemon token must have 16 to 512 characters");
  for (const char c : token) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!ok) return fail("the daemon token holds characters outside URL-safe Base64");
  }
  const auto url = relayBase(base, problem);
  if (!url) return std::nullopt;
  const bool secure = url->rfind("https://", 0) == 0;
  const auto hostStart = url->find("//") + 2;
  RelayPairingLines lines;
  lines.boardPushApi = *url;
  lines.relayUrl = std::string(secure ? "wss://" : "ws://") + url->substr(hostStart) + std::string(kDaemonPath);
  lines.daemonToken = std::string(token);
  return lines;
}

void RelayPairingLines::applyTo(EnvFile& env) const {
  env.set("DAEMON_TOKEN", daemonToken);
  env.set("RELAY_URL", relayUrl);
  env.set("BOARD_PUSH_API", boardPushApi);
}

int RelayLinkBackoff::delayMs(int attempt, double jitter) {
  const double raw = kBaseMs * std::pow(2.0, std::clamp(attempt, 0, 30));
  const int full = raw >= kCapMs ? kCapMs : static_cast<int>(raw);
  const int half = full / 2;
  return half + static_cast<int>(std::clamp(jitter, 0.0, 1.0) * half);
}

}  // namespace vesket::daemon
