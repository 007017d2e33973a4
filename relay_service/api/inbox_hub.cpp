#include "relay_service/api/inbox_hub.h"

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

namespace vesket::relay_service {

namespace net = boost::asio;

net::awaitable<std::optional<InboxEvent>> InboxSubscription::next(std::chrono::milliseconds wait) {
  const auto executor = co_await net::this_coro::executor;
  std::shared_ptr<net::steady_timer> timer;
  {
    const std::lock_guard lock(m_mutex);
    if (auto event = m_queue.pop()) co_return event;
    if (m_stopped) co_return std::nullopt;
    if (!m_wake) m_wake = std::make_shared<net::steady_timer>(executor);
    m_wake->expires_after(wait);
    timer = m_wake;
  }
  auto [error] = co_await timer->async_wait(net::as_tuple(net::use_awaitable));
  (void)error;
  const std::lock_guard lock(m_mutex);
  co_return m_queue.pop();
}

void InboxSubscription::wakeLocked() {
  if (m_wake) net::post(m_wake->get_executor(), [wake = m_wake] { wake->cancel(); });
}

void InboxSubscription::deliver(InboxEvent event) {
  const std::lock_guard lock(m_mutex);
  if (m_stopped) return;
  m_queue.push(std::move(event));
  wakeLocked();
}

void InboxSubscription::stop() {
  const std::lock_guard lock(m_mutex);
  m_stopped = true;
  wakeLocked();
}

bool InboxSubscription::stopped() const {
  const std::lock_guard lock(m_mutex);
  return m_stopped;
}

std::shared_ptr<InboxSubscription> InboxHub::subscribe(std::int64_t userId) {
  auto subscription = std::make_shared<InboxSubscription>(userId);
  const std::lock_guard lock(m_mutex);
  m_subscribers.emplace(userId, subscription);
  return subscription;
}

void InboxHub::publish(std::int64_t userId, const InboxEvent& event) {
  std::vector<std::shared_ptr<InboxSubscription>> listeners;
  {
    const std::lock_guard lock(m_mutex);
    auto [first, last] = m_subscribers.equal_range(userId);
    for (auto it = first; it != last;) {
      if (auto subscription = it->second.lock()) {
        listeners.push_back(std::move(subscription));
        ++it;
      } else {
        it = m_subscribers.erase(it);
      }
    }
  }
  for (const auto& listener : listeners) listener->deliver(event);
}

std::size_t InboxHub::subscriberCount() const {
  const std::lock_guard lock(m_mutex);
  std::size_t count = 0;
  for (const auto& [user, weak] : m_subscribers) count += weak.expired() ? 0 : 1;
  return count;
}

}  // namespace vesket::relay_service
