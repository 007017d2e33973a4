#include "daemon/core/watch_coalescer.h"

#include <algorithm>

namespace vesket::daemon {

std::optional<std::int64_t> WatchCoalescer::onChange(std::int64_t nowMs) {
  if (m_pending) return std::nullopt;
  m_pending = true;
  if (!m_lastFlushMs) return 0;
  const std::int64_t due = *m_lastFlushMs + m_minIntervalMs;
  return std::max<std::int64_t>(0, due - nowMs);
}

void WatchCoalescer::onFlushed(std::int64_t nowMs) {
  m_pending = false;
  m_lastFlushMs = nowMs;
}

}  // namespace vesket::daemon
