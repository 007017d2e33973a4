#include "viewer/core/daemon_generation_tracker.h"

namespace vesket::viewer {

bool DaemonGenerationTracker::observe(std::optional<std::string_view> generation) {
  if (!generation || generation->empty()) return false;
  if (!m_current) {
    m_current = std::string(*generation);
    return false;
  }
  if (*m_current == *generation) return false;
  m_current = std::string(*generation);
  return true;
}

}  // namespace vesket::viewer
