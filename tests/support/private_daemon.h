#pragma once

#include <QLocalSocket>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "control_plane/core/line_accumulator.h"
#include "tests/support/private_tmux.h"
#include "tests/support/scoped_environment.h"

namespace vesket::testing {

// A client of the control socket made of a plain QLocalSocket and the line splitter, for
// tests of the wire itself (bad bytes, partial lines, replies out of order).
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

// The real `vesket daemon start -L <server>` against a PrivateTmux, in that machine's
// environment (its HOME, VESKET_HOME, XDG_* and TMUX_TMPDIR) plus `extraEnvironment`, which
// only the daemon and the CLI runs get (a CONTROL_TOKEN the panes must never see). Ends
// the daemon when it goes away; the tmux server is the PrivateTmux's to end.
class PrivateDaemon {
 public:
  explicit PrivateDaemon(const PrivateTmux& tmux, const QProcessEnvironment& extraEnvironment = {});
  ~PrivateDaemon();
  PrivateDaemon(const PrivateDaemon&) = delete;
  PrivateDaemon& operator=(const PrivateDaemon&) = delete;

  // Starts the daemon (under `launcher`, e.g. prlimit, when set) and waits until it answers
  // "ping" (with CONTROL_TOKEN when the environment sets one) and, with `waitForPanes`,
  // lists the server's panes. A failure fails the test.
  void start(bool waitForPanes = true);
  // Ends the daemon: SIGTERM and a wait, or with `crash` SIGKILL at once.
  void stop(bool crash = false);
  bool running() const { return m_process && m_process->state() != QProcess::NotRunning; }
  void setLauncher(QStringList launcher) { m_launcher = std::move(launcher); }

  // Runs `vesket <args>` to completion with the daemon's environment.
  struct Result {
    int exitCode = -1;
    QString out;
    QString err;
  };
  Result runCli(const QStringList& args, int timeoutMs = 30000) const;

  QString socketPath() const { return home() + QStringLiteral("/daemon/control.sock"); }
  // The product home ($VESKET_HOME) and the user's home ($HOME).
  QString home() const { return m_environment.value(QStringLiteral("VESKET_HOME")); }
  QString userHome() const { return m_environment.value(QStringLiteral("HOME")); }
  const QProcessEnvironment& environment() const { return m_environment; }
  // The process of the last start(); only valid after one.
  QProcess& process() { return *m_process; }
  static QString binary();

  // "ping" through a fresh connection.
  nlohmann::json ping() const;

 private:
  QString m_tmuxName;
  QProcessEnvironment m_environment;
  QStringList m_launcher;
  std::unique_ptr<QProcess> m_process;
};

// The process environment for a daemon that the application under test installs as a
// service (it reads its own environment, so this one is set for the test's duration): the
// project's own supervisor (never the user's systemd), a private runtime directory (0700),
// the product home, the tmux server it must use, a plain shell, and none of the variables a
// surrounding tmux or application would pass on.
void useSupervisedDaemonEnvironment(ScopedEnvironment& environment, const QString& runtimeDir,
                                    const QString& productHome, const QString& tmuxSocket);

}  // namespace vesket::testing
