// The live terminal of a pane through the relay: GET /api/terminal/attach (a WebSocket)
// opens the daemon's "terminal-attach" stream on its link and carries terminal frames
// both ways as binary messages, unchanged. The viewer's socket has a bounded send queue:
// a viewer that falls behind has its stream stopped and, once its socket has drained,
// opened afresh (a new screen instead of the missed output). The daemon, its link and
// other viewers never wait for it, and the relay never holds more than the link stream's
// queue and the socket's queue for it.
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>

#include <fmt/format.h>

#include "relay/core/terminal_protocol.h"
#include "relay_service/api/endpoint_families.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/pane_request_rules.h"
#include "relay_service/link/daemon_links.h"
#include "relay_service/link/link_stream.h"
#include "relay_service/store/relay_store.h"

namespace vesket::relay_service {
namespace {

namespace net = boost::asio;
namespace TP = relay::TerminalProtocol;

// A viewer whose socket holds more than this behind is resynchronised; it gets its new
// screen once the socket holds less than the low mark.
constexpr std::size_t kViewerHighWaterBytes = 1024 * 1024;
constexpr std::size_t kViewerLowWaterBytes = 64 * 1024;
constexpr std::chrono::milliseconds kDrainPoll{20};

class TerminalViewer : public WebSocketSession, public std::enable_shared_from_this<TerminalViewer> {
 public:
  TerminalViewer(DaemonLinks& links, std::int64_t daemonId, nlohmann::json args)
      : m_links(links), m_daemonId(daemonId), m_args(std::move(args)) {}

  // Runs on the connection's strand, as do received and closed; so does the pump.
  void opened(std::shared_ptr<WebSocketChannel> channel) override {
    m_channel = std::move(channel);
    m_executor = m_channel->executor();
    net::co_spawn(m_executor, pump(shared_from_this()), net::detached);
  }

  void received(std::string message, bool binary) override {
    // Viewers speak binary frames only; input during a resynchronisation is dropped (the
    // viewer's keys would land on a screen it has not seen).
    if (binary && m_stream && !message.empty()) m_stream->sendFrame(message);
  }

  void closed() override {
    m_closed = true;
    if (m_stream) m_stream->close();
  }

 private:
  enum class Outcome { viewerGone, behind, ended, linkLost, failed };

  static net::awaitable<void> pump(std::shared_ptr<TerminalViewer> self) {
    for (;;) {
      auto relaying = self->relay();
      const Outcome outcome = co_await std::move(relaying);
      if (outcome == Outcome::viewerGone) co_return;
      if (outcome == Outcome::ended) {
        self->m_channel->close(1000, "terminal ended");
        co_return;
      }
      if (outcome == Outcome::linkLost || outcome == Outcome::failed) {
        // The viewer reconnects with its back-off and finds the daemon again (or a 503).
        self->m_channel->close(1011, outcome == Outcome::linkLost ? "daemon link lost" : "terminal stream failed");
        co_return;
      }
      // Behind: wait for the socket to drain, then a fresh screen (not a new open).
      net::steady_timer timer(self->m_executor);
      while (!self->m_closed && self->m_channel->queuedBytes() > kViewerLowWaterBytes) {
        timer.expires_after(kDrainPoll);
        co_await timer.async_wait(net::use_awaitable);
      }
      if (self->m_closed) co_return;
      self->m_args["open"] = false;
    }
  }

  // One attach stream, relayed until it ends or the viewer falls behind.
  net::awaitable<Outcome> relay() {
    try {
      m_stream = m_links.openStream(m_daemonId, "terminal-attach", m_args);
    } catch (const DaemonUnreachable&) {
      co_return Outcome::linkLost;
    }
    if (m_closed) {
      m_stream->close();
      co_return Outcome::viewerGone;
    }
    std::shared_ptr<LinkStream> stream = m_stream;
    bool exited = false;
    for (;;) {
      auto reading = stream->next();
      std::optional<StreamMessage> message = co_await std::move(reading);
      if (!message) break;
      if (message->binary) {
        if (m_channel->queuedBytes() > kViewerHighWaterBytes) {
          stream->close();
          m_stream.reset();
          co_return Outcome::behind;
        }
        if (!message->bytes.empty() && static_cast<TP::Op>(message->bytes.front()) == TP::Op::exit) exited = true;
        m_channel->send(std::move(message->bytes), true);
        continue;
      }
      // Text lines: the stream's acknowledgement, its end, or the daemon's refusal.
      const auto line = nlohmann::json::parse(message->bytes, nullptr, false);
      if (line.is_object() && line.value("ok", true) == false) {
        const std::string error = line.value("error", std::string("the terminal could not be opened"));
        m_channel->send(TP::encodeError(relay::ErrorPayload{error}), true);
        if (PaneRequestRules::paneGone(error)) {
          relay::ExitPayload exit;
          exit.reason = "pane gone";
          m_channel->send(TP::encodeExit(exit), true);
          exited = true;
        }
      }
    }
    m_stream.reset();
    if (m_closed) co_return Outcome::viewerGone;
    switch (stream->end().value_or(LinkStream::End::failed)) {
      case LinkStream::End::overflowed: co_return Outcome::behind;
      case LinkStream::End::linkClosed: co_return Outcome::linkLost;
      case LinkStream::End::done: co_return exited ? Outcome::ended : Outcome::failed;
      case LinkStream::End::closedByReader: co_return Outcome::viewerGone;
      case LinkStream::End::failed: break;
    }
    co_return exited ? Outcome::ended : Outcome::failed;
  }

  DaemonLinks& m_links;
  std::int64_t m_daemonId;
  nlohmann::json m_args;
  net::any_io_executor m_executor;
  std::shared_ptr<WebSocketChannel> m_channel;
  std::shared_ptr<LinkStream> m_stream;
  bool m_closed = false;
};

// The daemon the viewer reaches: with an account token, one of the account's (the query's
// daemonId, else its connected one); with a daemon token, that daemon itself (a machine
// watching its own panes through the relay).
DaemonRecord attachTarget(ApiCall& call) {
  const auto token = call.request.bearerToken();
  const auto daemonId = PaneRequestRules::daemonId(call.request.queryParam("daemonId"));
  if (token && token->find('.') == std::string::npos) {
    const DaemonRecord daemon = requireDaemonToken(call);
    if (daemon.revoked) throw ApiError(401, "unauthorized", "unauthorized: this daemon's pairing was revoked");
    if (daemonId && *daemonId != daemon.id) throw ApiError::notFound(fmt::format("no daemon {} in this account", *daemonId));
    return daemon;
  }
  const AuthenticatedAccount account = requireAccount(call);
  return requireTargetDaemon(call, account, daemonId);
}

}  // namespace

net::awaitable<WebSocketAcceptance> acceptTerminalAttach(ApiCall call) {
  nlohmann::json args = PaneRequestRules::terminalAttachArgs(call.request.query);
  const DaemonRecord daemon = attachTarget(call);
  if (!call.context.links.isConnected(daemon.id)) {
    throw ApiError(503, "daemon_offline", "the daemon is not connected to the relay");
  }
  WebSocketAcceptance acceptance;
  acceptance.session = std::make_shared<TerminalViewer>(call.context.links, daemon.id, std::move(args));
  // Nearly every message of a live terminal goes to or comes from the daemon's link: the
  // viewer's socket joins the link's thread.
  acceptance.affinity = call.context.links.linkExecutor(daemon.id);
  co_return acceptance;
}

}  // namespace vesket::relay_service
