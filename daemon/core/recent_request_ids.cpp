#include "daemon/core/recent_request_ids.h"

#include <algorithm>

namespace vesket::daemon {

bool RecentRequestIds::claim(const std::string& id) {
  if (!m_ids.insert(id).second) return false;
  m_order.push_back(id);
  while (m_order.size() > m_capacity) {
    m_ids.erase(m_order.front());
    m_order.pop_front();
  }
  return true;
}

void RecentRequestIds::release(const std::string& id) {
  if (m_ids.erase(id) == 0) return;
  const auto it = std::find(m_order.begin(), m_order.end(), id);
  if (it != m_order.end()) m_order.erase(it);
}

}  // namespace vesket::daemon
