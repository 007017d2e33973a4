#include "relay_service/core/rate_limiter.h"

#include <algorithm>
#include <cmath>

namespace vesket::relay_service {
namespace {

void refill(double& tokens, double capacity, double perSecond, std::chrono::steady_clock::duration elapsed) {
  const double seconds = std::chrono::duration<double>(elapsed).count();
  if (seconds > 0) tokens = std::min(capacity, tokens + seconds * perSecond);
}

}  // namespace

RateLimit rateLimitFor(RateClass rateClass) {
  switch (rateClass) {
    case RateClass::signIn: return {10, std::chrono::seconds(60)};
    case RateClass::pairingClaim: return {5, std::chrono::seconds(60)};
    case RateClass::general: return {600, std::chrono::seconds(60)};
  }
  return {600, std::chrono::seconds(60)};
}

const char* rateClassName(RateClass rateClass) {
  switch (rateClass) {
    case RateClass::signIn: return "sign-in";
    case RateClass::pairingClaim: return "pairing-claim";
    case RateClass::general: return "general";
  }
  return "general";
}

std::optional<int> RateLimiter::take(const std::string& key, const RateLimit& limit, Clock::time_point now) {
  const double perSecond = limit.capacity / std::chrono::duration<double>(limit.window).count();
  auto it = m_buckets.find(key);
  if (it == m_buckets.end()) {
    if (m_buckets.size() >= m_pruneAbove) prune(now);
    it = m_buckets.emplace(key, Bucket{limit.capacity, now, limit.capacity, perSecond}).first;
  } else {
    refill(it->second.tokens, it->second.capacity, it->second.perSecond, now - it->second.updated);
    it->second.updated = now;
  }
  Bucket& bucket = it->second;
  if (bucket.tokens >= 1.0) {
    bucket.tokens -= 1.0;
    return std::nullopt;
  }
  const double wait = (1.0 - bucket.tokens) / bucket.perSecond;
  return std::max(1, static_cast<int>(std::ceil(wait)));
}

void RateLimiter::prune(Clock::time_point now) {
  std::erase_if(m_buckets, [now](const auto& entry) {
    const Bucket& bucket = entry.second;
    double tokens = bucket.tokens;
    refill(tokens, bucket.capacity, bucket.perSecond, now - bucket.updated);
    return tokens >= bucket.capacity;  // full again: forgetting it changes nothing
  });
}

}  // namespace vesket::relay_service
