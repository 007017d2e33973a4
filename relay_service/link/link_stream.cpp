#include "relay_service/link/link_stream.h"

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

#include "relay_service/core/link_protocol.h"
#include "relay_service/link/daemon_link.h"

namespace vesket::relay_service {

namespace net = boost::asio;

LinkStream::LinkStream(std::weak_ptr<DaemonLink> link, std::string id, std::uint32_t number, std::size_t maxQueuedBytes)
    : m_link(std::move(link)), m_id(std::move(id)), m_number(number), m_queue(maxQueuedBytes) {}

std::optional<LinkStream::End> LinkStream::end() const {
  const std::lock_guard lock(m_mutex);
  return m_end;
}

std::string LinkStream::failure() const {
  const std::lock_guard lock(m_mutex);
  return m_failure;
}

net::awaitable<std::optional<StreamMessage>> LinkStream::next() {
  const auto executor = co_await net::this_coro::executor;
  for (;;) {
    std::shared_ptr<net::steady_timer> wake;
    {
      const std::lock_guard lock(m_mutex);
      if (auto message = m_queue.pop()) co_return message;
      if (m_end) co_return std::nullopt;
      if (!m_wake) m_wake = std::make_shared<net::steady_timer>(executor);
      m_wake->expires_at(net::steady_timer::time_point::max());
      wake = m_wake;
    }
    auto [error] = co_await wake->async_wait(net::as_tuple(net::use_awaitable));
    (void)error;
  }
}

void LinkStream::wakeLocked() {
  if (m_wake) net::post(m_wake->get_executor(), [wake = m_wake] { wake->cancel(); });
}

void LinkStream::deliver(StreamMessage message) {
  bool overflowed = false;
  {
    const std::lock_guard lock(m_mutex);
    if (m_end) return;
    if (!m_queue.push(std::move(message))) {
      overflowed = true;
      m_end = End::overflowed;
    }
    wakeLocked();
  }
  if (overflowed) {
    if (auto link = m_link.lock()) link->dropStream(m_id, true);
  }
}

void LinkStream::finish(End end, std::string failure) {
  const std::lock_guard lock(m_mutex);
  if (m_end) return;
  m_end = end;
  m_failure = std::move(failure);
  wakeLocked();
}

bool LinkStream::sendFrame(std::string_view frame) {
  if (end()) return false;
  auto link = m_link.lock();
  return link && link->sendToDaemon(relay::DaemonLinkFrame::encode(m_number, frame), true);
}

void LinkStream::close() {
  finish(End::closedByReader);
  if (auto link = m_link.lock()) link->dropStream(m_id, true);
}

}  // namespace vesket::relay_service
