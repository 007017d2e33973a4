#pragma once

#include <mutex>
#include <string>

namespace vesket::shell {

// Remembers the last key it was shown, so that a warning about a lasting condition is
// written once per distinct condition rather than on every call. Safe from any thread.
class WarningLatch {
 public:
  // True when `key` differs from the remembered key; it then becomes the remembered key.
  bool shouldWrite(const std::string& key) {
    std::lock_guard lock(m_mutex);
    if (m_hasKey && m_lastKey == key) return false;
    m_lastKey = key;
    m_hasKey = true;
    return true;
  }

 private:
  std::mutex m_mutex;
  std::string m_lastKey;
  bool m_hasKey = false;
};

}  // namespace vesket::shell
