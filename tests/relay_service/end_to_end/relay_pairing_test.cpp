// Pairing daemons against the real relay: by QR (the machine asks, a phone claims, the
// machine collects its daemon token once), by the machine itself (pair-init and its
// phone_pairing_required answer), by short code, and replacing an old machine; expired,
// replayed and guessed pairings.
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "relay_service/core/account_token.h"
#include "relay_service/core/secrets.h"
#include "tests/support/real_relay.h"

namespace vesket::testing {
namespace {

using nlohmann::json;

const std::string kMacId = "E3D2C1B0-A9F8-4E7D-8C6B-5A4938271605";

class RelayPairingTest : public RelayTest {
 protected:
  void SetUp() override {
    RelayTest::SetUp();
    if (HasFatalFailure()) return;
    // The claim limit has its own test; the others claim more often than it allows.
    const bool limited = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()).find("RateLimited") !=
                         std::string::npos;
    ASSERT_TRUE(startRelay(limited ? QStringList{} : QStringList{"--pairing-claim-limit", "100"}).running());
  }

  // A new account with its first device approved: the device-bound token.
  std::string approvedDevice(const std::string& email) {
    const auto [token, userId] = m_http->registerAccount(email);
    m_userId = userId;
    const RelayReply reply = m_http->post("/api/devices/enroll", {{"deviceId", kMacId}, {"platform", "macos"}}, token);
    EXPECT_EQ(reply.json().value("status", ""), "approved") << reply.body.toStdString();
    return reply.json().value("token", "");
  }

  json qrInit(const std::string& machineUuid, const std::string& name = "studio") {
    const RelayReply reply = m_http->post(
        "/api/daemons/pair-qr-init",
        {{"machine_uuid", machineUuid}, {"machine_name", name}, {"agent_cli_found", true}, {"tmux_installed", true}});
    EXPECT_EQ(reply.status, 200) << reply.body.toStdString();
    return reply.json();
  }

  static std::string claimToken(const json& init) {
    const std::string payload = init.value("qr_payload", "");
    return payload.substr(payload.find("token=") + 6);
  }

  RelayReply status(const std::string& pollToken) {
    return m_http->get("/api/daemons/pair-qr-status?token=" + QString::fromStdString(pollToken));
  }

  // Moves every pairing's expiry into the past, as time would.
  void expirePairings() {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(m_root.filePath("data/relay.sqlite3").toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 5000);
    EXPECT_EQ(sqlite3_exec(db, "UPDATE pairings SET expires_at_ms = 1", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }

  qint64 m_userId = 0;
};

TEST_F(RelayPairingTest, AQrPairingIsClaimedByThePhoneAndCollectedOnceByTheMachine) {
  const std::string phone = approvedDevice("ada@example.org");
  const json init = qrInit("machine-1");
  const std::string poll = init["token"];
  const std::string claim = claimToken(init);
  EXPECT_EQ(init["qr_payload"], m_relay->baseUrl().toStdString() + "/pair?token=" + claim);
  EXPECT_NE(poll, claim);
  EXPECT_EQ(init["short_code"].get<std::string>().size(), 9u);
  EXPECT_EQ(status(poll).json(), (json{{"claimed", false}}));

  const RelayReply info = m_http->get("/api/pair/info?token=" + QString::fromStdString(claim), phone);
  EXPECT_EQ(info.json()["machine_name"], "studio");
  EXPECT_EQ(info.json()["claimed"], false);
  const RelayReply claimed = m_http->post("/api/pair/claim", {{"token", claim}}, phone);
  ASSERT_EQ(claimed.status, 200) << claimed.body.toStdString();
  EXPECT_EQ(claimed.json()["machine_name"], "studio");

  const json collected = status(poll).json();
  EXPECT_EQ(collected["claimed"], true);
  ASSERT_TRUE(collected.contains("daemon_token"));
  const std::string daemonToken = collected["daemon_token"];
  // Single use: the token is handed out once, the claim cannot be repeated.
  EXPECT_FALSE(status(poll).json().contains("daemon_token"));
  EXPECT_EQ(m_http->post("/api/pair/claim", {{"token", claim}}, phone).status, 409);

  const json who = m_http->get("/api/daemons/whoami", daemonToken).json();
  EXPECT_EQ(who, (json{{"user_id", m_userId}, {"daemon_id", claimed.json()["daemon_id"]}, {"revoked", false}}));
  const json machines = m_http->get("/api/daemons", phone).json();
  ASSERT_EQ(machines.size(), 1u);
  EXPECT_EQ(machines[0]["machineName"], "studio");
  EXPECT_EQ(machines[0]["connected"], false);
  EXPECT_EQ(machines[0]["revoked"], false);
  EXPECT_FALSE(machines[0]["pairedAt"].get<std::string>().empty());

  // The short code of another QR pairing works the same way.
  const json second = qrInit("machine-2", "laptop");
  const RelayReply byCode =
      m_http->post("/api/pair/claim", {{"short_code", second["short_code"].get<std::string>()}}, phone);
  EXPECT_EQ(byCode.status, 200) << byCode.body.toStdString();
  EXPECT_EQ(byCode.json()["machine_name"], "laptop");
}

TEST_F(RelayPairingTest, ExpiredReplayedOrMisusedPairingsAreRefused) {
  const std::string phone = approvedDevice("ada@example.org");
  const auto [strangerToken, strangerId] = m_http->registerAccount("mallory@example.org");
  const json init = qrInit("machine-1");
  const std::string poll = init["token"];
  const std::string claim = claimToken(init);

  const RefusedCall cases[] = {
      {"claiming with the machine's poll token", "POST", "/api/pair/claim", {{"token", poll}}, phone, 404, "not_found"},
      {"polling with the claim token", "GET", "/api/daemons/pair-qr-status?token=" + QString::fromStdString(claim),
       nullptr, "", 404, "not_found"},
      {"polling without a token", "GET", "/api/daemons/pair-qr-status", nullptr, "", 400, "invalid_request"},
      {"claiming without an account", "POST", "/api/pair/claim", {{"token", claim}}, "", 401, "unauthorized"},
      {"claiming from an unenrolled session", "POST", "/api/pair/claim", {{"token", claim}}, strangerToken, 403,
       "device_not_approved"},
      {"making a code from an unenrolled session", "POST", "/api/daemons/pair-code-init", json::object(), strangerToken,
       403, "device_not_approved"},
      {"a QR init without machine", "POST", "/api/daemons/pair-qr-init", json::object(), "", 400, "invalid_request"},
      {"a QR init with a huge name", "POST", "/api/daemons/pair-qr-init",
       {{"machine_uuid", "m"}, {"machine_name", std::string(500, 'x')}}, "", 400, "invalid_request"},
      {"whoami with an account token", "GET", "/api/daemons/whoami", nullptr, phone, 401, "unauthorized"},
      {"revoking another account's daemon", "POST", "/api/daemons/999/revoke", json::object(), phone, 404, "not_found"},
      {"revoking a daemon id that is no number", "POST", "/api/daemons/x1/revoke", json::object(), phone, 400,
       "invalid_request"},
  };
  m_http->expectRefused(cases);
  // None of that claimed it; the phone can.
  EXPECT_EQ(status(poll).json()["claimed"], false);
  EXPECT_EQ(m_http->post("/api/pair/claim", {{"token", claim}}, phone).status, 200);
  EXPECT_EQ(status(poll).json()["user_id"], m_userId);

  // Expired pairings are neither claimed nor collected.
  const json late = qrInit("machine-2");
  const RelayReply code = m_http->post("/api/daemons/pair-code-init", json::object(), phone);
  expirePairings();
  EXPECT_EQ(m_http->post("/api/pair/claim", {{"token", claimToken(late)}}, phone).status, 410);
  EXPECT_EQ(status(late["token"]).status, 410);
  EXPECT_EQ(m_http->post("/api/daemons/pair-code-claim", {{"short_code", code.json()["short_code"]}}).status, 410);
  EXPECT_EQ(m_http->get("/api/daemons", phone).json().size(), 1u);  // the one claimed in time
}

TEST_F(RelayPairingTest, ShortCodeClaimsAreRateLimitedAndSingleUse) {
  const std::string phone = approvedDevice("ada@example.org");
  const RelayReply made = m_http->post("/api/daemons/pair-code-init", json::object(), phone);
  ASSERT_EQ(made.status, 200) << made.body.toStdString();
  const std::string code = made.json()["short_code"];
  ASSERT_EQ(code.size(), 9u);

  const RelayReply redeemed = m_http->post("/api/daemons/pair-code-claim",
                                           {{"short_code", code}, {"machine_uuid", "server-1"}, {"machine_name", "server"}});
  ASSERT_EQ(redeemed.status, 200) << redeemed.body.toStdString();
  EXPECT_EQ(redeemed.json()["user_id"], m_userId);
  EXPECT_EQ(m_http->get("/api/daemons/whoami", redeemed.json()["daemon_token"]).json()["daemon_id"],
            redeemed.json()["daemon_id"]);

  // Four more tries in this minute (five in all), then 429 even for a code that exists.
  const RelayReply replayed = m_http->post("/api/daemons/pair-code-claim", {{"short_code", code}});
  EXPECT_EQ(replayed.status, 409);
  const std::string fresh = m_http->post("/api/daemons/pair-code-init", json::object(), phone).json()["short_code"];
  for (const char* guess : {"AAAA-AAAA", "BBBB-BBBB", "not a code"}) {
    const RelayReply wrong = m_http->post("/api/daemons/pair-code-claim", {{"short_code", guess}});
    EXPECT_EQ(wrong.status, 404) << guess;
  }
  const RelayReply limited = m_http->post("/api/daemons/pair-code-claim", {{"short_code", fresh}});
  EXPECT_EQ(limited.status, 429);
  EXPECT_GE(limited.header("Retry-After").toInt(), 1);
  EXPECT_GE(limited.json()["retry_after_seconds"].get<int>(), 1);
  EXPECT_EQ(m_http->get("/api/daemons", phone).json().size(), 1u);
}

TEST_F(RelayPairingTest, AMachinePairsItselfOnlyIntoAnAccountWithoutOtherMachines) {
  const std::string mac = approvedDevice("ada@example.org");
  const RelayReply first = m_http->post("/api/daemons/pair-init", {{"machine_uuid", "mac-1"}, {"machine_name", "old mac"}}, mac);
  ASSERT_EQ(first.status, 200) << first.body.toStdString();
  const json collected = status(first.json()["token"]).json();
  ASSERT_TRUE(collected.contains("daemon_token"));
  const std::string oldToken = collected["daemon_token"];
  const qint64 oldId = collected["daemon_id"];

  // The same machine again: the same daemon, a new token; the old token stops.
  const RelayReply again = m_http->post("/api/daemons/pair-init", {{"machine_uuid", "mac-1"}}, mac);
  ASSERT_EQ(again.status, 200);
  const json recollected = status(again.json()["token"]).json();
  EXPECT_EQ(recollected["daemon_id"], oldId);
  EXPECT_EQ(m_http->get("/api/daemons/whoami", oldToken).status, 401);
  const std::string currentToken = recollected["daemon_token"];

  // Another machine: only from the phone, or by replacing the old one.
  const RelayReply refused = m_http->post("/api/daemons/pair-init", {{"machine_uuid", "mac-2"}}, mac);
  EXPECT_EQ(refused.status, 403);
  EXPECT_EQ(refused.json()["error"], "phone_pairing_required");
  ASSERT_EQ(refused.json()["recovery_candidates"].size(), 1u);
  EXPECT_EQ(refused.json()["recovery_candidates"][0]["id"], oldId);
  EXPECT_EQ(refused.json()["recovery_candidates"][0]["machine_name"], "old mac");
  EXPECT_TRUE(refused.json()["recovery_candidates"][0].contains("last_seen_at"));

  // A sign-in older than ten minutes needs the password to replace a machine.
  QFile secretFile(m_root.filePath("data/token-secret"));
  ASSERT_TRUE(secretFile.open(QIODevice::ReadOnly));
  const std::string secret = *relay_service::Base64Url::decode(secretFile.readAll().trimmed().toStdString());
  const std::int64_t now = std::time(nullptr);
  const std::string stale = relay_service::AccountToken::sign({m_userId, kMacId, now - 3600, now + 3600}, secret);
  const json replaceBody = {{"old_daemon_id", oldId}, {"machine_uuid", "mac-2"}, {"machine_name", "new mac"}};
  EXPECT_EQ(m_http->post("/api/daemons/replace", replaceBody, stale).json()["error"], "password_required");
  json wrongPassword = replaceBody;
  wrongPassword["password"] = "password2";
  EXPECT_EQ(m_http->post("/api/daemons/replace", wrongPassword, stale).json()["error"], "invalid_password");
  json foreign = replaceBody;
  foreign["old_daemon_id"] = oldId + 100;
  EXPECT_EQ(m_http->post("/api/daemons/replace", foreign, mac).status, 404);
  EXPECT_EQ(m_http->get("/api/daemons/whoami", currentToken).json()["revoked"], false);

  json rightPassword = replaceBody;
  rightPassword["password"] = "password1";
  const RelayReply replaced = m_http->post("/api/daemons/replace", rightPassword, stale);
  ASSERT_EQ(replaced.status, 200) << replaced.body.toStdString();
  EXPECT_EQ(m_http->get("/api/daemons/whoami", currentToken).json()["revoked"], true);
  const json who = m_http->get("/api/daemons/whoami", replaced.json()["daemon_token"]).json();
  EXPECT_EQ(who["revoked"], false);
  EXPECT_NE(who["daemon_id"], oldId);
}

}  // namespace
}  // namespace vesket::testing
