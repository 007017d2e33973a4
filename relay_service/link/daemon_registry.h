#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "relay_service/http/http_handler.h"
#include "relay_service/link/daemon_links.h"

namespace vesket::relay_service {

class DaemonLink;
class DaemonStore;

// The daemons linked to this relay node: accepts their WebSockets ("/daemon", with the
// daemon token as bearer), keeps one link per daemon (a newer link replaces an older one),
// records presence (connected, last seen: on connect, on close, and when the daemon pings,
// at most once per `presenceInterval`), and routes requests and streams to the link.
class DaemonRegistry : public DaemonLinks {
 public:
  using Clock = std::function<std::int64_t()>;  // milliseconds since 1970

  DaemonRegistry(DaemonStore& store, Clock clock, std::chrono::milliseconds presenceInterval = std::chrono::seconds(15));
  ~DaemonRegistry() override;

  // The "/daemon" upgrade: 401 for a missing, unknown or revoked daemon token.
  WebSocketAcceptance accept(const HttpRequest& request);

  bool isConnected(std::int64_t daemonId) const override;
  boost::asio::awaitable<LinkAnswer> request(std::int64_t daemonId, std::string cmd, nlohmann::json args,
                                             std::chrono::milliseconds timeout) override;
  std::shared_ptr<LinkStream> openStream(std::int64_t daemonId, std::string cmd, nlohmann::json args,
                                         LinkStreamOptions options) override;

  boost::asio::any_io_executor linkExecutor(std::int64_t daemonId) const override;

  // Closes a daemon's link (its token was revoked).
  void disconnect(std::int64_t daemonId, const std::string& reason) override;
  std::size_t linkCount() const;

 private:
  std::shared_ptr<DaemonLink> find(std::int64_t daemonId) const;
  void linkOpened(DaemonLink& link);
  void linkHeardFrom(DaemonLink& link);
  void linkClosed(DaemonLink& link);

  DaemonStore& m_store;
  Clock m_clock;
  std::chrono::milliseconds m_presenceInterval;
  mutable std::mutex m_mutex;
  std::map<std::int64_t, std::shared_ptr<DaemonLink>> m_links;
  std::map<std::int64_t, std::int64_t> m_lastPresenceMs;
};

}  // namespace vesket::relay_service
