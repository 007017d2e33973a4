#pragma once

// A real daemon (private tmux server) and the real relay, and the steps that link them:
// an account, a minted daemon token written into the daemon's environment file, and the
// wait until "relay-status" says the link is up.

#include <QSaveFile>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "tests/support/real_daemon_fixture.h"
#include "tests/support/real_relay.h"

namespace vesket::testing {

class LinkedDaemonTest : public RealDaemonTest {
 protected:
  void SetUp() override {
    RealDaemonTest::SetUp();
    if (HasFatalFailure()) return;
    m_relay = std::make_unique<RealRelay>(m_root.filePath("relay-data"));
    ASSERT_TRUE(m_relay->start());
    m_http = std::make_unique<RelayHttp>(m_relay->baseUrl());
  }

  void TearDown() override {
    for (auto& other : m_otherMachines) other->tearDown();
    m_relay.reset();
    RealDaemonTest::TearDown();
  }

  // Pairs the daemon the way pairing leaves it: the two lines in its environment file.
  void writeEnv(const QString& relayUrl, const std::string& token) { writeEnvOf(*this, relayUrl, token); }
  static void writeEnvOf(const DaemonMachine& machine, const QString& relayUrl, const std::string& token) {
    QSaveFile file(machine.m_daemon->home() + "/daemon/.env");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# written by the test\nRELAY_URL=" + relayUrl.toUtf8() + "\nDAEMON_TOKEN=" + QByteArray::fromStdString(token) +
               "\nBOARD_PUSH_API=\n");
    ASSERT_TRUE(file.commit());
  }

  control_plane::LocalRelayStatus relayStatus() { return relayStatusOf(*this); }
  static control_plane::LocalRelayStatus relayStatusOf(const DaemonMachine& machine) {
    return awaitTask(machine.m_client->relayStatus());
  }

  // Waits until "relay-status" shows this transport state.
  bool waitForLinkState(const std::string& state, int timeoutMs = 15000) { return waitForLinkStateOf(*this, state, timeoutMs); }
  static bool waitForLinkStateOf(const DaemonMachine& daemon, const std::string& state, int timeoutMs = 15000) {
    return waitUntil(
        [&] {
          if (relayStatusOf(daemon).transportState == state) return true;
          spinFor(50);
          return false;
        },
        timeoutMs);
  }

  // Links `daemon` to the account with a token of its own; its daemon id (0 on failure).
  qint64 linkDaemon(const DaemonMachine& daemon, qint64 userId) {
    const auto minted = m_relay->mintDaemonToken(userId);
    EXPECT_TRUE(minted);
    if (!minted) return 0;
    writeEnvOf(daemon, m_relay->daemonUrl(), minted->second);
    EXPECT_TRUE(waitForLinkStateOf(daemon, "connected"))
        << relayStatusOf(daemon).transportState << "\n" << m_relay->log().toStdString();
    if (&daemon == this) m_daemonToken = minted->second;
    return minted->first;
  }

  // A linked daemon of a new account: {account token, user id, daemon id}.
  std::tuple<std::string, qint64, qint64> linkNewAccount(const std::string& email) {
    const auto [token, userId] = m_http->registerAccount(email);
    return {token, userId, linkDaemon(*this, userId)};
  }

  // Another machine: a daemon with its own private tmux server and product home, stopped
  // with the test.
  DaemonMachine& startAnotherMachine() {
    auto& other = m_otherMachines.emplace_back(std::make_unique<DaemonMachine>());
    other->setUp();
    return *other;
  }

  std::unique_ptr<RealRelay> m_relay;
  std::unique_ptr<RelayHttp> m_http;
  std::string m_daemonToken;  // of the last linked account
  std::vector<std::unique_ptr<DaemonMachine>> m_otherMachines;
};

}  // namespace vesket::testing
