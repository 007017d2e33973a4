#include "daemon/pane_pipe_door.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDebug>
#include <QFile>
#include <QPointer>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>

#include <qcoro/qcorosignal.h>

namespace vesket::daemon {

namespace {

constexpr std::size_t kKeyLength = 32;
// The helper connects and sends at once; a caller silent for this long is closed.
constexpr std::chrono::milliseconds kCallerPatience{2000};

std::string shellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += "'\\''";
    else out.push_back(c);
  }
  return out + "'";
}

bool fillAddress(const char* path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  const std::size_t length = std::strlen(path);
  if (length == 0 || length >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path, length);
  return true;
}

}  // namespace

PanePipeDoor::PanePipeDoor(QString socketPath, QString helperProgram, QObject* parent)
    : QObject(parent), m_socketPath(std::move(socketPath)), m_helperProgram(std::move(helperProgram)) {}

PanePipeDoor::~PanePipeDoor() {
  m_notifier.reset();
  for (auto& [fd, caller] : m_callers) {
    caller.notifier.reset();
    ::close(fd);
  }
  m_callers.clear();
  for (auto& [key, fd] : m_arrived) ::close(fd);
  if (m_listenFd >= 0) {
    ::close(m_listenFd);
    QFile::remove(m_socketPath);
  }
}

bool PanePipeDoor::open() {
  if (m_listenFd >= 0) return true;
  const QByteArray path = QFile::encodeName(m_socketPath);
  sockaddr_un address;
  if (!fillAddress(path.constData(), address)) {
    qInfo().noquote() << "pane pipes off: socket path too long:" << m_socketPath;
    return false;
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ::unlink(path.constData());
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0) {
    qInfo().noquote() << "pane pipes off:" << m_socketPath << std::strerror(errno);
    ::close(fd);
    return false;
  }
  ::chmod(path.constData(), 0600);
  m_listenFd = fd;
  m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { onConnection(); });
  return true;
}

PanePipeDoor::Ticket PanePipeDoor::ticket() {
  static const char* digits = "0123456789abcdef";
  std::string key;
  for (std::size_t i = 0; i < kKeyLength; ++i) key.push_back(digits[QRandomGenerator::system()->bounded(16)]);
  m_expected.insert(key);
  Ticket ticket;
  ticket.key = key;
  ticket.shellCommand = "exec " + shellQuote(QFile::encodeName(m_helperProgram).toStdString()) +
                        " internal-pane-pipe " + shellQuote(QFile::encodeName(m_socketPath).toStdString()) + " " + key;
  return ticket;
}

QCoro::Task<int> PanePipeDoor::receive(std::string key, std::chrono::milliseconds timeout) {
  QPointer<PanePipeDoor> self(this);
  const QDeadlineTimer deadline(timeout);
  while (self) {
    if (auto found = m_arrived.find(key); found != m_arrived.end()) {
      const int fd = found->second;
      m_arrived.erase(found);
      co_return fd;
    }
    if (deadline.hasExpired() || !m_expected.contains(key)) break;
    co_await qCoro(this, &PanePipeDoor::handedIn, std::chrono::milliseconds(std::max<qint64>(1, deadline.remainingTime())));
  }
  if (self) m_expected.erase(key);
  co_return -1;
}

void PanePipeDoor::onConnection() {
  for (;;) {
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::getuid() ||
        m_callers.size() >= 64) {
      ::close(fd);
      continue;
    }
    Caller caller;
    caller.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    caller.serial = ++m_callerSerial;
    connect(caller.notifier.get(), &QSocketNotifier::activated, this, [this, fd] { onCallerReadable(fd); });
    QTimer::singleShot(kCallerPatience, this, [this, fd, serial = caller.serial] {
      const auto found = m_callers.find(fd);
      if (found == m_callers.end() || found->second.serial != serial) return;
      m_callers.erase(found);
      ::close(fd);
    });
    m_callers[fd] = std::move(caller);
  }
}

void PanePipeDoor::onCallerReadable(int fd) {
  char data[kKeyLength + 1];
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
  iovec io{data, sizeof data};
  msghdr message{};
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  const ssize_t n = ::recvmsg(fd, &message, MSG_CMSG_CLOEXEC);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  int passed = -1;
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_RIGHTS) continue;
    const std::size_t count = (header->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (std::size_t i = 0; i < count; ++i) {
      int received;
      std::memcpy(&received, CMSG_DATA(header) + i * sizeof(int), sizeof(int));
      if (passed < 0) passed = received;
      else ::close(received);
    }
  }
  m_callers.erase(fd);
  ::close(fd);
  const std::string key = n == static_cast<ssize_t>(kKeyLength) ? std::string(data, kKeyLength) : std::string();
  const bool truncated = (message.msg_flags & MSG_CTRUNC) != 0;
  if (passed < 0 || truncated || !m_expected.contains(key)) {
    if (passed >= 0) ::close(passed);
    return;
  }
  m_expected.erase(key);
  ::fcntl(passed, F_SETFL, ::fcntl(passed, F_GETFL) | O_NONBLOCK);
  m_arrived[key] = passed;
  emit handedIn();
}

int handOverPanePipe(const char* doorPath, const char* key) {
  sockaddr_un address;
  if (!fillAddress(doorPath, address) || std::strlen(key) != kKeyLength) return 2;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  iovec io{const_cast<char*>(key), kKeyLength};
  msghdr message{};
  message.msg_iov = &io;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  cmsghdr* header = CMSG_FIRSTHDR(&message);
  header->cmsg_level = SOL_SOCKET;
  header->cmsg_type = SCM_RIGHTS;
  header->cmsg_len = CMSG_LEN(sizeof(int));
  const int pipe = STDIN_FILENO;
  std::memcpy(CMSG_DATA(header), &pipe, sizeof(int));
  const bool sent = ::sendmsg(fd, &message, MSG_NOSIGNAL) == static_cast<ssize_t>(kKeyLength);
  ::close(fd);
  return sent ? 0 : 1;
}

}  // namespace vesket::daemon
