// A real daemon (private tmux server) linked to the real relay: pairing through the
// daemon's environment file, a relayed pane list, refusal of unknown tokens, and
// reconnecting after the relay restarts.
#include <QSaveFile>

#include <gtest/gtest.h>

#include "tests/support/real_daemon_fixture.h"
#include "tests/support/real_relay.h"

namespace vesket::testing {
namespace {

class RelayDaemonLinkTest : public RealDaemonTest {
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
    writeEnv(m_relay->daemonUrl(), minted->second);
    EXPECT_TRUE(waitForLinkState("connected")) << relayStatus().transportState << "\n" << m_relay->log().toStdString();
    return {token, userId, minted->first};
  }

  bool panesListed(const std::string& token, qint64 daemonId) {
    const RelayReply reply = m_http->get(QStringLiteral("/api/panes?daemonId=%1").arg(daemonId), token);
    if (reply.status != 200) {
      ADD_FAILURE() << reply.status << " " << reply.body.toStdString();
      return false;
    }
    EXPECT_EQ(reply.header("X-Resolved-Daemon-Id"), QByteArray::number(daemonId));
    for (const auto& pane : reply.json()) {
      if (pane.value("paneId", "") == m_paneId.toStdString()) return true;
    }
    ADD_FAILURE() << "the pane " << m_paneId.toStdString() << " is not in " << reply.body.toStdString();
    return false;
  }

  std::unique_ptr<RealRelay> m_relay;
  std::unique_ptr<RelayHttp> m_http;
};

TEST_F(RelayDaemonLinkTest, APairedDaemonLinksAndAnswersARelayedPaneList) {
  // Not paired: quietly unlinked.
  EXPECT_FALSE(relayStatus().connected);
  EXPECT_EQ(relayStatus().transportState, "unpaired");

  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  EXPECT_EQ(relayStatus().userId, userId);
  EXPECT_TRUE(panesListed(token, daemonId));
  // Without a daemon id the account's linked daemon answers.
  EXPECT_EQ(m_http->get("/api/panes", token).header("X-Resolved-Daemon-Id"), QByteArray::number(daemonId));

  // Another account neither reaches nor learns of this daemon.
  const auto [otherToken, otherId] = m_http->registerAccount("bob@example.org");
  const RelayReply foreign = m_http->get(QStringLiteral("/api/panes?daemonId=%1").arg(daemonId), otherToken);
  EXPECT_EQ(foreign.status, 404);
  EXPECT_EQ(m_http->get("/api/panes", otherToken).status, 503);
  EXPECT_EQ(m_http->get("/api/panes?daemonId=x1", token).status, 400);
  EXPECT_EQ(m_http->get("/api/panes?daemonId=1").status, 401);
}

TEST_F(RelayDaemonLinkTest, ReconnectsAfterTheRelayRestarts) {
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  const quint16 port = m_relay->port();
  EXPECT_EQ(m_relay->stop(), 0);
  EXPECT_TRUE(waitForLinkState("reconnecting"));
  EXPECT_FALSE(relayStatus().connected);

  ASSERT_TRUE(m_relay->start(port));
  EXPECT_TRUE(waitForLinkState("connected")) << m_relay->log().toStdString();
  EXPECT_TRUE(panesListed(token, daemonId));
}

TEST_F(RelayDaemonLinkTest, AnUnknownTokenIsRefusedUntilThePairingChanges) {
  const auto [token, userId] = m_http->registerAccount("ada@example.org");
  writeEnv(m_relay->daemonUrl(), "not-a-token-of-this-relay");
  EXPECT_TRUE(waitForLinkState("unauthorized")) << relayStatus().transportState;
  EXPECT_TRUE(m_relay->log().contains("GET /daemon 401")) << m_relay->log().toStdString();

  // A new pairing is taken at once, without waiting out the back-off.
  const auto minted = m_relay->mintDaemonToken(userId);
  ASSERT_TRUE(minted);
  writeEnv(m_relay->daemonUrl(), minted->second);
  EXPECT_TRUE(waitForLinkState("connected", 5000)) << relayStatus().transportState;
  EXPECT_TRUE(panesListed(token, minted->first));
}

}  // namespace
}  // namespace vesket::testing
