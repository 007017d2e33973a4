#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <stdexcept>

#include "daemon/control_connection.h"

class QSocketNotifier;

namespace vesket::daemon {

class CommandDispatcher;
class StreamService;

// The daemon's control socket could not be served.
class ControlServerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Listens on the control socket and gives every client its own ControlConnection.
// The socket file is created 0600 inside the 0700 daemon directory; checking for a live
// daemon and removing a stale socket file is done before `listen`, under the daemon lock.
//
// Once listening it keeps listening whatever accept() says: at most `maxConnections`
// clients are served at once, and the newest beyond that is told so in one error line and
// closed; when the process runs out of descriptors all the same, one descriptor kept in
// reserve lets it take the newest connection off the queue and refuse it the same way,
// and failing that it pauses accepting and tries again with a growing delay. Each refusal
// burst is logged once.
class ControlServer : public QObject {
  Q_OBJECT

 public:
  ControlServer(QString socketPath, QString requiredToken, CommandDispatcher& dispatcher,
                std::vector<StreamService*> streamServices, ControlConnection::Limits limits = {},
                QObject* parent = nullptr);
  ~ControlServer() override;

  // Throws ControlServerError when the socket cannot be created.
  void listen();
  // Stops accepting, closes every connection and removes the socket file.
  void close();

  int connectionCount() const { return m_connections; }
  QString socketPath() const { return m_socketPath; }
  int maxConnections() const { return m_maxConnections; }

  // Clients served at once: the configured number, kept `reserve` below the process's
  // descriptor limit so that tmux clients, logs and files still get theirs.
  static int connectionCap(int configured, long descriptorLimit, int reserve = 64);

 signals:
  void clientConnected();

 private:
  void acceptPending();
  void refuse(int fd, bool linger);
  void pauseAccepting(const char* why, int error);
  void noteRefusal();

  QString m_socketPath;
  QString m_requiredToken;
  CommandDispatcher& m_dispatcher;
  std::vector<StreamService*> m_streamServices;
  ControlConnection::Limits m_limits;
  int m_maxConnections = 0;
  int m_listenFd = -1;
  int m_spareFd = -1;  // held in reserve for refusing a connection when descriptors run out
  std::unique_ptr<QSocketNotifier> m_notifier;
  QTimer m_retryTimer;
  int m_retryDelayMs = 0;
  int m_refusedSinceLog = 0;
  QTimer m_refusalLogTimer;
  std::vector<int> m_lingering;  // refused clients held open briefly (see refuse)
  QTimer m_lingerTimer;
  int m_connections = 0;
};

}  // namespace vesket::daemon
