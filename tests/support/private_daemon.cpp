#include "tests/support/private_daemon.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "tests/support/event_loop.h"

namespace vesket::testing {

LineClient::LineClient(const QString& socketPath, int timeoutMs) {
  m_socket.connectToServer(socketPath);
  m_socket.waitForConnected(timeoutMs);
}

void LineClient::writeRaw(const QByteArray& bytes) {
  m_socket.write(bytes);
  m_socket.flush();
}

void LineClient::sendRequest(const std::string& id, const std::string& cmd, const nlohmann::json& args,
                             const std::optional<std::string>& token) {
  nlohmann::json frame = {{"id", id}, {"cmd", cmd}, {"args", args}};
  if (token) frame["token"] = *token;
  writeRaw(QByteArray::fromStdString(frame.dump() + "\n"));
}

std::optional<nlohmann::json> LineClient::nextLine(int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (m_lines.empty()) {
    if (deadline.hasExpired() || (m_socket.state() != QLocalSocket::ConnectedState && m_socket.bytesAvailable() == 0)) {
      return std::nullopt;
    }
    if (m_socket.bytesAvailable() == 0) m_socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, std::min<qint64>(50, deadline.remainingTime()))));
    const QByteArray bytes = m_socket.readAll();
    for (auto& line : m_accumulator.push(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
      m_lines.push_back(nlohmann::json::parse(line));
    }
  }
  nlohmann::json line = std::move(m_lines.front());
  m_lines.erase(m_lines.begin());
  return line;
}

std::optional<nlohmann::json> LineClient::lineFor(const std::string& id, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!deadline.hasExpired()) {
    auto line = nextLine(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    if (!line) return std::nullopt;
    if ((*line)["id"] == id) return line;
  }
  return std::nullopt;
}

nlohmann::json LineClient::request(const std::string& cmd, const nlohmann::json& args,
                                   const std::optional<std::string>& token) {
  const std::string id = "REQ-" + std::to_string(++m_nextId);
  sendRequest(id, cmd, args, token);
  auto reply = lineFor(id, 15000);
  EXPECT_TRUE(reply.has_value()) << "no reply to " << cmd;
  return reply.value_or(nlohmann::json::object());
}

QString PrivateDaemon::binary() {
  QString dir = qEnvironmentVariable("VESKET_BIN_DIR");
  if (dir.isEmpty()) dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
  return dir + QStringLiteral("/vesket");
}

PrivateDaemon::PrivateDaemon(const PrivateTmux& tmux, const QProcessEnvironment& extraEnvironment)
    : m_tmuxName(tmux.name()), m_environment(tmux.environment()) {
  m_environment.insert(extraEnvironment);
}

PrivateDaemon::~PrivateDaemon() { stop(); }

void PrivateDaemon::stop(bool crash) {
  if (!running()) return;
  if (crash) m_process->kill();
  else m_process->terminate();
  if (!m_process->waitForFinished(10000)) {
    m_process->kill();
    m_process->waitForFinished(5000);
  }
}

void PrivateDaemon::start(bool waitForPanes) {
  ASSERT_TRUE(QFile::exists(binary())) << "no daemon binary at " << binary().toStdString();
  m_process = std::make_unique<QProcess>();
  m_process->setProcessEnvironment(m_environment);
  m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  const QStringList args = {QStringLiteral("daemon"), QStringLiteral("start"), QStringLiteral("-L"), m_tmuxName};
  if (m_launcher.isEmpty()) {
    m_process->start(binary(), args);
  } else {
    m_process->start(m_launcher.front(), m_launcher.mid(1) + QStringList{binary()} + args);
  }
  ASSERT_TRUE(m_process->waitForStarted(5000)) << binary().toStdString();
  std::optional<std::string> token;
  if (m_environment.contains(QStringLiteral("CONTROL_TOKEN"))) {
    token = m_environment.value(QStringLiteral("CONTROL_TOKEN")).toStdString();
  }
  ASSERT_TRUE(waitUntil([&] {
    if (!running()) return true;
    if (!QFileInfo::exists(socketPath())) return false;
    LineClient client(socketPath(), 500);
    if (!client.connected()) return false;
    client.sendRequest("probe", "ping", nlohmann::json::object(), token);
    auto line = client.lineFor("probe", 1000);
    return line && (*line)["ok"] == true;
  }, 15000) && running()) << "the daemon did not come up: " << m_process->readAllStandardOutput().toStdString();
  if (!waitForPanes) return;
  // The first pane list read has happened once list-panes shows the session's pane.
  ASSERT_TRUE(waitUntil([&] {
    LineClient client(socketPath());
    auto reply = client.request("list-panes", nlohmann::json::object(), token);
    return reply["ok"] == true && !reply["data"]["panes"].empty();
  }, 15000));
}

PrivateDaemon::Result PrivateDaemon::runCli(const QStringList& args, int timeoutMs) const {
  QProcess process;
  process.setProcessEnvironment(m_environment);
  process.start(binary(), args);
  process.waitForFinished(timeoutMs);
  Result result;
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = QString::fromUtf8(process.readAllStandardOutput());
  result.err = QString::fromUtf8(process.readAllStandardError());
  return result;
}

nlohmann::json PrivateDaemon::ping() const {
  LineClient client(socketPath());
  return client.request("ping");
}

void useSupervisedDaemonEnvironment(ScopedEnvironment& environment, const QString& runtimeDir,
                                    const QString& productHome, const QString& tmuxSocket) {
  QDir().mkpath(runtimeDir);
  QFile::setPermissions(runtimeDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  environment.set("XDG_RUNTIME_DIR", runtimeDir.toUtf8());
  environment.set("VESKET_HOME", productHome.toUtf8());
  environment.set("VESKET_SERVICE_MANAGER", "supervisor");
  environment.set("VESKET_TMUX_SOCKET", tmuxSocket.toUtf8());
  environment.set("SHELL", "/bin/sh");
  for (const char* name : {"TMUX", "TMUX_PANE", "CONTROL_TOKEN", "VESKET_DAEMON_BIN"}) environment.unset(name);
}

}  // namespace vesket::testing
