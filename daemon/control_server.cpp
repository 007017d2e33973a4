#include "daemon/control_server.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDebug>
#include <QFile>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include <fmt/format.h>

#include "daemon/connection_transport.h"
#include "daemon/core/reply_line.h"

namespace vesket::daemon {
namespace {

// Connections taken off the queue per wake-up, so that a flood of connects cannot keep
// the event loop from everything else.
constexpr int kAcceptsPerWakeUp = 64;
constexpr int kMaxRetryDelayMs = 2000;

long softDescriptorLimit() {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 0;
  return static_cast<long>(limit.rlim_cur);
}

// Reads away what the client wrote, then closes: a Unix socket closed with unread data
// resets its peer, which would then lose the refusal before reading it.
void drainAndClose(int fd) {
  char discard[4096];
  for (int i = 0; i < 16 && ::recv(fd, discard, sizeof(discard), MSG_DONTWAIT) > 0; ++i) {
  }
  ::close(fd);
}

}  // namespace

ControlServer::ControlServer(QString socketPath, QString requiredToken,
                             CommandDispatcher& dispatcher,
                             std::vector<StreamService*> streamServices,
                             ControlConnection::Limits limits, QObject* parent)
    : QObject(parent),
      m_socketPath(std::move(socketPath)),
      m_requiredToken(std::move(requiredToken)),
      m_dispatcher(dispatcher),
      m_streamServices(std::move(streamServices)),
      m_limits(limits) {
  m_retryTimer.setSingleShot(true);
  connect(&m_retryTimer, &QTimer::timeout, this, [this] {
    if (m_notifier) m_notifier->setEnabled(true);
    acceptPending();
  });
  m_lingerTimer.setSingleShot(true);
  m_lingerTimer.setInterval(500);
  connect(&m_lingerTimer, &QTimer::timeout, this, [this] {
    for (int fd : std::exchange(m_lingering, {})) drainAndClose(fd);
  });
  m_refusalLogTimer.setSingleShot(true);
  m_refusalLogTimer.setInterval(10000);
  connect(&m_refusalLogTimer, &QTimer::timeout, this, [this] {
    if (m_refusedSinceLog == 0) return;
    qWarning().noquote() << "refused" << m_refusedSinceLog << "more connections in the last 10 s (at most"
                         << m_maxConnections << "clients at once)";
    m_refusedSinceLog = 0;
    m_refusalLogTimer.start();
  });
}

ControlServer::~ControlServer() { close(); }

int ControlServer::connectionCap(int configured, long descriptorLimit, int reserve) {
  if (descriptorLimit <= 0) return configured;
  return static_cast<int>(std::clamp<long>(descriptorLimit - reserve, 1, configured));
}

void ControlServer::listen() {
  const QByteArray path = QFile::encodeName(m_socketPath);
  if (path.size() > 103) {
    throw ControlServerError(QStringLiteral("socket path too long for AF_UNIX (%1 bytes, max 103): %2")
                                 .arg(path.size())
                                 .arg(m_socketPath)
                                 .toStdString());
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) throw ControlServerError(fmt::format("cannot create a socket: {}", std::strerror(errno)));
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  // The directory is 0700, so nobody else reaches the socket before its mode is set.
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::chmod(path.constData(), 0600) != 0 || ::listen(fd, 512) != 0) {
    const int error = errno;
    ::close(fd);
    throw ControlServerError(fmt::format("cannot listen on {}: {}", path.toStdString(), std::strerror(error)));
  }
  m_listenFd = fd;
  m_spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  m_maxConnections = connectionCap(m_limits.maxConnections, softDescriptorLimit());
  m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  connect(m_notifier.get(), &QSocketNotifier::activated, this, &ControlServer::acceptPending);
}

void ControlServer::close() {
  if (m_listenFd < 0) return;
  m_notifier.reset();
  m_retryTimer.stop();
  ::close(m_listenFd);
  m_listenFd = -1;
  if (m_spareFd >= 0) ::close(m_spareFd);
  m_spareFd = -1;
  m_lingerTimer.stop();
  for (int fd : std::exchange(m_lingering, {})) ::close(fd);
  QFile::remove(m_socketPath);
}

void ControlServer::acceptPending() {
  for (int taken = 0; m_listenFd >= 0 && taken < kAcceptsPerWakeUp; ++taken) {
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      const int error = errno;
      if (error == EAGAIN || error == EWOULDBLOCK) return;
      if (error == EINTR || error == ECONNABORTED || error == EPROTO) continue;
      if ((error == EMFILE || error == ENFILE) && m_spareFd >= 0) {
        // Out of descriptors: the one in reserve takes the newest client off the queue to
        // tell it so, instead of leaving it (and the listener's wake-ups) hanging.
        ::close(m_spareFd);
        const int newest = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (newest >= 0) refuse(newest, /*linger=*/false);
        m_spareFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (newest >= 0 && m_spareFd >= 0) continue;
      }
      pauseAccepting("accept failed", error);
      return;
    }
    m_retryDelayMs = 0;
    if (m_connections >= m_maxConnections) {
      refuse(fd, /*linger=*/true);
      continue;
    }
    auto* socket = new QLocalSocket;
    if (!socket->setSocketDescriptor(fd, QLocalSocket::ConnectedState, QIODevice::ReadWrite)) {
      delete socket;
      ::close(fd);
      continue;
    }
    auto* connection = new ControlConnection(new LocalSocketTransport(socket), m_dispatcher, m_streamServices, m_requiredToken, m_limits, this);
    ++m_connections;
    connect(connection, &ControlConnection::finished, this, [this] { --m_connections; });
    emit clientConnected();
  }
}

void ControlServer::refuse(int fd, bool linger) {
  const std::string line = ReplyLine::failure(
      std::nullopt, fmt::format("too many connections: the daemon serves at most {} clients at once; try again later",
                                m_maxConnections));
  // One line into an empty socket buffer does not block; a client that is gone is ignored.
  const ssize_t ignored = ::send(fd, line.data(), line.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
  (void)ignored;
  ::shutdown(fd, SHUT_WR);
  noteRefusal();
  // A client usually writes its request right after connecting; held open for a moment,
  // the socket takes that request and the client reads the refusal instead of a reset.
  // Not when descriptors have run out: then every one is needed.
  if (!linger || m_lingering.size() >= 32) {
    drainAndClose(fd);
    return;
  }
  m_lingering.push_back(fd);
  if (!m_lingerTimer.isActive()) m_lingerTimer.start();
}

void ControlServer::noteRefusal() {
  if (m_refusalLogTimer.isActive()) {
    ++m_refusedSinceLog;
    return;
  }
  qWarning().noquote() << "refused a connection:" << m_connections << "clients connected, at most"
                       << m_maxConnections << "at once";
  m_refusalLogTimer.start();
}

void ControlServer::pauseAccepting(const char* why, int error) {
  m_retryDelayMs = m_retryDelayMs == 0 ? 50 : std::min(m_retryDelayMs * 2, kMaxRetryDelayMs);
  qWarning().noquote() << "control socket:" << why << "(" << std::strerror(error) << "); accepting again in"
                       << m_retryDelayMs << "ms";
  if (m_notifier) m_notifier->setEnabled(false);
  m_retryTimer.start(m_retryDelayMs);
}

}  // namespace vesket::daemon
