#pragma once

#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "control_plane/core/line_accumulator.h"
#include "tests/support/private_tmux.h"

namespace vesket::daemon::testing {

// The daemon tests start their servers with a plain shell session:
// `PrivateTmux tmux{PrivateTmux::Start::shellSession}`.
using vesket::testing::PrivateTmux;

// A client of the control socket made of a plain QLocalSocket and the line splitter.
class LineClient {
 public:
  explicit LineClient(const QString& socketPath, int timeoutMs = 5000);

  bool connected() const { return m_socket.state() == QLocalSocket::ConnectedState; }
  void writeRaw(const QByteArray& bytes);
  void sendRequest(const std::string& id, const std::string& cmd,
                   const nlohmann::json& args = nlohmann::json::object(),
                   const std::optional<std::string>& token = std::nullopt);
  // The next line received (parsed), or nothing when none came in time.
  std::optional<nlohmann::json> nextLine(int timeoutMs = 5000);
  // The next line whose id is `id`.
  std::optional<nlohmann::json> lineFor(const std::string& id, int timeoutMs = 5000);
  // One request and its reply on this connection.
  nlohmann::json request(const std::string& cmd, const nlohmann::json& args = nlohmann::json::object(),
                         const std::optional<std::string>& token = std::nullopt);
  QLocalSocket& socket() { return m_socket; }

 private:
  QLocalSocket m_socket;
  control_plane::LineAccumulator m_accumulator;
  std::vector<nlohmann::json> m_lines;
  int m_nextId = 0;
};

// Temporary HOME, VESKET_HOME and XDG_* directories and the real `vesket` binary running
// `daemon start` against a private tmux server.
class DaemonProcess {
 public:
  explicit DaemonProcess(const PrivateTmux& tmux, QProcessEnvironment extraEnvironment = {});
  ~DaemonProcess();

  // Starts `vesket daemon start -L <tmux>` (under `launcher`, e.g. prlimit, when given) and
  // waits until it answers "ping" (with CONTROL_TOKEN when the environment sets one) and,
  // with `waitForPanes`, lists the server's panes.
  void start(bool waitForPanes = true);
  void setLauncher(QStringList launcher) { m_launcher = std::move(launcher); }
  // Runs `vesket <args>` to completion with the same environment.
  struct Result {
    int exitCode = -1;
    QString out;
    QString err;
  };
  Result runCli(const QStringList& args, int timeoutMs = 30000) const;

  QString socketPath() const { return m_home + QStringLiteral("/daemon/control.sock"); }
  const QString& home() const { return m_home; }
  const QString& userHome() const { return m_userHome; }
  QProcessEnvironment environment() const { return m_environment; }
  QProcess& process() { return *m_process; }
  static QString binary();

  // "ping" through a fresh connection.
  nlohmann::json ping() const;

 private:
  QTemporaryDir m_root;
  QString m_home;
  QString m_userHome;
  QString m_tmuxName;
  QProcessEnvironment m_environment;
  QStringList m_launcher;
  std::unique_ptr<QProcess> m_process;
};

// Runs the event loop until `done` or the deadline.
bool eventually(const std::function<bool()>& done, int timeoutMs = 10000);

}  // namespace vesket::daemon::testing
