#include "tests/support/fake_daemon.h"

#include <QTimer>

#include <stdexcept>

namespace vesket::testing {

void FakeDaemon::Connection::writeRaw(const QByteArray& bytes) {
  if (!m_socket) return;
  m_socket->write(bytes);
  m_socket->flush();
}

void FakeDaemon::Connection::writeInPieces(const QByteArray& bytes, int pieces, int gapMs) {
  const qsizetype step = std::max<qsizetype>(1, bytes.size() / pieces);
  QPointer<QLocalSocket> socket = m_socket;
  for (int i = 0; i < pieces; ++i) {
    const qsizetype from = i * step;
    const qsizetype length = (i == pieces - 1) ? bytes.size() - from : step;
    QTimer::singleShot(gapMs * (i + 1), [socket, piece = bytes.mid(from, length)] {
      if (!socket) return;
      socket->write(piece);
      socket->flush();
    });
  }
}

void FakeDaemon::Connection::reply(const std::string& id, const nlohmann::json& data) {
  writeLine({{"id", id}, {"ok", true}, {"data", data}});
}

void FakeDaemon::Connection::fail(const std::string& id, const std::optional<std::string>& error) {
  nlohmann::json line = {{"id", id}, {"ok", false}};
  if (error) line["error"] = *error;
  writeLine(line);
}

void FakeDaemon::Connection::event(const std::string& id, const nlohmann::json& event) {
  writeLine({{"id", id}, {"ok", true}, {"event", event}});
}

void FakeDaemon::Connection::done(const std::string& id) { writeLine({{"id", id}, {"done", true}}); }

void FakeDaemon::Connection::close() {
  if (m_socket) m_socket->disconnectFromServer();
}

FakeDaemon::FakeDaemon(const QString& socketPath, QObject* parent) : QObject(parent) {
  QLocalServer::removeServer(socketPath);
  if (!m_server.listen(socketPath)) {
    throw std::runtime_error("fake daemon cannot listen at " + socketPath.toStdString() + ": " +
                             m_server.errorString().toStdString());
  }
  connect(&m_server, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
      socket->setParent(this);
      m_connections.push_back(std::make_unique<Connection>(socket));
      Connection* connection = m_connections.back().get();
      connect(socket, &QLocalSocket::disconnected, this, [this] { ++m_closed; });
      connect(socket, &QLocalSocket::readyRead, this, [this, socket, connection] {
        const QByteArray bytes = socket->readAll();
        for (const auto& line : connection->accumulator.push(std::string_view(bytes.constData(), bytes.size()))) {
          connection->lines.push_back(line);
          const auto request = nlohmann::json::parse(line, nullptr, false);
          if (onRequest && request.is_object()) onRequest(*connection, request);
        }
      });
    }
  });
}

FakeDaemon::~FakeDaemon() { m_server.close(); }

std::vector<nlohmann::json> FakeDaemon::requests() const {
  std::vector<nlohmann::json> all;
  for (const auto& connection : m_connections) {
    for (const auto& line : connection->lines) all.push_back(nlohmann::json::parse(line, nullptr, false));
  }
  return all;
}

}  // namespace vesket::testing
