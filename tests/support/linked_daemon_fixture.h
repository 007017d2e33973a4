#pragma once

// A real daemon (private tmux server) and the real relay, and the steps that link them:
// an account, a minted daemon token written into the daemon's environment file, and the
// wait until "relay-status" says the link is up.

#include <QSaveFile>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

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
    m_relay.reset();
    RealDaemonTest::TearDown();
  }

  // Pairs the daemon the way pairing leaves it: the two lines in its environment file.
  void writeEnv(const QString& relayUrl, const std::string& token) {
    QSaveFile file(m_environment.value("VESKET_HOME") + "/daemon/.env");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# written by the test\nRELAY_URL=" + relayUrl.toUtf8() + "\nDAEMON_TOKEN=" + QByteArray::fromStdString(token) +
               "\nBOARD_PUSH_API=\n");
    ASSERT_TRUE(file.commit());
  }

  control_plane::LocalRelayStatus relayStatus() { return awaitTask(m_client->relayStatus()); }

  // Waits until "relay-status" shows this transport state.
  bool waitForLinkState(const std::string& state, int timeoutMs = 15000) {
    return waitUntil(
        [&] {
          if (relayStatus().transportState == state) return true;
          spinFor(50);
          return false;
        },
        timeoutMs);
  }

  // A linked daemon of a new account: {account token, user id, daemon id}.
  std::tuple<std::string, qint64, qint64> linkNewAccount(const std::string& email) {
    const auto [token, userId] = m_http->registerAccount(email);
    const auto minted = m_relay->mintDaemonToken(userId);
    EXPECT_TRUE(minted);
    if (!minted) return {token, userId, 0};
    m_daemonToken = minted->second;
    writeEnv(m_relay->daemonUrl(), minted->second);
    EXPECT_TRUE(waitForLinkState("connected")) << relayStatus().transportState << "\n" << m_relay->log().toStdString();
    return {token, userId, minted->first};
  }

  std::unique_ptr<RealRelay> m_relay;
  std::unique_ptr<RelayHttp> m_http;
  std::string m_daemonToken;  // of the last linked account
};

}  // namespace vesket::testing
