#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include <boost/asio/awaitable.hpp>
#include <boost/asio/steady_timer.hpp>

#include "relay_service/core/inbox_event_queue.h"

namespace vesket::relay_service {

// One listener to an account's inbox changes (an open change stream, a decision's
// long-poll), with its own bounded queue. Safe to use from any thread; `next` is awaited
// by one reader at a time, from a strand.
class InboxSubscription {
 public:
  static constexpr std::size_t kQueueCapacity = 64;

  explicit InboxSubscription(std::int64_t userId) : m_userId(userId), m_queue(kQueueCapacity) {}

  std::int64_t userId() const { return m_userId; }

  // The next event, waiting at most `wait`; nothing when the wait ran out or the
  // subscription was stopped.
  boost::asio::awaitable<std::optional<InboxEvent>> next(std::chrono::milliseconds wait);
  void deliver(InboxEvent event);
  void stop();
  bool stopped() const;

 private:
  void wakeLocked();

  std::int64_t m_userId;
  mutable std::mutex m_mutex;
  InboxEventQueue m_queue;
  bool m_stopped = false;
  std::shared_ptr<boost::asio::steady_timer> m_wake;
};

// Who listens to which account's inbox. Publishing never waits for a listener.
class InboxHub {
 public:
  std::shared_ptr<InboxSubscription> subscribe(std::int64_t userId);
  void publish(std::int64_t userId, const InboxEvent& event);
  std::size_t subscriberCount() const;

 private:
  mutable std::mutex m_mutex;
  std::multimap<std::int64_t, std::weak_ptr<InboxSubscription>> m_subscribers;
};

}  // namespace vesket::relay_service
