#include "daemon/control_server.h"

#include <sys/stat.h>

#include <QFile>

namespace vesket::daemon {

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
  connect(&m_server, &QLocalServer::newConnection, this, &ControlServer::onNewConnection);
}

ControlServer::~ControlServer() { close(); }

void ControlServer::listen() {
  if (QFile::encodeName(m_socketPath).size() > 103) {
    throw ControlServerError(QStringLiteral("socket path too long for AF_UNIX (%1 bytes, max 103): %2")
                                 .arg(QFile::encodeName(m_socketPath).size())
                                 .arg(m_socketPath)
                                 .toStdString());
  }
  m_server.setSocketOptions(QLocalServer::UserAccessOption);
  m_server.setListenBacklogSize(512);
  m_server.setMaxPendingConnections(512);
  if (!m_server.listen(m_socketPath)) {
    throw ControlServerError(QStringLiteral("cannot listen on %1: %2")
                                 .arg(m_socketPath, m_server.errorString())
                                 .toStdString());
  }
  ::chmod(QFile::encodeName(m_socketPath).constData(), 0600);
}

void ControlServer::close() {
  if (!m_server.isListening()) return;
  m_server.close();  // removes the socket file
  QFile::remove(m_socketPath);
}

void ControlServer::onNewConnection() {
  while (QLocalSocket* socket = m_server.nextPendingConnection()) {
    auto* connection = new ControlConnection(socket, m_dispatcher, m_streamServices, m_requiredToken,
                                             m_limits, this);
    ++m_connections;
    connect(connection, &ControlConnection::finished, this, [this](ControlConnection* finished) {
      --m_connections;
      finished->deleteLater();
    });
    emit clientConnected();
  }
}

}  // namespace vesket::daemon
