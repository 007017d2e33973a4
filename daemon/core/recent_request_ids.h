#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <unordered_set>

namespace vesket::daemon {

// Remembers the `clientRequestId`s of recent sends so that a client retrying a send it
// never got an answer for does not type the text twice. Bounded: the oldest ids are
// forgotten first.
class RecentRequestIds {
 public:
  explicit RecentRequestIds(std::size_t capacity = 4096) : m_capacity(capacity) {}

  // Records the id; false when it was already recorded (the request is a repeat).
  bool claim(const std::string& id);
  // Forgets an id whose request failed, so that a retry is carried out.
  void release(const std::string& id);
  bool contains(const std::string& id) const { return m_ids.count(id) != 0; }
  std::size_t size() const { return m_ids.size(); }

 private:
  std::size_t m_capacity;
  std::deque<std::string> m_order;
  std::unordered_set<std::string> m_ids;
};

}  // namespace vesket::daemon
