#include "relay_service/link/daemon_link.h"

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <fmt/format.h>

#include "control_plane/core/frames.h"
#include "relay_service/core/link_protocol.h"
#include "relay_service/link/link_stream.h"

namespace vesket::relay_service {

namespace net = boost::asio;

DaemonLink::DaemonLink(DaemonRecord daemon, Events events) : m_daemon(std::move(daemon)), m_events(std::move(events)) {}

DaemonLink::~DaemonLink() = default;

std::string DaemonLink::nextId(const char* prefix) {
  // Under m_mutex.
  return fmt::format("{}-{}", prefix, ++m_sequence);
}

void DaemonLink::opened(std::shared_ptr<WebSocketChannel> channel) {
  std::string hello;
  {
    const std::lock_guard lock(m_mutex);
    m_channel = std::move(channel);
    hello = LinkProtocol::encodeRequest(nextId("hello"), std::string(LinkProtocol::kHelloCommand),
                                        {{"userId", m_daemon.userId}, {"daemonId", m_daemon.id}});
  }
  // Registered before the hello goes out: a daemon that has its hello can be reached.
  if (m_events.opened) m_events.opened(*this);
  sendToDaemon(std::move(hello), false);
}

void DaemonLink::heardFrom() {
  if (m_events.heardFrom) m_events.heardFrom(*this);
}

void DaemonLink::closed() {
  std::map<std::string, std::shared_ptr<Pending>, std::less<>> pending;
  std::map<std::string, std::shared_ptr<LinkStream>, std::less<>> streams;
  {
    const std::lock_guard lock(m_mutex);
    m_closed = true;
    pending.swap(m_pending);
    streams.swap(m_streams);
    m_streamsByNumber.clear();
    m_channel.reset();
    for (auto& [id, request] : pending) {
      request->linkClosed = true;
      net::post(request->timer.get_executor(), [request] { request->timer.cancel(); });
    }
  }
  for (auto& [id, stream] : streams) stream->finish(LinkStream::End::linkClosed);
  if (m_events.closed) m_events.closed(*this);
}

void DaemonLink::close(std::uint16_t code, const std::string& reason) {
  std::shared_ptr<WebSocketChannel> channel;
  {
    const std::lock_guard lock(m_mutex);
    channel = m_channel;
  }
  if (channel) channel->close(code, reason);
}

net::any_io_executor DaemonLink::executor() const {
  const std::lock_guard lock(m_mutex);
  return m_channel ? m_channel->executor() : net::any_io_executor();
}

bool DaemonLink::sendToDaemon(std::string message, bool binary) {
  std::shared_ptr<WebSocketChannel> channel;
  {
    const std::lock_guard lock(m_mutex);
    channel = m_channel;
  }
  return channel && channel->send(std::move(message), binary);
}

net::awaitable<LinkAnswer> DaemonLink::request(std::string cmd, nlohmann::json args, std::chrono::milliseconds timeout) {
  auto pending = std::make_shared<Pending>(co_await net::this_coro::executor);
  std::string id;
  {
    const std::lock_guard lock(m_mutex);
    if (m_closed) throw DaemonUnreachable(DaemonUnreachable::Kind::closed, "the daemon's link has closed");
    id = nextId("r");
    m_pending.emplace(id, pending);
  }
  std::string message = LinkProtocol::encodeRequest(id, cmd, args);
  if (!sendToDaemon(std::move(message), false)) {
    const std::lock_guard lock(m_mutex);
    m_pending.erase(id);
    throw DaemonUnreachable(DaemonUnreachable::Kind::busy, "the daemon's link is not taking more requests now");
  }
  // The answer cancels the timer; both run on this coroutine's strand, so a cancel can
  // only come once the wait has begun.
  pending->timer.expires_after(timeout);
  auto [waitError] = co_await pending->timer.async_wait(net::as_tuple(net::use_awaitable));
  (void)waitError;
  const std::lock_guard lock(m_mutex);
  m_pending.erase(id);
  if (pending->answer) co_return std::move(*pending->answer);
  if (pending->linkClosed) {
    throw DaemonUnreachable(DaemonUnreachable::Kind::closed, "the daemon's link closed before it answered");
  }
  throw DaemonUnreachable(DaemonUnreachable::Kind::timeout,
                          fmt::format("the daemon did not answer '{}' within {} ms", cmd, timeout.count()));
}

std::shared_ptr<LinkStream> DaemonLink::openStream(std::string cmd, nlohmann::json args,
                                                   const LinkStreamOptions& options) {
  std::shared_ptr<LinkStream> stream;
  {
    const std::lock_guard lock(m_mutex);
    if (m_closed) throw DaemonUnreachable(DaemonUnreachable::Kind::closed, "the daemon's link has closed");
    std::uint32_t number = ++m_nextStream;
    if (number == 0) number = ++m_nextStream;  // 0 is never a stream
    stream = std::make_shared<LinkStream>(weak_from_this(), nextId("s"), number, options.maxQueuedBytes);
    m_streams.emplace(stream->id(), stream);
    m_streamsByNumber.emplace(number, stream);
  }
  if (!sendToDaemon(LinkProtocol::encodeRequest(stream->id(), cmd, args, stream->number()), false)) {
    dropStream(stream->id(), false);
    throw DaemonUnreachable(DaemonUnreachable::Kind::busy, "the daemon's link is not taking more requests now");
  }
  return stream;
}

void DaemonLink::dropStream(const std::string& id, bool tellDaemon) {
  std::shared_ptr<LinkStream> stream;
  {
    const std::lock_guard lock(m_mutex);
    const auto it = m_streams.find(id);
    if (it == m_streams.end()) return;
    stream = it->second;
    m_streams.erase(it);
    m_streamsByNumber.erase(stream->number());
  }
  if (tellDaemon) sendToDaemon(control_plane::encodeCancelLine(id), false);
}

void DaemonLink::received(std::string message, bool binary) {
  if (binary) {
    receiveFrame(message);
  } else {
    receiveLine(message);
  }
}

void DaemonLink::receiveLine(const std::string& line) {
  const auto head = control_plane::FrameHead::decode(line);
  if (!head || !head->id) return;  // not a reply to anything: ignored, as a client would
  std::shared_ptr<Pending> pending;
  std::shared_ptr<LinkStream> stream;
  {
    const std::lock_guard lock(m_mutex);
    if (const auto it = m_pending.find(*head->id); it != m_pending.end()) {
      pending = it->second;
      if (pending->answer) return;  // a second line for a unary request: ignored
      LinkAnswer answer;
      answer.ok = head->ok.value_or(false);
      if (answer.ok) {
        const auto json = nlohmann::json::parse(line, nullptr, false);
        if (json.is_object() && json.contains("data")) answer.data = json["data"];
      } else {
        answer.error = head->error.value_or("unknown error");
      }
      pending->answer = std::move(answer);
      net::post(pending->timer.get_executor(), [pending] { pending->timer.cancel(); });
      return;
    }
    if (const auto it = m_streams.find(*head->id); it != m_streams.end()) stream = it->second;
  }
  if (!stream) return;  // a late line of a request that timed out or a stream that ended
  if (head->done.value_or(false)) {
    dropStream(stream->id(), false);
    stream->finish(LinkStream::End::done);
  } else if (head->ok == false) {
    dropStream(stream->id(), false);
    stream->finish(LinkStream::End::failed, head->error.value_or("stream error"));
  } else {
    stream->deliver(StreamMessage{false, line});
  }
}

void DaemonLink::receiveFrame(const std::string& message) {
  const auto frame = relay::DaemonLinkFrame::decode(message);
  if (!frame) return;
  std::shared_ptr<LinkStream> stream;
  {
    const std::lock_guard lock(m_mutex);
    const auto it = m_streamsByNumber.find(frame->stream);
    if (it == m_streamsByNumber.end()) return;
    stream = it->second;
  }
  stream->deliver(StreamMessage{true, std::string(frame->frame)});
}

}  // namespace vesket::relay_service
