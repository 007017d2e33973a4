#pragma once

// Keeping repeated enrolments of a device that waits for approval off the relay. A pending
// answer is reused for a window that doubles with every pending answer in a row (the
// back-off table), and a relay's 429 sets a time before which no enrolment is sent at all
// (the retry gate, kept across restarts by the caller).

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace vesket::relay {

namespace EnrollmentBackoff {
// min(30 × 2^max(streak − 1, 0), 600) seconds: 30, 60, 120, 240, 480, then 600.
double window(int streak);
}  // namespace EnrollmentBackoff

// Results of pending enrolments by key (relay base + "|" + device id). Safe from any thread.
template <class Result>
class EnrollmentPendingBackoff {
 public:
  // The stored result while its window lasts.
  std::optional<Result> recent(const std::string& key, double now) const {
    const std::lock_guard lock(m_mutex);
    const auto found = m_entries.find(key);
    if (found == m_entries.end() || now - found->second.at >= EnrollmentBackoff::window(found->second.streak)) {
      return std::nullopt;
    }
    return found->second.result;
  }
  // A pending result extends the streak; any other status ends it.
  void record(const std::string& key, Result result, bool pending, double now) {
    const std::lock_guard lock(m_mutex);
    if (!pending) {
      m_entries.erase(key);
      return;
    }
    const auto found = m_entries.find(key);
    const int streak = found == m_entries.end() ? 1 : found->second.streak + 1;
    m_entries.insert_or_assign(key, Entry{std::move(result), now, streak});
  }
  void reset() {
    const std::lock_guard lock(m_mutex);
    m_entries.clear();
  }

 private:
  struct Entry {
    Result result;
    double at;
    int streak;
  };
  mutable std::mutex m_mutex;
  std::map<std::string, Entry> m_entries;
};

namespace EnrollmentRetryGate {
// The settings key of the time (seconds since 1970) before which no enrolment is sent.
inline constexpr std::string_view kRetryAfterKey = "vesket.deviceApproval.enrollRetryAfter";
// The whole seconds still to wait (at least 1) while `retryAfter` lies ahead of `now`;
// nothing once it has passed.
std::optional<int> remainingSeconds(double retryAfter, double now);
// The error message of a refused enrolment: "rate_limited; retry after <seconds> seconds".
std::string rateLimitedMessage(int seconds);
// The seconds such a message names; nothing for any other message.
std::optional<int> secondsIn(std::string_view message);
// A Retry-After header's delay in seconds (a non-negative number); nothing otherwise.
std::optional<double> parseRetryAfter(std::string_view header);
}  // namespace EnrollmentRetryGate

}  // namespace vesket::relay
