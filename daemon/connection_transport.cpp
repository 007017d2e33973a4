#include "daemon/connection_transport.h"

#include <sys/socket.h>

#include <QLocalSocket>
#include <cerrno>

namespace vesket::daemon {

bool ConnectionTransport::writeFrame(const std::string&, std::string_view) { return false; }

LocalSocketTransport::LocalSocketTransport(QLocalSocket* socket, QObject* parent)
    : ConnectionTransport(parent), m_socket(socket) {
  m_socket->setParent(this);
  m_socket->setReadBufferSize(256 * 1024);
  connect(m_socket, &QLocalSocket::readyRead, this, &ConnectionTransport::readyRead);
  connect(m_socket, &QLocalSocket::bytesWritten, this, &ConnectionTransport::bytesWritten);
  connect(m_socket, &QLocalSocket::disconnected, this, &ConnectionTransport::disconnected);
  connect(m_socket, &QLocalSocket::errorOccurred, this, [this](QLocalSocket::LocalSocketError error) {
    if (error != QLocalSocket::PeerClosedError) emit failed(m_socket->errorString());
  });
}

bool LocalSocketTransport::isOpen() const { return m_socket->state() == QLocalSocket::ConnectedState; }

qint64 LocalSocketTransport::bytesAvailable() const { return m_socket->bytesAvailable(); }

QByteArray LocalSocketTransport::readAll() { return m_socket->readAll(); }

qint64 LocalSocketTransport::bytesToWrite() const { return m_socket->bytesToWrite(); }

void LocalSocketTransport::write(std::string_view line) {
  // QLocalSocket would hold the line until the event loop's next pass; while nothing of
  // ours waits in its buffer the line goes to the socket at once (a keystroke's echo is a
  // loop pass sooner), and only what the socket does not take now is queued behind it.
  const std::size_t sent = m_socket->bytesToWrite() == 0 ? writeNow(line) : 0;
  if (sent < line.size()) m_socket->write(line.data() + sent, static_cast<qint64>(line.size() - sent));
}

std::size_t LocalSocketTransport::writeNow(std::string_view bytes) {
  const qintptr fd = m_socket->socketDescriptor();
  if (fd < 0) return 0;
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(static_cast<int>(fd), bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      // Full for now, or broken: the rest goes through the socket, which reports a failure.
      break;
    }
  }
  return sent;
}

void LocalSocketTransport::close() { m_socket->disconnectFromServer(); }

void LocalSocketTransport::abort() { m_socket->abort(); }

}  // namespace vesket::daemon
