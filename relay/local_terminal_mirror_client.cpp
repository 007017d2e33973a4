#include "relay/local_terminal_mirror_client.h"

#include <QLoggingCategory>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/control_plane_errors.h"
#include "control_plane/event_stream.h"
#include "control_plane/terminal_attach_session.h"
#include "relay/core/terminal_protocol.h"

namespace vesket::relay {

namespace {
Q_LOGGING_CATEGORY(terminalMirrorLog, "com.nimbrel.vesket.terminal-mirror")
}

std::string LocalAttachUnavailableReason::describe() const {
  if (const auto* e = std::get_if<StreamError>(&value)) return "streamError(" + e->description + ")";
  if (const auto* c = std::get_if<ChannelDisconnected>(&value)) return "channelDisconnected(" + c->description + ")";
  return "streamClosedWithoutTerminalEnd";
}

LocalTerminalMirrorClient::LocalTerminalMirrorClient(std::shared_ptr<control_plane::ControlPlaneClient> control,
                                                     Options options, std::weak_ptr<TerminalMirrorListener> listener,
                                                     std::function<void(const LocalAttachUnavailableReason&)> onUnavailable,
                                                     std::function<void()> onConnectSent, QObject* parent)
    : QObject(parent),
      m_control(std::move(control)),
      m_options(std::move(options)),
      m_listener(std::move(listener)),
      m_onUnavailable(std::move(onUnavailable)),
      m_onConnectSent(std::move(onConnectSent)) {
  m_keepalive.setInterval(std::max(1, m_options.keepaliveIntervalMs));
  QObject::connect(&m_keepalive, &QTimer::timeout, this, [this] { sendPing(); });
}

LocalTerminalMirrorClient::~LocalTerminalMirrorClient() {
  m_closedByUser = true;
  closeSession();
}

void LocalTerminalMirrorClient::connect() {
  if (m_closedByUser || m_session) return;
  open(m_options.initialOpen && !m_hasOpenedOnce);
}

void LocalTerminalMirrorClient::open(bool freshOpen) {
  ++m_epoch;
  control_plane::CommandArguments::TerminalAttachRequest request{
      .paneId = m_options.paneId,
      .cols = m_options.cols,
      .rows = m_options.rows,
      .mode = m_options.mode,
      .force = m_options.force,
      .historyLimit = m_options.historyLimit,
      .open = freshOpen,
      .openLatency = m_options.openLatency,
  };
  QPointer<LocalTerminalMirrorClient> self(this);
  const int epoch = m_epoch;
  m_session = m_control->terminalAttach(std::move(request), [self, epoch] {
    if (self && self->m_epoch == epoch && self->m_onConnectSent) self->m_onConnectSent();
  });
  m_hasOpenedOnce = true;
  m_events = std::make_shared<Events>(m_session->events());
  m_keepalive.start();
  pump(self, m_events, epoch);
}

QCoro::Task<void> LocalTerminalMirrorClient::pump(QPointer<LocalTerminalMirrorClient> self,
                                                  std::shared_ptr<Events> events, int epoch) {
  std::optional<LocalAttachUnavailableReason> failure;
  try {
    while (true) {
      auto next = events->next();
      std::optional<std::string> chunk = co_await std::move(next);
      if (!self || self->m_epoch != epoch) co_return;
      if (!chunk) break;
      self->handle(*chunk);
    }
  } catch (const control_plane::DaemonUnavailable&) {
    failure = LocalAttachUnavailableReason::channelDisconnected(kChannelDisconnected);
  } catch (const control_plane::SocketError&) {
    failure = LocalAttachUnavailableReason::channelDisconnected(kChannelDisconnected);
  } catch (const std::exception& error) {
    failure = LocalAttachUnavailableReason::streamError(error.what());
  }
  if (self) self->streamEnded(epoch, std::move(failure));
}

void LocalTerminalMirrorClient::handle(const std::string& message) {
  const TerminalProtocol::Frame frame = TerminalProtocol::decode(message);
  if (std::holds_alternative<TerminalProtocol::Exit>(frame)) m_terminalEnded = true;
  // The listener may detach or reattach from inside its callback: hold it for the call.
  if (auto listener = m_listener.lock()) TerminalMirrorFrames::dispatch(frame, *listener);
}

void LocalTerminalMirrorClient::streamEnded(int epoch, std::optional<LocalAttachUnavailableReason> failure) {
  if (epoch != m_epoch) return;
  m_keepalive.stop();
  m_session.reset();
  m_events.reset();
  if (m_closedByUser || m_terminalEnded) return;
  escalate(failure ? *failure : LocalAttachUnavailableReason::streamClosedWithoutTerminalEnd());
}

void LocalTerminalMirrorClient::escalate(const LocalAttachUnavailableReason& reason) {
  if (m_escalated) return;
  m_escalated = true;
  qCWarning(terminalMirrorLog, "local terminal-attach unavailable: %s", reason.describe().c_str());
  if (m_onUnavailable) m_onUnavailable(reason);
}

void LocalTerminalMirrorClient::closeSession() {
  m_keepalive.stop();
  ++m_epoch;  // a pump still waiting on the old session ends without reporting
  if (auto events = std::exchange(m_events, nullptr)) events->cancel();
  if (auto session = std::exchange(m_session, nullptr)) session->detach();
}

void LocalTerminalMirrorClient::detach() {
  if (m_closedByUser) return;
  m_closedByUser = true;
  closeSession();
}

void LocalTerminalMirrorClient::reattach() {
  if (m_closedByUser) return;
  closeSession();
  m_terminalEnded = false;
  auto latency = m_options.openLatency.value_or(std::map<std::string, std::string>{});
  latency.erase("openId");
  latency["openReason"] = "transport_reattach";
  m_options.openLatency = std::move(latency);
  open(false);
}

void LocalTerminalMirrorClient::write(const std::string& frame) {
  if (m_session) m_session->input(frame);
}

void LocalTerminalMirrorClient::sendResize(std::int64_t cols, std::int64_t rows) {
  write(TerminalProtocol::encodeResize(cols, rows));
}
void LocalTerminalMirrorClient::sendInput(const std::string& bytes) { write(TerminalProtocol::encodeInput(bytes)); }
void LocalTerminalMirrorClient::sendHistoryMore() { write(TerminalProtocol::encodeHistoryMore()); }
void LocalTerminalMirrorClient::sendOpenLatency(const std::string& bytes) { write(bytes); }
void LocalTerminalMirrorClient::sendContentParity(const std::string& text) {
  write(TerminalProtocol::encodeContentParity(text));
}
void LocalTerminalMirrorClient::sendPing() { write(TerminalProtocol::encodePing()); }

}  // namespace vesket::relay
