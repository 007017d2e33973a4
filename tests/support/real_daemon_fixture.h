#pragma once

// Real `vesket` daemons driving private tmux servers, for tests of the control-plane
// client, the application and the relay. Each machine has its own temporary HOME,
// VESKET_HOME, XDG_* and tmux socket directory; nothing touches the user's own tmux server
// or home, nor the test's environment.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include "control_plane/control_plane_client.h"
#include "tests/support/await_task.h"
#include "tests/support/event_loop.h"
#include "tests/support/private_daemon.h"
#include "tests/support/private_tmux.h"

namespace vesket::testing {

// One machine: a private tmux server with a session "main" running /bin/sh, the real daemon
// against it and a control-plane client of it. Several can run side by side.
class DaemonMachine {
 public:
  void setUp() {
    QProcessEnvironment shell;
    shell.insert(QStringLiteral("SHELL"), QStringLiteral("/bin/sh"));
    m_tmux = std::make_unique<PrivateTmux>(PrivateTmux::Start::empty, shell);
    m_paneId = tmux({"new-session", "-d", "-P", "-F", "#{pane_id}", "-s", "main", "-x", "120", "-y", "30", "/bin/sh"});
    ASSERT_TRUE(m_paneId.startsWith('%')) << m_paneId.toStdString();
    m_daemon = std::make_unique<PrivateDaemon>(*m_tmux);
    m_client = control_plane::ControlPlaneClient::create(m_daemon->socketPath().toStdString(), std::nullopt, 5.0);
    startDaemon();
  }

  void tearDown() {
    m_daemon.reset();
    m_tmux.reset();
  }

  static QString binary() { return PrivateDaemon::binary(); }
  const QProcessEnvironment& environment() const { return m_daemon->environment(); }

  // Runs a tmux command against the private server and gives its output, trimmed.
  QString tmux(const QStringList& args, bool mustSucceed = true) const { return m_tmux->run(args, mustSucceed).trimmed(); }

  void startDaemon() { m_daemon->start(); }
  void stopDaemon(bool crash = false) { m_daemon->stop(crash); }

  // Captures the pane until its text holds `needle`.
  bool captureShows(const QString& paneId, const std::string& needle, int timeoutMs = 10000) {
    std::string last;
    const bool seen = waitUntil(
        [&] {
          last = awaitTask(m_client->capture(paneId.toStdString())).content;
          if (last.find(needle) != std::string::npos) return true;
          spinFor(100);
          return false;
        },
        timeoutMs);
    if (!seen) ADD_FAILURE() << "pane never showed '" << needle << "'; last capture:\n" << last;
    return seen;
  }

  std::unique_ptr<PrivateTmux> m_tmux;
  std::unique_ptr<PrivateDaemon> m_daemon;
  QString m_paneId;  // the pane of session "main"
  std::shared_ptr<control_plane::ControlPlaneClient> m_client;
};

// A test with one machine (this one), its state under the fixture's names, and a
// temporary directory of its own.
class RealDaemonTest : public ::testing::Test, protected DaemonMachine {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_root.isValid());
    setUp();
  }

  void TearDown() override { tearDown(); }

  QTemporaryDir m_root;
};

}  // namespace vesket::testing
