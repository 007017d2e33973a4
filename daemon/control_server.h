#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <stdexcept>

#include "daemon/control_connection.h"

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

 signals:
  void clientConnected();

 private:
  void onNewConnection();

  QString m_socketPath;
  QString m_requiredToken;
  CommandDispatcher& m_dispatcher;
  std::vector<StreamService*> m_streamServices;
  ControlConnection::Limits m_limits;
  QLocalServer m_server;
  int m_connections = 0;
};

}  // namespace vesket::daemon
