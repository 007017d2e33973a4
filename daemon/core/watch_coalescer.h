#pragma once

#include <cstdint>
#include <optional>

namespace vesket::daemon {

// Paces pane-list snapshots to watchers. A burst of changes (a layout being built, many
// panes created at once) becomes one snapshot as soon as the minimum interval since the
// previous one allows: the first change after a quiet period goes out at once, later
// ones are gathered until the interval has passed. Time is passed in, in milliseconds.
class WatchCoalescer {
 public:
  explicit WatchCoalescer(std::int64_t minIntervalMs) : m_minIntervalMs(minIntervalMs) {}

  // A change happened at `nowMs`. Returns the delay after which to flush (0: now), or
  // nothing when a flush is already scheduled and will include this change.
  std::optional<std::int64_t> onChange(std::int64_t nowMs);
  // The scheduled flush ran at `nowMs`.
  void onFlushed(std::int64_t nowMs);

  bool flushPending() const { return m_pending; }

 private:
  std::int64_t m_minIntervalMs;
  std::optional<std::int64_t> m_lastFlushMs;
  bool m_pending = false;
};

}  // namespace vesket::daemon
