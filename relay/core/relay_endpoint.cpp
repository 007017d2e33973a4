#include "relay/core/relay_endpoint.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace vesket::relay {
namespace {

std::string_view trimmed(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string replacedScheme(std::string_view url, std::string_view from1, std::string_view to1, std::string_view from2,
                           std::string_view to2) {
  if (url.starts_with(from1)) return std::string(to1) + std::string(url.substr(from1.size()));
  if (url.starts_with(from2)) return std::string(to2) + std::string(url.substr(from2.size()));
  return std::string(url);
}

}  // namespace

std::string withoutTrailingSlash(std::string text) {
  if (!text.empty() && text.back() == '/') text.pop_back();
  return text;
}

RelayEndpoint RelayEndpoint::custom(std::string base) { return RelayEndpoint(Kind::custom, withoutTrailingSlash(std::move(base))); }

std::optional<RelayEndpoint> RelayEndpoint::fromLabel(std::string_view label, std::string_view customURL) {
  if (label == "global") return global();
  if (label == "china") return china();
  if (label == "custom" && !trimmed(customURL).empty()) return custom(std::string(trimmed(customURL)));
  return std::nullopt;
}

std::string RelayEndpoint::baseURL(const RelayFixedBases& fixed) const {
  switch (m_kind) {
    case Kind::global: return fixed.global;
    case Kind::china: return fixed.china;
    case Kind::custom: break;
  }
  return m_customBase;
}

std::string RelayEndpoint::label() const {
  switch (m_kind) {
    case Kind::global: return "global";
    case Kind::china: return "china";
    case Kind::custom: break;
  }
  return "custom";
}

namespace RelayLatencyRacer {

RelayEndpoint endpointForBase(std::string_view base, const RelayFixedBases& fixed) {
  std::string clean = withoutTrailingSlash(std::string(base));
  if (clean == fixed.global) return RelayEndpoint::global();
  if (clean == fixed.china) return RelayEndpoint::china();
  return RelayEndpoint::custom(std::move(clean));
}

std::string localeFallback(std::optional<bool> isChina, std::string_view regionCode, const RelayFixedBases& fixed) {
  const bool china = isChina.value_or(regionCode == "CN");
  return china ? fixed.china : fixed.global;
}

std::optional<std::string> fastest(const std::vector<Probe>& probes) {
  const Probe* best = nullptr;
  for (const Probe& probe : probes) {
    if (!probe.latencyMs) continue;
    if (!best || *probe.latencyMs < *best->latencyMs) best = &probe;
  }
  if (!best) return std::nullopt;
  return best->base;
}

std::string hostOf(std::string_view base) {
  const auto scheme = base.find("://");
  if (scheme != std::string_view::npos) base.remove_prefix(scheme + 3);
  return std::string(base.substr(0, base.find_first_of("/?#")));
}

std::string probeSummary(const std::vector<Probe>& probes) {
  std::string summary;
  for (const Probe& probe : probes) {
    if (!summary.empty()) summary += ' ';
    summary += hostOf(probe.base) + "=";
    summary += probe.latencyMs ? fmt::format("{:.0f}ms", *probe.latencyMs) : std::string("fail");
  }
  return summary;
}

bool isCustomPin(const std::optional<std::string>& customBase, const RelayFixedBases& fixed) {
  return customBase && !customBase->empty() && !fixed.isFixed(withoutTrailingSlash(*customBase));
}

Selection decide(const std::vector<Probe>& probes, const std::optional<std::string>& previousWinner,
                 const RelayFixedBases& fixed, const std::string& fallbackBase) {
  const std::string summary = probeSummary(probes);
  if (auto winner = fastest(probes)) {
    return Selection{*winner, "race", true,
                     fmt::format("[relay-select] macOS race: winner {} probes: {}", hostOf(*winner), summary)};
  }
  const std::string base = previousWinner && fixed.isFixed(*previousWinner) ? *previousWinner : fallbackBase;
  return Selection{base, "fallback", false,
                   fmt::format("[relay-select] macOS race: all probes failed, fallback {} probes: {}", hostOf(base),
                               summary)};
}

std::optional<std::string> PromotionTracker::evaluate(const std::string& current, const std::vector<Probe>& probes,
                                                      double margin, int requiredWins) {
  const auto best = fastest(probes);
  if (!best) {
    reset();
    return std::nullopt;
  }
  if (*best == current) {
    reset();
    return std::nullopt;
  }
  double bestLatency = 0;
  std::optional<double> currentLatency;
  for (const Probe& probe : probes) {
    if (probe.base == *best && probe.latencyMs && bestLatency == 0) bestLatency = *probe.latencyMs;
    if (probe.base == current && probe.latencyMs && !currentLatency) currentLatency = probe.latencyMs;
  }
  if (currentLatency) {
    const double l = *currentLatency;
    if (!(l > 0) || (l - bestLatency) / l < margin) {
      reset();
      return std::nullopt;
    }
  }
  if (pendingBase == *best) {
    ++consecutiveWins;
  } else {
    pendingBase = *best;
    consecutiveWins = 1;
  }
  if (consecutiveWins >= requiredWins) {
    reset();
    return best;
  }
  return std::nullopt;
}

}  // namespace RelayLatencyRacer

namespace DaemonEnvFile {

std::optional<std::string> value(std::string_view text, std::string_view key) {
  const std::string prefix = std::string(key) + "=";
  for (std::string_view line : splitLines(text)) {
    line = trimmed(line);
    if (!line.starts_with(prefix)) continue;
    const std::string_view rest = line.substr(prefix.size());
    if (rest.empty()) return std::nullopt;
    return std::string(rest);
  }
  return std::nullopt;
}

std::string baseFromRelayURL(std::string_view relayURL) {
  std::string base = replacedScheme(trimmed(relayURL), "wss://", "https://", "ws://", "http://");
  if (base.ends_with("/daemon")) base.resize(base.size() - 7);
  return base;
}

std::string relayURLFromBase(std::string_view base) {
  return replacedScheme(base, "https://", "wss://", "http://", "ws://") + "/daemon";
}

std::string withRelayBase(std::string_view text, std::string_view base) {
  std::string out;
  for (std::string_view line : splitLines(text)) {
    if (line.starts_with("RELAY_URL=") || line.starts_with("BOARD_PUSH_API=")) continue;
    out.append(line);
    out += '\n';
  }
  out += "RELAY_URL=" + relayURLFromBase(base) + "\n";
  out += "BOARD_PUSH_API=" + std::string(base) + "\n";
  return out;
}

}  // namespace DaemonEnvFile

}  // namespace vesket::relay
