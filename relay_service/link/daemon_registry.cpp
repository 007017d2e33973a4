#include "relay_service/link/daemon_registry.h"

#include <fmt/format.h>

#include "relay_service/core/api_error.h"
#include "relay_service/link/daemon_link.h"
#include "relay_service/store/daemon_store.h"

namespace vesket::relay_service {

namespace {
// WebSocket close codes of the link (application range).
constexpr std::uint16_t kReplacedCode = 4000;
constexpr std::uint16_t kRevokedCode = 4001;
constexpr std::size_t kMaxDaemonMessageBytes = 32 * 1024 * 1024;
}  // namespace

DaemonRegistry::DaemonRegistry(DaemonStore& store, Clock clock, std::chrono::milliseconds presenceInterval)
    : m_store(store), m_clock(std::move(clock)), m_presenceInterval(presenceInterval) {}

DaemonRegistry::~DaemonRegistry() = default;

WebSocketAcceptance DaemonRegistry::accept(const HttpRequest& request) {
  const auto token = request.bearerToken();
  std::optional<DaemonRecord> daemon;
  if (token) daemon = m_store.findDaemonByToken(*token);
  if (!daemon || daemon->revoked) {
    const ApiError error = !token ? ApiError(401, "daemon_token_required", "daemon_token_required: send the daemon token")
                                  : ApiError(401, "unauthorized", "unknown daemon token (revoked or never issued)");
    return WebSocketAcceptance{nullptr, error.response()};
  }
  DaemonLink::Events events;
  events.opened = [this](DaemonLink& link) { linkOpened(link); };
  events.heardFrom = [this](DaemonLink& link) { linkHeardFrom(link); };
  events.closed = [this](DaemonLink& link) { linkClosed(link); };
  // A daemon's replies (pane lists, captures) may be larger than what the relay takes from
  // anyone else.
  return WebSocketAcceptance{std::make_shared<DaemonLink>(*daemon, std::move(events)), {}, kMaxDaemonMessageBytes};
}

void DaemonRegistry::linkOpened(DaemonLink& link) {
  std::shared_ptr<DaemonLink> replaced;
  const std::int64_t id = link.daemon().id;
  const std::int64_t now = m_clock();
  {
    const std::lock_guard lock(m_mutex);
    auto& slot = m_links[id];
    replaced = std::move(slot);
    slot = link.shared_from_this();
    m_lastPresenceMs[id] = now;
  }
  if (replaced) replaced->close(kReplacedCode, "replaced by a newer link of this daemon");
  m_store.recordPresence(id, true, now);
}

void DaemonRegistry::linkHeardFrom(DaemonLink& link) {
  const std::int64_t id = link.daemon().id;
  const std::int64_t now = m_clock();
  {
    const std::lock_guard lock(m_mutex);
    const auto it = m_links.find(id);
    if (it == m_links.end() || it->second.get() != &link) return;
    std::int64_t& last = m_lastPresenceMs[id];
    if (now - last < m_presenceInterval.count()) return;
    last = now;
  }
  m_store.recordPresence(id, true, now);
}

void DaemonRegistry::linkClosed(DaemonLink& link) {
  const std::int64_t id = link.daemon().id;
  {
    const std::lock_guard lock(m_mutex);
    const auto it = m_links.find(id);
    if (it == m_links.end() || it->second.get() != &link) return;  // already replaced
    m_links.erase(it);
    m_lastPresenceMs.erase(id);
  }
  m_store.recordPresence(id, false, m_clock());
}

std::shared_ptr<DaemonLink> DaemonRegistry::find(std::int64_t daemonId) const {
  const std::lock_guard lock(m_mutex);
  const auto it = m_links.find(daemonId);
  return it == m_links.end() ? nullptr : it->second;
}

bool DaemonRegistry::isConnected(std::int64_t daemonId) const { return find(daemonId) != nullptr; }

std::size_t DaemonRegistry::linkCount() const {
  const std::lock_guard lock(m_mutex);
  return m_links.size();
}

boost::asio::awaitable<LinkAnswer> DaemonRegistry::request(std::int64_t daemonId, std::string cmd, nlohmann::json args,
                                                           std::chrono::milliseconds timeout) {
  const auto link = find(daemonId);
  if (!link) {
    throw DaemonUnreachable(DaemonUnreachable::Kind::offline,
                            fmt::format("daemon {} is not connected to the relay", daemonId));
  }
  auto answer = link->request(std::move(cmd), std::move(args), timeout);
  co_return co_await std::move(answer);
}

std::shared_ptr<LinkStream> DaemonRegistry::openStream(std::int64_t daemonId, std::string cmd, nlohmann::json args,
                                                       LinkStreamOptions options) {
  const auto link = find(daemonId);
  if (!link) {
    throw DaemonUnreachable(DaemonUnreachable::Kind::offline,
                            fmt::format("daemon {} is not connected to the relay", daemonId));
  }
  return link->openStream(std::move(cmd), std::move(args), options);
}

boost::asio::any_io_executor DaemonRegistry::linkExecutor(std::int64_t daemonId) const {
  const auto link = find(daemonId);
  return link ? link->executor() : boost::asio::any_io_executor();
}

void DaemonRegistry::disconnect(std::int64_t daemonId, const std::string& reason) {
  if (const auto link = find(daemonId)) link->close(kRevokedCode, reason);
}

}  // namespace vesket::relay_service
