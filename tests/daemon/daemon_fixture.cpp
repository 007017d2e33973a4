#include "tests/daemon/daemon_fixture.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

namespace vesket::daemon::testing {

bool eventually(const std::function<bool()>& done, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(5);
  }
  return true;
}

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

QString DaemonProcess::binary() {
  QString dir = qEnvironmentVariable("VESKET_BIN_DIR");
  if (dir.isEmpty()) dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
  return dir + QStringLiteral("/vesket");
}

DaemonProcess::DaemonProcess(const PrivateTmux& tmux, QProcessEnvironment extraEnvironment)
    : m_root(QStringLiteral("/tmp/vkd-XXXXXX")), m_tmuxName(tmux.name()) {
  m_userHome = m_root.path() + QStringLiteral("/home");
  m_home = m_root.path() + QStringLiteral("/vh");
  for (const char* dir : {"/home", "/state", "/config", "/run"}) QDir().mkpath(m_root.path() + QLatin1String(dir));
  QFile::setPermissions(m_root.path() + QStringLiteral("/run"),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  m_environment = QProcessEnvironment::systemEnvironment();
  m_environment.insert(QStringLiteral("HOME"), m_userHome);
  m_environment.insert(QStringLiteral("VESKET_HOME"), m_home);
  m_environment.remove(QStringLiteral("DURNVALE_HOME"));
  m_environment.remove(QStringLiteral("CONTROL_TOKEN"));
  m_environment.remove(QStringLiteral("VESKET_TMUX_SOCKET"));
  m_environment.remove(QStringLiteral("TMUX"));
  m_environment.insert(QStringLiteral("XDG_STATE_HOME"), m_root.path() + QStringLiteral("/state"));
  m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root.path() + QStringLiteral("/config"));
  m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root.path() + QStringLiteral("/run"));
  // Never reach the user's own systemd or session bus from a test.
  m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
  for (const QString& key : extraEnvironment.keys()) m_environment.insert(key, extraEnvironment.value(key));
}

DaemonProcess::~DaemonProcess() {
  if (m_process && m_process->state() != QProcess::NotRunning) {
    m_process->terminate();
    if (!m_process->waitForFinished(5000)) {
      m_process->kill();
      m_process->waitForFinished(2000);
    }
  }
}

void DaemonProcess::start(bool waitForPanes) {
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
  ASSERT_TRUE(eventually([&] {
    if (!QFileInfo::exists(socketPath())) return false;
    LineClient client(socketPath(), 500);
    if (!client.connected()) return false;
    client.sendRequest("probe", "ping", nlohmann::json::object(), token);
    auto line = client.lineFor("probe", 1000);
    return line && (*line)["ok"] == true;
  }, 15000)) << "the daemon did not come up";
  if (!waitForPanes) return;
  // The first pane list read has happened once list-panes shows the session's pane.
  ASSERT_TRUE(eventually([&] {
    LineClient client(socketPath());
    auto reply = client.request("list-panes", nlohmann::json::object(), token);
    return reply["ok"] == true && !reply["data"]["panes"].empty();
  }, 15000));
}

DaemonProcess::Result DaemonProcess::runCli(const QStringList& args, int timeoutMs) const {
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

nlohmann::json DaemonProcess::ping() const {
  LineClient client(socketPath());
  return client.request("ping");
}

}  // namespace vesket::daemon::testing
