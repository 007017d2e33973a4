#include "control_plane/ndjson_connection.h"

#include <QLocalSocket>

#include <filesystem>

#include "control_plane/core/control_plane_errors.h"
#include "control_plane/core/frames.h"

namespace vesket::control_plane {

NDJSONConnection::NDJSONConnection(const std::string& socketPath, QObject* parent)
    : QObject(parent), m_socketPath(socketPath) {
  std::error_code ec;
  if (!std::filesystem::exists(socketPath, ec)) {
    throw DaemonUnavailable("socket not reachable (ENOENT): " + socketPath);
  }
  if (auto reason = socketPathTooLongReason(socketPath)) throw DaemonUnavailable(*reason);
  m_socket = new QLocalSocket(this);
  m_connectTimer.setSingleShot(true);
  m_connectTimer.setTimerType(Qt::PreciseTimer);
}

NDJSONConnection::~NDJSONConnection() {
  // A connection dropped without finish() ends quietly: its owner is gone.
  m_onClose = nullptr;
  m_onLine = nullptr;
  m_onReady = nullptr;
  if (m_socket) m_socket->disconnect(this);
}

void NDJSONConnection::start(ReadyHandler onReady, LineHandler onLine, CloseHandler onClose) {
  m_onReady = std::move(onReady);
  m_onLine = std::move(onLine);
  m_onClose = std::move(onClose);
  connect(&m_connectTimer, &QTimer::timeout, this, [this] {
    if (!m_ready) {
      finish(std::make_exception_ptr(DaemonUnavailable(
          "connect timeout after " + std::to_string(kConnectTimeoutMs) + "ms")));
    }
  });
  m_connectTimer.start(kConnectTimeoutMs);
  connect(m_socket, &QLocalSocket::connected, this, &NDJSONConnection::onConnected);
  connect(m_socket, &QLocalSocket::readyRead, this, &NDJSONConnection::onReadyRead);
  connect(m_socket, &QLocalSocket::errorOccurred, this, &NDJSONConnection::onSocketError);
  connect(m_socket, &QLocalSocket::disconnected, this, &NDJSONConnection::onDisconnected);
  m_socket->connectToServer(QString::fromStdString(m_socketPath), QIODevice::ReadWrite);
}

void NDJSONConnection::onConnected() {
  if (m_finished) return;
  m_ready = true;
  m_connectTimer.stop();
  QPointer<NDJSONConnection> self(this);
  if (m_onReady) m_onReady();
  if (!self || m_finished) return;
  onReadyRead();  // bytes may already be waiting
}

void NDJSONConnection::onReadyRead() {
  QPointer<NDJSONConnection> self(this);
  while (self && !m_finished && m_ready && m_socket->bytesAvailable() > 0) {
    const QByteArray chunk = m_socket->read(kReceiveChunkBytes);
    if (chunk.isEmpty()) break;
    for (const auto& line : m_accumulator.push(std::string_view(chunk.constData(), chunk.size()))) {
      if (!self || m_finished || !m_onLine) return;
      // Keep the handler alive while it runs: it may finish this connection.
      auto handler = m_onLine;
      handler(line);
    }
  }
}

void NDJSONConnection::onSocketError() {
  if (m_finished) return;
  const auto error = m_socket->error();
  if (m_ready) {
    if (error == QLocalSocket::PeerClosedError) {
      onReadyRead();
      if (!m_finished) finish();  // end of stream
      return;
    }
    finish(std::make_exception_ptr(SocketError(m_socket->errorString().toStdString())));
    return;
  }
  finish(mapDialError());
}

void NDJSONConnection::onDisconnected() {
  if (m_finished || !m_ready) return;
  QPointer<NDJSONConnection> self(this);
  onReadyRead();
  if (self && !m_finished) finish();
}

std::exception_ptr NDJSONConnection::mapDialError() const {
  switch (m_socket->error()) {
    case QLocalSocket::ConnectionRefusedError:
      return std::make_exception_ptr(DaemonUnavailable("socket not reachable (ECONNREFUSED): dial failed"));
    case QLocalSocket::ServerNotFoundError:
      return std::make_exception_ptr(DaemonUnavailable("socket not reachable (ENOENT): dial failed"));
    default:
      return std::make_exception_ptr(DaemonUnavailable(m_socket->errorString().toStdString()));
  }
}

void NDJSONConnection::sendLine(const std::string& line) {
  if (m_finished) return;
  QByteArray bytes(line.data(), static_cast<qsizetype>(line.size()));
  bytes.append('\n');
  if (m_socket->write(bytes) != bytes.size()) {
    finish(std::make_exception_ptr(SocketError(m_socket->errorString().toStdString())));
    return;
  }
  m_socket->flush();
}

void NDJSONConnection::finish(std::exception_ptr error) {
  if (m_finished) return;
  m_finished = true;
  m_connectTimer.stop();
  m_socket->disconnect(this);
  m_socket->abort();
  auto onClose = std::move(m_onClose);
  m_onClose = nullptr;
  m_onLine = nullptr;
  m_onReady = nullptr;
  if (onClose) onClose(error);
}

}  // namespace vesket::control_plane
