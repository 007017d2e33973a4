// A real daemon (private tmux server) linked to the real relay: pairing through the
// daemon's environment file and through "relay-pair", a relayed pane list, refusal of
// unknown and revoked tokens, the daemon vouching for its Mac, and reconnecting after the
// relay restarts.
#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include "tests/support/linked_daemon_fixture.h"

namespace vesket::testing {
namespace {

class RelayDaemonLinkTest : public LinkedDaemonTest {
 protected:
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

TEST_F(RelayDaemonLinkTest, ASavedPairingLinksAtOnceVouchesForTheMacAndEndsWhenRevoked) {
  using nlohmann::json;
  const auto [accountToken, userId] = m_http->registerAccount("ada@example.org");
  const json mac = m_http->post("/api/devices/enroll", {{"deviceId", "E3D2C1B0-A9F8-4E7D-8C6B-5A4938271605"}}, accountToken).json();
  ASSERT_EQ(mac.value("status", ""), "approved");
  const std::string macToken = mac["token"];
  const json init = m_http->post("/api/daemons/pair-qr-init", {{"machine_uuid", "this-machine"}, {"machine_name", "studio"}}).json();
  const std::string payload = init["qr_payload"];
  ASSERT_EQ(m_http->post("/api/pair/claim", {{"token", payload.substr(payload.find("token=") + 6)}}, macToken).status, 200);
  const json collected = m_http->get("/api/daemons/pair-qr-status?token=" + QString::fromStdString(init["token"])).json();
  ASSERT_TRUE(collected.contains("daemon_token")) << collected.dump();

  // Bad pairings are refused and the file stays as it was.
  const QString envPath = environment().value("VESKET_HOME") + "/daemon/.env";
  writeEnv("", "");
  const QByteArray before = [&] {
    QFile file(envPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }();
  const json badPairings[] = {
      {{"relayUrl", "ftp://relay"}, {"daemonToken", collected["daemon_token"]}},
      {{"relayUrl", m_relay->baseUrl().toStdString()}, {"daemonToken", "short"}},
      {{"relayUrl", m_relay->baseUrl().toStdString()}},
      {{"relayUrl", 7}, {"daemonToken", collected["daemon_token"]}},
  };
  for (const json& args : badPairings) {
    EXPECT_THROW(awaitTask(m_client->request<json>("relay-pair", args)), std::exception) << args.dump();
  }
  QFile unchanged(envPath);
  ASSERT_TRUE(unchanged.open(QIODevice::ReadOnly));
  EXPECT_EQ(unchanged.readAll(), before);

  const json saved = awaitTask(m_client->request<json>(
      "relay-pair", {{"relayUrl", m_relay->baseUrl().toStdString()}, {"daemonToken", collected["daemon_token"]}}));
  EXPECT_EQ(saved["saved"], true);
  EXPECT_TRUE(waitForLinkState("connected", 5000)) << relayStatus().transportState << m_relay->log().toStdString();
  EXPECT_EQ(relayStatus().userId, userId);
  QFile env(envPath);
  ASSERT_TRUE(env.open(QIODevice::ReadOnly));
  const QByteArray text = env.readAll();
  EXPECT_TRUE(text.startsWith("# written by the test\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("BOARD_PUSH_API=" + m_relay->baseUrl().toUtf8() + "\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("RELAY_URL=" + m_relay->daemonUrl().toUtf8() + "\n")) << text.toStdString();
  EXPECT_EQ(env.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup), 0);
  const json machines = m_http->get("/api/daemons", macToken).json();
  ASSERT_EQ(machines.size(), 1u);
  EXPECT_EQ(machines[0]["connected"], true);

  // A second Mac of the account: pending until this daemon vouches for it.
  const std::string laptopId = "5A4B3C2D-1E0F-4A9B-8C7D-6E5F4A3B2C1D";
  const json laptop = m_http->post("/api/devices/enroll", {{"deviceId", laptopId}},
                                   m_http->post("/api/auth/login", {{"username", "ada@example.org"}, {"password", "password1"}})
                                       .json()["token"].get<std::string>())
                          .json();
  ASSERT_EQ(laptop.value("status", ""), "pending");
  EXPECT_EQ(laptop["approverReadiness"], "daemon_online");
  EXPECT_FALSE(awaitTask(m_client->selfVouch(laptopId, laptop["requestId"], userId + 1, "laptop")).approved);
  QElapsedTimer vouching;
  vouching.start();
  EXPECT_TRUE(awaitTask(m_client->selfVouch(laptopId, laptop["requestId"], userId, "laptop")).approved);
  EXPECT_LT(vouching.elapsed(), 9000);
  EXPECT_EQ(m_http->get("/api/auth/me", laptop["token"].get<std::string>()).status, 200);
  EXPECT_TRUE(awaitTask(m_client->selfVouch(laptopId, laptop["requestId"], userId, "laptop")).approved);  // again: still

  // Revoked from the account's Mac: the link closes at once and is refused from then on.
  const qint64 daemonId = collected["daemon_id"];
  ASSERT_EQ(m_http->post(QStringLiteral("/api/daemons/%1/revoke").arg(daemonId), json::object(), macToken).status, 200);
  EXPECT_TRUE(waitForLinkState("unauthorized", 5000)) << relayStatus().transportState;
  EXPECT_FALSE(relayStatus().connected);
  EXPECT_EQ(m_http->get("/api/daemons/whoami", collected["daemon_token"].get<std::string>()).json()["revoked"], true);
  EXPECT_EQ(m_http->get(QStringLiteral("/api/panes?daemonId=%1").arg(daemonId), macToken).status, 404);
  EXPECT_FALSE(awaitTask(m_client->selfVouch(laptopId, "any", userId, "laptop")).approved);
}

}  // namespace
}  // namespace vesket::testing
