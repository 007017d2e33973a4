#include "viewer/core/js_write_coalescer.h"

#include <iterator>

namespace vesket::viewer {

bool JSWriteCoalescer::claimFlush() {
  if (!m_isForeground || m_flushScheduled || m_pending.empty()) return false;
  m_flushScheduled = true;
  return true;
}

bool JSWriteCoalescer::enqueue(std::string script, std::optional<std::int64_t> generation) {
  m_pending.push_back(std::move(script));
  m_pendingGenerations.push_back(generation);
  if (m_pending.size() > m_capacity) {
    const std::size_t excess = m_pending.size() - m_capacity;
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(excess));
    m_pendingGenerations.erase(m_pendingGenerations.begin(),
                               m_pendingGenerations.begin() + static_cast<std::ptrdiff_t>(excess));
    m_droppedCount += excess;
  }
  return claimFlush();
}

bool JSWriteCoalescer::setForeground(bool foreground) {
  m_isForeground = foreground;
  return claimFlush();
}

std::optional<std::string> JSWriteCoalescer::takeFlush(std::int64_t currentGeneration) {
  m_flushScheduled = false;
  std::optional<std::string> joined;
  for (std::size_t i = 0; i < m_pending.size(); ++i) {
    const auto& generation = m_pendingGenerations[i];
    if (generation && *generation != currentGeneration) continue;
    if (joined) {
      joined->push_back('\n');
      joined->append(m_pending[i]);
    } else {
      joined = std::move(m_pending[i]);
    }
  }
  m_pending.clear();
  m_pendingGenerations.clear();
  return joined;
}

void JSWriteCoalescer::clear() {
  m_pending.clear();
  m_pendingGenerations.clear();
}

}  // namespace vesket::viewer
