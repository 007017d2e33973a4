#pragma once

// A TCP proxy on 127.0.0.1 (port 0) in front of a real server that holds back everything
// the server sends by a fixed delay: a slow network path to a real relay.

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace vesket::testing {

class SlowTcpProxy : public QObject {
 public:
  SlowTcpProxy(quint16 upstreamPort, int delayMs) : m_upstreamPort(upstreamPort), m_delayMs(delayMs) {
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* client = m_server.nextPendingConnection()) pipe(client);
    });
    m_server.listen(QHostAddress::LocalHost, 0);
  }

  quint16 port() const { return m_server.serverPort(); }
  QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(port()); }

 private:
  void pipe(QTcpSocket* client) {
    auto* upstream = new QTcpSocket(client);
    QPointer<QTcpSocket> clientGuard(client);
    connect(client, &QTcpSocket::readyRead, upstream, [client, upstream] { upstream->write(client->readAll()); });
    connect(upstream, &QTcpSocket::readyRead, client, [this, clientGuard, upstream] {
      const QByteArray bytes = upstream->readAll();
      QTimer::singleShot(m_delayMs, clientGuard, [clientGuard, bytes] {
        if (clientGuard) clientGuard->write(bytes);
      });
    });
    connect(upstream, &QTcpSocket::disconnected, client, [this, clientGuard] {
      QTimer::singleShot(m_delayMs + 1, clientGuard, [clientGuard] {
        if (clientGuard) clientGuard->disconnectFromHost();
      });
    });
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    upstream->connectToHost(QHostAddress::LocalHost, m_upstreamPort);
  }

  QTcpServer m_server;
  quint16 m_upstreamPort;
  int m_delayMs;
};

}  // namespace vesket::testing
