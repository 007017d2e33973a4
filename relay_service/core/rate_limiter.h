#pragma once

// Per-key token buckets. A bucket holds up to `capacity` requests and refills at
// `capacity` per `window`; a request takes one token, or is refused with the number of
// whole seconds until one is back. Keys are formed by the caller (class, address or
// account). Not thread-safe: the owner serialises calls. Time is passed in.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>

namespace vesket::relay_service {

struct RateLimit {
  double capacity = 600;
  std::chrono::seconds window{60};
};

// The classes of requests and their limits per minute.
enum class RateClass { signIn, pairingClaim, general };
RateLimit rateLimitFor(RateClass rateClass);
const char* rateClassName(RateClass rateClass);

class RateLimiter {
 public:
  using Clock = std::chrono::steady_clock;

  // Bucket count above which full, idle buckets are forgotten.
  explicit RateLimiter(std::size_t pruneAbove = 100000) : m_pruneAbove(pruneAbove) {}

  // Takes a token from the key's bucket: nothing when allowed, else the seconds to wait
  // (at least 1).
  std::optional<int> take(const std::string& key, const RateLimit& limit, Clock::time_point now);

  std::size_t bucketCount() const { return m_buckets.size(); }

 private:
  struct Bucket {
    double tokens = 0;
    Clock::time_point updated;
    double capacity = 0;
    double perSecond = 0;
  };
  void prune(Clock::time_point now);

  std::unordered_map<std::string, Bucket> m_buckets;
  std::size_t m_pruneAbove;
};

}  // namespace vesket::relay_service
