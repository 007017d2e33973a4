#pragma once

// The inbox change stream's events and the bounded queue each subscriber has. An event
// only tells the application that something changed and should be fetched again, so a
// subscriber that falls behind loses nothing by having its backlog collapsed: when its
// queue is full, the queue is emptied and one "resync" event takes the place of all of
// them. Nothing a slow subscriber does makes the relay hold more than `capacity` events
// for it.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace vesket::relay_service {

struct InboxEvent {
  std::string name;  // "inbox-message", "notification", "task"
  std::string data;  // one line of JSON

  friend bool operator==(const InboxEvent&, const InboxEvent&) = default;

  // The event as server-sent-events text: "event: <name>\ndata: <data>\n\n".
  std::string serverSent() const;
};

namespace InboxEvents {
inline constexpr const char* message = "inbox-message";
inline constexpr const char* notification = "notification";
inline constexpr const char* task = "task";
// What replaces a collapsed backlog.
InboxEvent resync();
}  // namespace InboxEvents

class InboxEventQueue {
 public:
  explicit InboxEventQueue(std::size_t capacity) : m_capacity(capacity == 0 ? 1 : capacity) {}

  void push(InboxEvent event);
  std::optional<InboxEvent> pop();

  std::size_t size() const { return m_events.size(); }
  // How many times the backlog was collapsed.
  std::size_t collapses() const { return m_collapses; }

 private:
  std::deque<InboxEvent> m_events;
  std::size_t m_capacity;
  std::size_t m_collapses = 0;
};

}  // namespace vesket::relay_service
