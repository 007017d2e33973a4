#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

namespace vesket::daemon {

// Thresholds of the activity levels a pane's `load` reports.
struct LoadThresholds {
  std::int64_t windowMs = 5000;          // output within this window means the pane works
  double heavyBytesPerSecond = 4096;     // at or above this average rate it works hard
  std::int64_t staleAfterMs = 30 * 60 * 1000;  // no output for this long: "stale"
};

// Output activity per pane, from the byte counts of its output and their time stamps, and
// the activity level derived from it:
//   "heavy"  output in the last window at or above the heavy rate,
//   "light"  some output in the last window,
//   "idle"   no output in the window,
//   "stale"  no output for `staleAfterMs` or more.
// Agents redraw a spinner or stream text while they work and print nothing while they
// wait, so output activity is what tells a working agent from an idle one. Time is passed
// in (milliseconds on any monotonic or wall clock, as long as it is one clock).
class PaneActivityTracker {
 public:
  explicit PaneActivityTracker(LoadThresholds thresholds = {}) : m_thresholds(thresholds) {}

  void record(const std::string& paneId, std::size_t bytes, std::int64_t nowMs);

  // The level of the pane at `nowMs`. `otherActivityMs` is a last-activity time known from
  // elsewhere (tmux's window activity, for panes whose output this daemon does not
  // receive); the later of the two counts. A pane with nothing known is "idle".
  std::string classify(const std::string& paneId, std::int64_t nowMs,
                       std::optional<std::int64_t> otherActivityMs = std::nullopt) const;

  // Bytes recorded for the pane within the window ending at `nowMs`.
  std::size_t recentBytes(const std::string& paneId, std::int64_t nowMs) const;

  // Forgets panes not in `live`.
  void retain(const std::set<std::string>& live);

  const LoadThresholds& thresholds() const { return m_thresholds; }

 private:
  static constexpr std::int64_t kBucketMs = 250;
  struct Bucket {
    std::int64_t startMs;
    std::size_t bytes;
  };
  struct Pane {
    std::deque<Bucket> buckets;  // oldest first, only within the window
    std::optional<std::int64_t> lastOutputMs;
  };

  LoadThresholds m_thresholds;
  std::unordered_map<std::string, Pane> m_panes;
};

}  // namespace vesket::daemon
