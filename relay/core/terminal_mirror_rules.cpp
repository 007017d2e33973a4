#include "relay/core/terminal_mirror_rules.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <random>

#include <fmt/format.h>

#include "relay/core/relay_pane_rules.h"

namespace vesket::relay {
namespace {

double randomUnit() {
  thread_local std::mt19937_64 engine{std::random_device{}()};
  return std::uniform_real_distribution<double>(0.0, 1.0)(engine);
}

}  // namespace

int Backoff::delayMs(int attempt) const {
  const double raw = baseMs * std::pow(factor, std::max(attempt, 0));
  const int delay = raw >= capMs ? capMs : std::max(static_cast<int>(std::floor(raw)), baseMs);
  const int half = delay / 2;
  const double unit = std::clamp(jitter ? jitter() : randomUnit(), 0.0, 1.0);
  return half + static_cast<int>(std::floor(unit * half));
}

namespace TerminalMirrorRules {

std::string attachURL(std::string_view base, const TerminalAttachParams& params) {
  std::string url(base);
  while (!url.empty() && url.back() == '/') url.pop_back();
  if (url.starts_with("https:")) {
    url.replace(0, 5, "wss");
  } else if (url.starts_with("http:")) {
    url.replace(0, 4, "ws");
  }
  url += kAttachPath;
  std::vector<std::pair<std::string, std::string>> items{{"paneId", params.paneId}};
  if (params.cols) items.emplace_back("cols", std::to_string(*params.cols));
  if (params.rows) items.emplace_back("rows", std::to_string(*params.rows));
  items.emplace_back("mode", params.mode == "owned" ? "owned" : "takeover");
  if (params.open) items.emplace_back("open", *params.open ? "1" : "0");
  if (params.force) items.emplace_back("force", "1");
  if (params.daemonId) items.emplace_back("daemonId", std::to_string(*params.daemonId));
  if (params.historyLimit) items.emplace_back("historyLimit", std::to_string(*params.historyLimit));
  for (const auto& [key, value] : params.openLatency) items.emplace_back(key, value);
  char separator = '?';
  for (const auto& [key, value] : items) {
    url += separator + RelayPaneRules::percentEncode(key) + '=' + RelayPaneRules::percentEncode(value);
    separator = '&';
  }
  return url;
}

std::string reopenURL(std::string_view url) {
  const std::size_t question = url.find('?');
  std::string out(url.substr(0, question));
  std::vector<std::string> items;
  bool sawOpen = false;
  bool sawReason = false;
  if (question != std::string_view::npos) {
    std::string_view query = url.substr(question + 1);
    while (!query.empty()) {
      const std::size_t amp = query.find('&');
      const std::string_view item = query.substr(0, amp);
      query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
      const std::string_view name = item.substr(0, item.find('='));
      if (name == "openId") continue;
      if (name == "open") {
        if (!sawOpen) items.emplace_back("open=0");
        sawOpen = true;
      } else if (name == "openReason") {
        if (!sawReason) items.emplace_back("openReason=transport_reattach");
        sawReason = true;
      } else if (!item.empty()) {
        items.emplace_back(item);
      }
    }
  }
  if (!sawOpen) items.emplace_back("open=0");
  if (!sawReason) items.emplace_back("openReason=transport_reattach");
  char separator = '?';
  for (const std::string& item : items) {
    out += separator + item;
    separator = '&';
  }
  return out;
}

std::optional<int> handshakeStatus(std::string_view errorText) {
  constexpr std::string_view kMarker = "status code: ";
  const std::size_t at = errorText.find(kMarker);
  if (at == std::string_view::npos) return std::nullopt;
  const std::string_view digits = errorText.substr(at + kMarker.size(), 3);
  if (digits.size() != 3 || !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
    return std::nullopt;
  }
  return std::stoi(std::string(digits));
}

}  // namespace TerminalMirrorRules

int TerminalMirrorState::opened() {
  ++m_epoch;
  m_awaitingPong = false;
  m_missedPongs = 0;
  return m_epoch;
}

bool TerminalMirrorState::heardFrom(int epoch) {
  if (epoch != m_epoch || m_closedByUser) return false;
  m_missedPongs = 0;
  const bool wasAwaiting = m_awaitingPong;
  m_awaitingPong = false;
  return wasAwaiting;
}

bool TerminalMirrorState::pingDue() {
  if (m_closedByUser || m_serverEnded) return false;
  m_awaitingPong = true;
  return true;
}

TerminalMirrorState::PongCheck TerminalMirrorState::pongTimedOut() {
  if (!m_awaitingPong || m_closedByUser || m_serverEnded) return PongCheck::nothing;
  ++m_missedPongs;
  if (m_missedPongs >= TerminalMirrorRules::kMaxMissedPongs) {
    m_awaitingPong = false;
    return PongCheck::reattach;
  }
  return PongCheck::pingAgain;
}

TerminalMirrorState::Drop TerminalMirrorState::dropped(int epoch, std::optional<int> httpStatus, const std::string& description,
                                                       const Backoff& backoff) {
  Drop drop;
  if (epoch != m_epoch || m_closedByUser || m_serverEnded) return drop;
  if (httpStatus && *httpStatus >= 400 && *httpStatus <= 499 && *httpStatus != 408 && *httpStatus != 429) {
    drop.kind = Drop::Kind::fatal;
    drop.message = *httpStatus == 401 || *httpStatus == 403 ? std::string(TerminalMirrorRules::kSignInRequired)
                                                            : fmt::format("{} (HTTP {})", description, *httpStatus);
    return drop;
  }
  drop.kind = Drop::Kind::reconnect;
  drop.delayMs = backoff.delayMs(m_attempt);
  drop.attempt = ++m_attempt;
  return drop;
}

}  // namespace vesket::relay
