#include "daemon/core/pane_activity_tracker.h"

#include <algorithm>

namespace vesket::daemon {

void PaneActivityTracker::record(const std::string& paneId, std::size_t bytes, std::int64_t nowMs) {
  if (bytes == 0) return;
  auto& pane = m_panes[paneId];
  const std::int64_t start = nowMs - (nowMs % kBucketMs + kBucketMs) % kBucketMs;
  if (!pane.buckets.empty() && pane.buckets.back().startMs == start) {
    pane.buckets.back().bytes += bytes;
  } else {
    pane.buckets.push_back({start, bytes});
  }
  while (!pane.buckets.empty() && pane.buckets.front().startMs + kBucketMs <= nowMs - m_thresholds.windowMs) {
    pane.buckets.pop_front();
  }
  pane.lastOutputMs = std::max(pane.lastOutputMs.value_or(nowMs), nowMs);
}

std::size_t PaneActivityTracker::recentBytes(const std::string& paneId, std::int64_t nowMs) const {
  const auto it = m_panes.find(paneId);
  if (it == m_panes.end()) return 0;
  std::size_t sum = 0;
  for (const auto& bucket : it->second.buckets) {
    // A bucket counts while any of it lies within the window.
    if (bucket.startMs + kBucketMs > nowMs - m_thresholds.windowMs && bucket.startMs <= nowMs) {
      sum += bucket.bytes;
    }
  }
  return sum;
}

std::string PaneActivityTracker::classify(const std::string& paneId, std::int64_t nowMs,
                                          std::optional<std::int64_t> otherActivityMs) const {
  const std::size_t bytes = recentBytes(paneId, nowMs);
  if (bytes > 0) {
    const double seconds = static_cast<double>(m_thresholds.windowMs) / 1000.0;
    return static_cast<double>(bytes) / seconds >= m_thresholds.heavyBytesPerSecond ? "heavy" : "light";
  }
  std::optional<std::int64_t> last = otherActivityMs;
  if (const auto it = m_panes.find(paneId); it != m_panes.end() && it->second.lastOutputMs) {
    last = std::max(last.value_or(*it->second.lastOutputMs), *it->second.lastOutputMs);
  }
  if (!last) return "idle";
  const std::int64_t age = nowMs - *last;
  if (age < m_thresholds.windowMs) return "light";  // known only from elsewhere: no rate
  if (age >= m_thresholds.staleAfterMs) return "stale";
  return "idle";
}

void PaneActivityTracker::retain(const std::set<std::string>& live) {
  for (auto it = m_panes.begin(); it != m_panes.end();) {
    it = live.count(it->first) ? std::next(it) : m_panes.erase(it);
  }
}

}  // namespace vesket::daemon
