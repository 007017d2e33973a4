#include "relay/core/enrollment_backoff.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace vesket::relay {

namespace EnrollmentBackoff {

double window(int streak) {
  const int doublings = std::clamp(streak - 1, 0, 10);
  return std::min(30.0 * static_cast<double>(1 << doublings), 600.0);
}

}  // namespace EnrollmentBackoff

namespace EnrollmentRetryGate {
namespace {

constexpr std::string_view kPrefix = "rate_limited; retry after ";
constexpr std::string_view kSuffix = " seconds";

}  // namespace

std::optional<int> remainingSeconds(double retryAfter, double now) {
  const double remaining = retryAfter - now;
  if (!(remaining > 0)) return std::nullopt;
  return std::max(static_cast<int>(std::ceil(std::min(remaining, 1e9))), 1);
}

std::string rateLimitedMessage(int seconds) {
  return std::string(kPrefix) + std::to_string(seconds) + std::string(kSuffix);
}

std::optional<int> secondsIn(std::string_view message) {
  const auto start = message.find(kPrefix);
  if (start == std::string_view::npos) return std::nullopt;
  const std::string_view rest = message.substr(start + kPrefix.size());
  int seconds = 0;
  const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), seconds);
  if (error != std::errc() || end == rest.data() || seconds < 0) return std::nullopt;
  if (std::string_view(end, rest.data() + rest.size()).substr(0, kSuffix.size()) != kSuffix) return std::nullopt;
  return seconds;
}

std::optional<double> parseRetryAfter(std::string_view header) {
  while (!header.empty() && header.front() == ' ') header.remove_prefix(1);
  while (!header.empty() && header.back() == ' ') header.remove_suffix(1);
  if (header.empty()) return std::nullopt;
  double seconds = 0;
  const auto [end, error] = std::from_chars(header.data(), header.data() + header.size(), seconds);
  if (error != std::errc() || end != header.data() + header.size() || !std::isfinite(seconds) || seconds < 0) {
    return std::nullopt;
  }
  return seconds;
}

}  // namespace EnrollmentRetryGate
}  // namespace vesket::relay
