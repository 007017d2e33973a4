#include "control_plane/core/command_names.h"
#include "daemon/control_connection.h"

#include <QDebug>
#include <QPointer>
#include <QTimer>
#include <utility>

#include <fmt/format.h>

#include "daemon/command_dispatcher.h"
#include "daemon/connection_transport.h"
#include "daemon/core/command_error.h"
#include "daemon/core/reply_line.h"
#include "daemon/spawn.h"
#include "daemon/stream_service.h"

namespace vesket::daemon {

ControlConnection::ControlConnection(ConnectionTransport* transport, CommandDispatcher& dispatcher,
                                     std::vector<StreamService*> streamServices,
                                     QString requiredToken, Limits limits, QObject* parent)
    : QObject(parent),
      m_transport(transport),
      m_dispatcher(dispatcher),
      m_streamServices(std::move(streamServices)),
      m_requiredToken(std::move(requiredToken)),
      m_limits(limits),
      m_reader(limits.maxLineBytes) {
  m_transport->setParent(this);
  connect(m_transport, &ConnectionTransport::readyRead, this, &ControlConnection::onReadyRead);
  connect(m_transport, &ConnectionTransport::bytesWritten, this, &ControlConnection::onBytesWritten);
  // Once the socket is gone nothing queued can leave: the connection is over at once, also
  // when it was already closing and waiting for its last lines to go out.
  connect(m_transport, &ConnectionTransport::disconnected, this, [this] {
    close({});
    finish();
  });
  connect(m_transport, &ConnectionTransport::failed, this, [this](const QString& reason) { close(reason); });
  // Bytes that arrived before the signals were connected.
  if (m_transport->bytesAvailable() > 0) QMetaObject::invokeMethod(this, &ControlConnection::onReadyRead, Qt::QueuedConnection);
}

ControlConnection::~ControlConnection() {
  // Destroyed while open (the daemon is going away): the streams still end, once.
  endStreams();
}

void ControlConnection::endStreams() {
  for (StreamService* service : std::exchange(m_streamServices, {})) service->connectionClosed(*this);
}

bool ControlConnection::isOpen() const {
  return !m_closing && m_transport->isOpen();
}

void ControlConnection::close(const QString& reason) {
  if (m_closing) return;
  m_closing = true;
  if (!reason.isEmpty()) qInfo().noquote() << "control connection closed:" << reason;
  endStreams();
  m_pendingEvents.clear();
  m_backlog.clear();
  if (!m_transport->isOpen()) {
    finish();
    return;
  }
  // Let what is queued (an error line) go out first; a client that does not let it go
  // within two seconds is cut off.
  m_transport->close();
  QTimer::singleShot(2000, this, [this] {
    m_transport->abort();
    finish();
  });
}

void ControlConnection::finish() {
  if (m_finished) return;
  m_finished = true;
  emit finished(this);
  deleteLater();
}

void ControlConnection::onReadyRead() {
  // While earlier lines wait for a free slot, leave the rest in the socket: Qt stops
  // reading at the read buffer's size and the client's writes block, which is the
  // backpressure a greedy client should feel.
  if (m_closing || !m_backlog.empty()) return;
  const QByteArray bytes = m_transport->readAll();
  for (std::string& line : m_reader.push(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
    m_backlog.push_back(std::move(line));
  }
  if (m_reader.overflowed()) {
    m_backlog.clear();
    sendLine(ReplyLine::failure(std::nullopt, fmt::format("request line too long: more than {} bytes without a line feed",
                                                           m_limits.maxLineBytes)));
    close(QStringLiteral("request line over the size limit"));
    return;
  }
  drainBacklog();
}

void ControlConnection::drainBacklog() {
  while (!m_closing && !m_backlog.empty() && m_inFlight < m_limits.maxRequestsInFlight) {
    const std::string line = std::move(m_backlog.front());
    m_backlog.pop_front();
    handleLine(line);
  }
  if (!m_closing && m_backlog.empty() && m_transport->bytesAvailable() > 0) {
    QMetaObject::invokeMethod(this, &ControlConnection::onReadyRead, Qt::QueuedConnection);
  }
}

void ControlConnection::handleLine(const std::string& line) {
  // Only the head is read before the token check: a client without the token never makes
  // the daemon build its arguments.
  auto parsed = readRequestHead(line);
  if (auto* rejection = std::get_if<RequestRejection>(&parsed)) {
    sendLine(ReplyLine::failure(rejection->id, rejection->error));
    return;
  }
  RequestHead& head = std::get<RequestHead>(parsed);

  if (head.cmd == control_plane::CommandName::cancel) {
    // A cancel only ends this connection's own stream, so it needs no token (the client
    // sends it without one).
    for (StreamService* service : m_streamServices) {
      if (service->cancel(*this, head.id)) {
        m_pendingEvents.erase(head.id);
        sendLine(ReplyLine::done(head.id));
        return;
      }
    }
    sendLine(ReplyLine::failure(head.id, "cancel: no open stream with this id"));
    return;
  }
  if (!m_requiredToken.isEmpty() &&
      (!head.token || QString::fromStdString(*head.token) != m_requiredToken)) {
    sendLine(ReplyLine::failure(head.id, head.token ? "unauthorized: wrong control token"
                                                    : "unauthorized: control token required"));
    return;
  }
  RequestFrame frame = completeRequestFrame(std::move(head), line);
  for (StreamService* service : m_streamServices) {
    if (service->servesCommand(frame.cmd)) {
      service->handle(*this, frame);
      return;
    }
  }
  ++m_inFlight;
  std::string what = "request " + frame.cmd;
  spawn(runUnary(std::move(frame)), std::move(what));
}

QCoro::Task<void> ControlConnection::runUnary(RequestFrame frame) {
  QPointer<ControlConnection> self(this);
  CommandDispatcher& dispatcher = m_dispatcher;
  // The frame itself moves on to the dispatcher: a request is never copied.
  const std::string id = frame.id;
  const std::string cmd = frame.cmd;
  std::string line;
  try {
    auto dispatching = dispatcher.dispatch(std::move(frame));
    nlohmann::json data = co_await dispatching;
    line = ReplyLine::data(id, data);
  } catch (const CommandError& error) {
    line = ReplyLine::failure(id, error.what());
  } catch (const std::exception& error) {
    line = ReplyLine::failure(id, cmd + ": " + error.what());
  }
  if (!self) co_return;
  --self->m_inFlight;
  self->sendLine(line);
  self->drainBacklog();
}

void ControlConnection::sendLine(const std::string& line) {
  if (!isOpen()) return;
  m_transport->write(line);
  checkQueue();
}

bool ControlConnection::sendFrame(const std::string& id, std::string_view frame) {
  if (!isOpen()) return true;  // nobody to send it to either way
  if (!m_transport->writeFrame(id, frame)) return false;
  checkQueue();
  return true;
}

void ControlConnection::checkQueue() {
  if (m_transport->bytesToWrite() <= m_limits.maxQueuedBytes) return;
  qInfo().noquote() << "control connection closed: the client stopped reading, more than" << m_limits.maxQueuedBytes
                    << "bytes wait for it";
  m_transport->abort();
  close({});
}

void ControlConnection::sendStreamEvent(const std::string& id, std::string line) {
  if (!isOpen()) return;
  if (m_transport->bytesToWrite() > m_limits.streamBacklogBytes) {
    m_pendingEvents[id] = std::move(line);
    return;
  }
  sendLine(line);
}

bool ControlConnection::caughtUp() const {
  return isOpen() && m_backlog.empty() && m_transport->bytesAvailable() == 0;
}

qint64 ControlConnection::queuedBytes() const { return isOpen() ? m_transport->bytesToWrite() : 0; }

void ControlConnection::onBytesWritten() {
  if (!isOpen()) return;
  emit drained();
  if (m_pendingEvents.empty() || !isOpen()) return;
  if (m_transport->bytesToWrite() > m_limits.streamBacklogBytes) return;
  auto pending = std::move(m_pendingEvents);
  m_pendingEvents.clear();
  for (auto& [id, line] : pending) sendLine(line);
}

}  // namespace vesket::daemon
