#include "relay/terminal_mirror_client.h"

#include <QAbstractSocket>
#include <QLoggingCategory>
#include <QNetworkRequest>
#include <QWebSocket>

#include "relay/core/terminal_protocol.h"

namespace vesket::relay {

namespace {
Q_LOGGING_CATEGORY(terminalMirrorLog, "com.nimbrel.vesket.terminal-mirror")
namespace TP = TerminalProtocol;
}  // namespace

TerminalMirrorClient::TerminalMirrorClient(std::string url, std::map<std::string, std::string> authHeaders,
                                           std::weak_ptr<TerminalMirrorListener> listener, Backoff backoff,
                                           QObject* parent)
    : QObject(parent),
      m_firstURL(url),
      m_url(std::move(url)),
      m_authHeaders(std::move(authHeaders)),
      m_listener(std::move(listener)),
      m_backoff(std::move(backoff)) {
  m_pingTimer.setSingleShot(true);
  m_pongTimer.setSingleShot(true);
  m_reconnectTimer.setSingleShot(true);
  m_pingTimer.setInterval(TerminalMirrorRules::kPingIntervalMs);
  m_pongTimer.setInterval(TerminalMirrorRules::kPongTimeoutMs);
  QObject::connect(&m_pingTimer, &QTimer::timeout, this, [this] { onPingTimer(); });
  QObject::connect(&m_pongTimer, &QTimer::timeout, this, [this] { onPongTimeout(); });
  QObject::connect(&m_reconnectTimer, &QTimer::timeout, this, [this] {
    if (m_state.closedByUser() || m_state.serverEnded()) return;
    m_url = TerminalMirrorRules::reopenURL(m_firstURL);
    open();
  });
}

TerminalMirrorClient::~TerminalMirrorClient() {
  m_state.detached();
  closeSocket(QStringLiteral("detach"));
}

void TerminalMirrorClient::setHeartbeat(int pingIntervalMs, int pongTimeoutMs) {
  m_pingTimer.setInterval(pingIntervalMs);
  m_pongTimer.setInterval(pongTimeoutMs);
}

void TerminalMirrorClient::connect() {
  if (m_state.closedByUser() || m_socket) return;
  open();
}

void TerminalMirrorClient::open() {
  closeSocket(QStringLiteral("reattach"));
  const int epoch = m_state.opened();
  m_hasOpenedOnce = true;
  auto* socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
  m_socket = socket;
  QObject::connect(socket, &QWebSocket::binaryMessageReceived, this,
                   [this, epoch](const QByteArray& message) { received(epoch, message); });
  QObject::connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this, [this, epoch, socket](QAbstractSocket::SocketError) {
    const std::string description = socket->errorString().toStdString();
    dropped(epoch, TerminalMirrorRules::handshakeStatus(description), description);
  });
  QObject::connect(socket, &QWebSocket::connected, this, [socket] {
    // Keys are small and wait for their echo: no Nagle delay (QWebSocket owns its TCP
    // socket as a child and offers no option for it).
    if (auto* tcp = socket->findChild<QAbstractSocket*>()) tcp->setSocketOption(QAbstractSocket::LowDelayOption, 1);
  });
  QObject::connect(socket, &QWebSocket::disconnected, this, [this, epoch, socket] {
    const std::string description = socket->closeReason().isEmpty() ? std::string("the connection closed")
                                                                       : socket->closeReason().toStdString();
    dropped(epoch, std::nullopt, description);
  });
  QNetworkRequest request{QUrl(QString::fromStdString(m_url))};
  request.setTransferTimeout(60000);
  for (const auto& [name, value] : m_authHeaders) request.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
  socket->open(request);
  m_pongTimer.stop();
  scheduleNextPing();
}

void TerminalMirrorClient::closeSocket(const QString& reason) {
  m_pingTimer.stop();
  m_pongTimer.stop();
  if (QWebSocket* socket = m_socket) {
    m_socket = nullptr;
    socket->disconnect(this);
    socket->close(QWebSocketProtocol::CloseCodeNormal, reason);
    socket->deleteLater();
  }
}

void TerminalMirrorClient::received(int epoch, const QByteArray& message) {
  if (!m_state.isCurrent(epoch) || m_state.closedByUser()) return;
  if (m_state.heardFrom(epoch)) {
    m_pongTimer.stop();
    scheduleNextPing();
  }
  const TP::Frame frame = TP::decode(std::string_view(message.constData(), static_cast<std::size_t>(message.size())));
  if (std::holds_alternative<TP::Ready>(frame)) m_state.ready();
  if (std::holds_alternative<TP::Exit>(frame)) m_state.exited();
  if (auto listener = m_listener.lock()) TerminalMirrorFrames::dispatch(frame, *listener);
}

void TerminalMirrorClient::dropped(int epoch, std::optional<int> httpStatus, const std::string& description) {
  const TerminalMirrorState::Drop drop = m_state.dropped(epoch, httpStatus, description, m_backoff);
  if (drop.kind == TerminalMirrorState::Drop::Kind::ignore) return;
  closeSocket(QStringLiteral("dropped"));
  if (drop.kind == TerminalMirrorState::Drop::Kind::fatal) {
    qCWarning(terminalMirrorLog, "terminal-attach WS rejected: %s%s", description.c_str(),
              httpStatus ? (" (HTTP " + std::to_string(*httpStatus) + ")").c_str() : "");
    if (auto listener = m_listener.lock()) listener->onError(drop.message);
    return;
  }
  m_reconnectTimer.start(drop.delayMs);
  if (auto listener = m_listener.lock()) listener->onReconnecting(drop.attempt, drop.delayMs);
}

void TerminalMirrorClient::scheduleNextPing() { m_pingTimer.start(); }

void TerminalMirrorClient::onPingTimer() {
  if (!m_state.pingDue()) return;
  send(TP::encodePing());
  m_pongTimer.start();
}

void TerminalMirrorClient::onPongTimeout() {
  switch (m_state.pongTimedOut()) {
    case TerminalMirrorState::PongCheck::nothing: return;
    case TerminalMirrorState::PongCheck::pingAgain: scheduleNextPing(); return;
    case TerminalMirrorState::PongCheck::reattach: reattach(); return;
  }
}

void TerminalMirrorClient::reattach() {
  if (m_state.closedByUser()) return;
  m_reconnectTimer.stop();
  m_url = TerminalMirrorRules::reopenURL(m_firstURL);
  open();
}

void TerminalMirrorClient::detach() {
  m_state.detached();
  m_reconnectTimer.stop();
  m_pingTimer.stop();
  m_pongTimer.stop();
  send(TP::encodeDetach());
  closeSocket(QStringLiteral("detach"));
}

void TerminalMirrorClient::send(const std::string& frame) {
  if (!m_socket) return;
  const bool idle = m_socket->bytesToWrite() == 0;
  m_socket->sendBinaryMessage(QByteArray(frame.data(), static_cast<qsizetype>(frame.size())));
  // The TCP socket would send on the event loop's next pass: a keystroke leaves now, unless
  // earlier frames still wait (those leave as the socket takes them).
  if (idle) m_socket->flush();
}

void TerminalMirrorClient::sendResize(std::int64_t cols, std::int64_t rows) { send(TP::encodeResize(cols, rows)); }
void TerminalMirrorClient::sendInput(const std::string& bytes) { send(TP::encodeInput(bytes)); }
void TerminalMirrorClient::sendHistoryMore() { send(TP::encodeHistoryMore()); }
void TerminalMirrorClient::sendOpenLatency(const std::string& bytes) { send(bytes); }
void TerminalMirrorClient::sendContentParity(const std::string& text) { send(TP::encodeContentParity(text)); }
void TerminalMirrorClient::sendRenderAnomaly(const std::string& text) { send(TP::encodeRenderAnomaly(text)); }
void TerminalMirrorClient::sendPing() { send(TP::encodePing()); }

}  // namespace vesket::relay
