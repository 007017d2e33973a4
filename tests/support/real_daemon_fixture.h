#pragma once

// Real `vesket` daemons driving private tmux servers, for tests of the control-socket
// client and of the relay. Every test gets its own temporary HOME, VESKET_HOME, XDG_* and tmux socket
// directory; nothing touches the user's own tmux server or home.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>

#include "control_plane/control_plane_client.h"
#include "tests/support/await_task.h"
#include "tests/support/event_loop.h"
#include "tests/support/private_tmux.h"

namespace vesket::testing {

inline std::atomic<int> g_endToEndSerial{0};

// One daemon of its own: temporary HOME, VESKET_HOME, XDG_* and tmux socket directory
// under `root`, a private tmux server with a session "main" running /bin/sh, and the real
// `vesket daemon start` against it. Several can run side by side (other machines).
class PrivateDaemon {
 public:
  void setUp(const QString& root) {
    m_tmuxName = QStringLiteral("vesket-cp-e2e-%1-%2").arg(::getpid()).arg(g_endToEndSerial.fetch_add(1));
    m_environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"TMUX", "TMUX_PANE", "CONTROL_TOKEN", "DURNVALE_HOME", "VESKET_TMUX_SOCKET"}) {
      m_environment.remove(QString::fromLatin1(name));
    }
    const std::pair<const char*, const char*> dirs[] = {
        {"HOME", "home"},
        {"VESKET_HOME", "home/.vesket"},
        {"XDG_CONFIG_HOME", "xdg/config"},
        {"XDG_STATE_HOME", "xdg/state"},
        {"XDG_DATA_HOME", "xdg/data"},
        {"XDG_CACHE_HOME", "xdg/cache"},
        {"XDG_RUNTIME_DIR", "xdg/runtime"},
        {"TMUX_TMPDIR", "tmux"},
    };
    for (const auto& [variable, relative] : dirs) {
      const QString path = root + QLatin1Char('/') + QString::fromLatin1(relative);
      ASSERT_TRUE(QDir().mkpath(path));
      QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
      m_environment.insert(QString::fromLatin1(variable), path);
    }
    m_environment.insert(QStringLiteral("SHELL"), QStringLiteral("/bin/sh"));
    m_socketPath = m_environment.value(QStringLiteral("VESKET_HOME")).toStdString() + "/daemon/control.sock";

    m_paneId = tmux({"new-session", "-d", "-P", "-F", "#{pane_id}", "-s", "main", "-x", "120", "-y", "30", "/bin/sh"});
    ASSERT_TRUE(m_paneId.startsWith('%')) << m_paneId.toStdString();
    m_client = control_plane::ControlPlaneClient::create(m_socketPath, std::nullopt, 5.0);
    startDaemon();
  }

  void tearDown() {
    stopDaemon();
    if (!m_tmuxName.isEmpty()) killTmuxServer({QStringLiteral("-L"), m_tmuxName}, m_environment);
  }

  static QString binary() {
    const QString dir = qEnvironmentVariable("VESKET_BIN_DIR");
    return (dir.isEmpty() ? QStringLiteral("build/bin") : dir) + QStringLiteral("/vesket");
  }

  // Runs a tmux command against the private server and gives its output, trimmed.
  QString tmux(const QStringList& args, bool mustSucceed = true) const {
    QProcess process;
    process.setProcessEnvironment(m_environment);
    process.start(QStringLiteral("tmux"), QStringList{"-L", m_tmuxName, "-f", "/dev/null"} + args);
    process.waitForFinished(10000);
    if (mustSucceed) {
      EXPECT_EQ(process.exitCode(), 0) << "tmux " << args.join(' ').toStdString() << ": "
                                       << process.readAllStandardError().toStdString();
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
  }

  // Starts `vesket daemon start -L <server>` and waits until it answers "ping".
  void startDaemon() {
    ASSERT_TRUE(QFile::exists(binary())) << "no daemon binary at " << binary().toStdString();
    m_daemon = std::make_unique<QProcess>();
    m_daemon->setProcessEnvironment(m_environment);
    m_daemon->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_daemon->start(binary(), {"daemon", "start", "-L", m_tmuxName});
    ASSERT_TRUE(m_daemon->waitForStarted(5000));
    const bool answering = waitUntil(
        [&] {
          if (m_daemon->state() == QProcess::NotRunning) return true;
          try {
            return awaitTask(m_client->ping(), 3000).alive;
          } catch (const std::exception&) {
            vesket::testing::spinFor(50);
            return false;
          }
        },
        15000);
    ASSERT_TRUE(answering && m_daemon->state() == QProcess::Running)
        << "the daemon did not come up: " << m_daemon->readAllStandardOutput().toStdString();
  }

  void stopDaemon(bool crash = false) {
    if (!m_daemon) return;
    if (crash) m_daemon->kill();
    else m_daemon->terminate();
    if (!m_daemon->waitForFinished(10000)) {
      m_daemon->kill();
      m_daemon->waitForFinished(5000);
    }
    m_daemon.reset();
  }

  // Captures the pane until its text holds `needle`.
  bool captureShows(const QString& paneId, const std::string& needle, int timeoutMs = 10000) {
    std::string last;
    const bool seen = waitUntil(
        [&] {
          last = awaitTask(m_client->capture(paneId.toStdString())).content;
          if (last.find(needle) != std::string::npos) return true;
          vesket::testing::spinFor(100);
          return false;
        },
        timeoutMs);
    if (!seen) ADD_FAILURE() << "pane never showed '" << needle << "'; last capture:\n" << last;
    return seen;
  }

  QString m_tmuxName;
  QProcessEnvironment m_environment;
  std::string m_socketPath;
  QString m_paneId;
  std::unique_ptr<QProcess> m_daemon;
  std::shared_ptr<control_plane::ControlPlaneClient> m_client;
};

// A test with one private daemon (this machine's), its state under the fixture's names.
class RealDaemonTest : public ::testing::Test, protected PrivateDaemon {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_root.isValid());
    setUp(m_root.path());
  }

  void TearDown() override { tearDown(); }

  QTemporaryDir m_root;
};

}  // namespace vesket::testing
