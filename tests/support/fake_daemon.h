#pragma once

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "control_plane/core/line_accumulator.h"

namespace vesket::testing {

// A scripted stand-in for the daemon on a real Unix-domain socket. Each received request
// line goes to `onRequest`, which answers through the connection (whole lines, raw bytes in
// pieces, closing, or nothing at all).
class FakeDaemon : public QObject {
  Q_OBJECT

 public:
  class Connection {
   public:
    explicit Connection(QLocalSocket* socket) : m_socket(socket) {}

    void writeRaw(const QByteArray& bytes);
    void writeLine(const nlohmann::json& line) { writeRaw(QByteArray::fromStdString(line.dump() + "\n")); }
    // Writes the bytes in pieces, one per event-loop turn after `gapMs`.
    void writeInPieces(const QByteArray& bytes, int pieces, int gapMs = 15);
    void reply(const std::string& id, const nlohmann::json& data);
    void fail(const std::string& id, const std::optional<std::string>& error);
    void event(const std::string& id, const nlohmann::json& event);
    void done(const std::string& id);
    void close();
    bool isOpen() const { return m_socket && m_socket->state() == QLocalSocket::ConnectedState; }

    std::vector<std::string> lines;  // every line received on this connection
    control_plane::LineAccumulator accumulator;

   private:
    QPointer<QLocalSocket> m_socket;
  };

  using RequestHandler = std::function<void(Connection& connection, const nlohmann::json& request)>;

  explicit FakeDaemon(const QString& socketPath, QObject* parent = nullptr);
  ~FakeDaemon() override;

  RequestHandler onRequest;

  int connectionCount() const { return static_cast<int>(m_connections.size()); }
  Connection& connection(int index) { return *m_connections.at(static_cast<std::size_t>(index)); }
  std::vector<nlohmann::json> requests() const;  // every request line received, parsed
  int closedConnections() const { return m_closed; }

 private:
  QLocalServer m_server;
  std::vector<std::unique_ptr<Connection>> m_connections;
  int m_closed = 0;
};

}  // namespace vesket::testing
