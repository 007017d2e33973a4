#include "relay_service/core/inbox_event_queue.h"

namespace vesket::relay_service {

std::string InboxEvent::serverSent() const {
  std::string text = "event: " + name + "\n";
  // A data line never holds a line break (the JSON is one line); guard anyway, so an event
  // can never end the frame early.
  std::string line = data;
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text + "data: " + line + "\n\n";
}

InboxEvent InboxEvents::resync() { return InboxEvent{message, R"({"resync":true})"}; }

void InboxEventQueue::push(InboxEvent event) {
  if (m_events.size() >= m_capacity) {
    m_events.clear();
    ++m_collapses;
    m_events.push_back(InboxEvents::resync());
    if (m_capacity == 1) return;
  }
  m_events.push_back(std::move(event));
}

std::optional<InboxEvent> InboxEventQueue::pop() {
  if (m_events.empty()) return std::nullopt;
  InboxEvent event = std::move(m_events.front());
  m_events.pop_front();
  return event;
}

}  // namespace vesket::relay_service
