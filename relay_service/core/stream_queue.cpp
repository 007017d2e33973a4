#include "relay_service/core/stream_queue.h"

namespace vesket::relay_service {

bool StreamQueue::push(StreamMessage message) {
  if (m_overflowed) return false;
  if (m_bytes + message.bytes.size() > m_maxBytes) {
    m_messages.clear();
    m_bytes = 0;
    m_overflowed = true;
    return false;
  }
  m_bytes += message.bytes.size();
  m_messages.push_back(std::move(message));
  return true;
}

std::optional<StreamMessage> StreamQueue::pop() {
  if (m_messages.empty()) return std::nullopt;
  StreamMessage message = std::move(m_messages.front());
  m_messages.pop_front();
  m_bytes -= message.bytes.size();
  return message;
}

}  // namespace vesket::relay_service
