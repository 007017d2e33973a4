#pragma once

// The bounded queue of one link stream: messages from the daemon wait here until the
// stream's reader (a remote viewer) takes them. When the reader falls more than
// `maxBytes` behind, the queue drops what it holds and stays overflowed: the reader is too
// slow for this stream and must start it afresh (a terminal viewer catches up from a new
// screen). Nothing a slow reader does can make the relay hold more than `maxBytes` for it.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace vesket::relay_service {

struct StreamMessage {
  bool binary = false;  // a terminal frame (without the stream number), else a text line
  std::string bytes;

  friend bool operator==(const StreamMessage&, const StreamMessage&) = default;
};

class StreamQueue {
 public:
  explicit StreamQueue(std::size_t maxBytes) : m_maxBytes(maxBytes) {}

  // False when the message did not fit: the queue is then emptied and overflowed.
  bool push(StreamMessage message);
  std::optional<StreamMessage> pop();

  bool empty() const { return m_messages.empty(); }
  bool overflowed() const { return m_overflowed; }
  std::size_t bytes() const { return m_bytes; }

 private:
  std::deque<StreamMessage> m_messages;
  std::size_t m_bytes = 0;
  std::size_t m_maxBytes;
  bool m_overflowed = false;
};

}  // namespace vesket::relay_service
