#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <boost/asio/awaitable.hpp>
#include <boost/asio/steady_timer.hpp>

#include "relay_service/core/account_records.h"
#include "relay_service/http/http_handler.h"
#include "relay_service/link/daemon_links.h"

namespace vesket::relay_service {

class LinkStream;

// One connected daemon: its WebSocket session. Correlates the daemon's reply lines with
// the requests waiting for them (by id, each with its own timeout) and hands stream lines
// and terminal frames to their LinkStream. The link never waits for a reader: a stream
// whose reader lags is dropped, nothing else is held up.
class DaemonLink : public WebSocketSession, public std::enable_shared_from_this<DaemonLink> {
 public:
  struct Events {
    std::function<void(DaemonLink&)> opened;
    std::function<void(DaemonLink&)> heardFrom;
    std::function<void(DaemonLink&)> closed;
  };

  DaemonLink(DaemonRecord daemon, Events events);
  ~DaemonLink() override;

  const DaemonRecord& daemon() const { return m_daemon; }

  boost::asio::awaitable<LinkAnswer> request(std::string cmd, nlohmann::json args, std::chrono::milliseconds timeout);
  std::shared_ptr<LinkStream> openStream(std::string cmd, nlohmann::json args, const LinkStreamOptions& options);
  // Closes the link (a replaced or revoked daemon).
  void close(std::uint16_t code, const std::string& reason);

  // WebSocketSession.
  void opened(std::shared_ptr<WebSocketChannel> channel) override;
  void received(std::string message, bool binary) override;
  void heardFrom() override;
  void closed() override;

  // Used by LinkStream.
  bool sendToDaemon(std::string message, bool binary);
  // The strand of the link's connection (empty once it closed).
  boost::asio::any_io_executor executor() const;
  void dropStream(const std::string& id, bool tellDaemon);

 private:
  struct Pending {
    explicit Pending(boost::asio::any_io_executor executor) : timer(std::move(executor)) {}
    boost::asio::steady_timer timer;
    std::optional<LinkAnswer> answer;
    bool linkClosed = false;
  };

  void receiveLine(const std::string& line);
  void receiveFrame(const std::string& message);
  std::string nextId(const char* prefix);

  DaemonRecord m_daemon;
  Events m_events;
  std::shared_ptr<WebSocketChannel> m_channel;
  mutable std::mutex m_mutex;
  bool m_closed = false;
  std::uint64_t m_sequence = 0;
  std::uint32_t m_nextStream = 0;
  std::map<std::string, std::shared_ptr<Pending>, std::less<>> m_pending;
  std::map<std::string, std::shared_ptr<LinkStream>, std::less<>> m_streams;
  std::map<std::uint32_t, std::shared_ptr<LinkStream>> m_streamsByNumber;
};

}  // namespace vesket::relay_service
