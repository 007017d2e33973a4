#include "daemon/cli_control_client.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QUuid>

#include "control_plane/core/line_accumulator.h"

namespace vesket::daemon {

nlohmann::json CliControlClient::request(const std::string& cmd, const nlohmann::json& args,
                                         int timeoutMs) const {
  if (!QFileInfo::exists(m_socketPath)) {
    throw DaemonNotAnswering("the daemon is not running (no socket at " + m_socketPath.toStdString() + ")");
  }
  QDeadlineTimer deadline(timeoutMs);
  QLocalSocket socket;
  socket.connectToServer(m_socketPath);
  if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
    throw DaemonNotAnswering("the daemon does not answer on " + m_socketPath.toStdString() + ": " +
                             socket.errorString().toStdString());
  }
  const std::string id = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper().toStdString();
  nlohmann::json frame = {{"id", id}, {"cmd", cmd}, {"args", args}};
  if (!m_token.isEmpty()) frame["token"] = m_token.toStdString();
  const std::string line = frame.dump() + "\n";
  socket.write(line.data(), static_cast<qint64>(line.size()));

  control_plane::LineAccumulator accumulator;
  while (true) {
    if (deadline.hasExpired() || !socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
      if (socket.state() != QLocalSocket::ConnectedState) {
        throw DaemonNotAnswering("connection closed before response");
      }
      throw DaemonNotAnswering("request timed out: " + cmd);
    }
    const QByteArray bytes = socket.readAll();
    for (const std::string& received : accumulator.push(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
      const auto reply = nlohmann::json::parse(received, nullptr, false);
      if (!reply.is_object() || !reply.contains("id") || reply["id"] != id) continue;
      if (reply.value("ok", false)) return reply.contains("data") ? reply["data"] : nlohmann::json();
      const auto error = reply.find("error");
      throw std::runtime_error(error != reply.end() && error->is_string() ? error->get<std::string>()
                                                                           : std::string("unknown error"));
    }
  }
}

}  // namespace vesket::daemon
