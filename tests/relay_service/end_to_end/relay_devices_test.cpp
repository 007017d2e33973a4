// Devices of an account against the real relay: enrolment and its de-duplication, approval
// and denial by a trusted device or a daemon, revocation that ends tokens at once, recovery
// through the mail command, and the abuse cases that must change nothing.
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "tests/support/real_relay.h"

namespace vesket::testing {
namespace {

using nlohmann::json;

const std::string kPhoneId = "0B6F7A52-2C11-4F5E-8B0D-6A1E9C3D2F40";
const std::string kTabletId = "7C2E9D31-5A4B-4C6D-9E8F-0A1B2C3D4E5F";
const std::string kMacId = "E3D2C1B0-A9F8-4E7D-8C6B-5A4938271605";

class RelayDevicesTest : public RelayTest {
 protected:
  std::string signIn(const std::string& email) {
    const RelayReply reply = m_http->post("/api/auth/login", {{"username", email}, {"password", "password1"}});
    EXPECT_EQ(reply.status, 200) << reply.body.toStdString();
    return reply.json().value("token", "");
  }

  // Enrols a device with a session token: its approval state, with the device-bound token.
  json enrol(const std::string& token, const std::string& deviceId, const std::string& name = "Phone") {
    const RelayReply reply = m_http->post(
        "/api/devices/enroll",
        {{"deviceId", deviceId}, {"platform", "ios"}, {"deviceName", name}, {"appVersion", "1.0"}, {"appBuild", "7"}},
        token);
    EXPECT_EQ(reply.status, 200) << reply.body.toStdString();
    return reply.json();
  }

  // A new account whose first device (the Mac) is approved: {account token, bound token}.
  std::pair<std::string, std::string> accountWithMac(const std::string& email) {
    const auto [token, userId] = m_http->registerAccount(email);
    m_userId = userId;
    const json mac = enrol(token, kMacId, "Mac");
    EXPECT_EQ(mac["status"], "approved");
    return {token, mac.value("token", "")};
  }

  json pendingFor(const std::string& approver) {
    const RelayReply reply = m_http->get("/api/devices/pending", approver);
    EXPECT_EQ(reply.status, 200) << reply.body.toStdString();
    return reply.json()["pending"];
  }

  qint64 m_userId = 0;
};

TEST_F(RelayDevicesTest, LaterDevicesWaitUntilATrustedDeviceApprovesThem) {
  startRelay();
  const auto [accountToken, mac] = accountWithMac("ada@example.org");
  EXPECT_EQ(enrol(accountToken, kMacId, "Mac")["status"], "approved");  // again: the same device

  const json phone = enrol(signIn("ada@example.org"), kPhoneId);
  ASSERT_EQ(phone["status"], "pending");
  EXPECT_EQ(phone["fingerprint"].get<std::string>().size(), 7u);
  EXPECT_EQ(phone["approverReadiness"], "approver_devices");
  EXPECT_GT(phone["expiresAt"].get<double>(), static_cast<double>(std::time(nullptr)));
  const std::string phoneToken = phone["token"];
  const RelayReply refused = m_http->get("/api/auth/me", phoneToken);
  EXPECT_EQ(refused.status, 403);
  EXPECT_EQ(refused.json()["error"], "device_not_approved");
  EXPECT_EQ(refused.json()["status"], "pending");

  // Asking again is the same request, counted; the approver sees it once.
  const json again = enrol(phoneToken, kPhoneId);
  EXPECT_EQ(again["requestId"], phone["requestId"]);
  const json waiting = pendingFor(mac);
  ASSERT_EQ(waiting.size(), 1u);
  EXPECT_EQ(waiting[0]["requestId"], phone["requestId"]);
  EXPECT_EQ(waiting[0]["deviceId"], kPhoneId);
  EXPECT_EQ(waiting[0]["fingerprint"], phone["fingerprint"]);
  EXPECT_EQ(waiting[0]["platform"], "ios");
  EXPECT_EQ(waiting[0]["priorStatus"], "first_seen");
  EXPECT_EQ(waiting[0]["requestCount"], 2);
  EXPECT_EQ(waiting[0]["ip"], "127.0.0.1");

  EXPECT_EQ(m_http->post("/api/devices/approve", {{"requestId", phone["requestId"]}}, mac).status, 200);
  EXPECT_EQ(m_http->get("/api/auth/me", phoneToken).status, 200);
  EXPECT_EQ(m_http->get("/api/devices/status", phoneToken).json()["status"], "approved");
  const RelayReply twice = m_http->post("/api/devices/approve", {{"requestId", phone["requestId"]}}, mac);
  EXPECT_EQ(twice.status, 409);
  EXPECT_EQ(twice.json()["error"], "already_handled");
  EXPECT_TRUE(pendingFor(mac).empty());

  const json devices = m_http->get("/api/devices", mac).json()["devices"];
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0]["deviceId"], kMacId);
  EXPECT_EQ(devices[0]["approvalScope"], "bootstrap");
  EXPECT_EQ(devices[1]["status"], "approved");
  EXPECT_EQ(devices[1]["approvalScope"], "device");
}

TEST_F(RelayDevicesTest, DenialHoldsAndRevocationEndsTokensAtOnce) {
  startRelay();
  const auto [accountToken, mac] = accountWithMac("ada@example.org");
  const json tablet = enrol(signIn("ada@example.org"), kTabletId, "Tablet");
  const RelayReply denied = m_http->post("/api/devices/deny", {{"requestId", tablet["requestId"]}}, mac);
  ASSERT_EQ(denied.status, 200) << denied.body.toStdString();
  const double until = denied.json()["deniedUntil"];
  EXPECT_NEAR(until, static_cast<double>(std::time(nullptr)) + 3600, 5);
  const json stillDenied = enrol(tablet["token"], kTabletId, "Tablet");
  EXPECT_EQ(stillDenied["status"], "denied");
  EXPECT_EQ(stillDenied["deniedUntil"], until);
  EXPECT_TRUE(pendingFor(mac).empty());

  // An approved phone, then revoked: each of its tokens stops at once.
  const json phone = enrol(signIn("ada@example.org"), kPhoneId);
  ASSERT_EQ(m_http->post("/api/devices/approve", {{"requestId", phone["requestId"]}}, mac).status, 200);
  const std::string secondPhoneToken = enrol(phone["token"], kPhoneId)["token"];
  EXPECT_EQ(m_http->get("/api/auth/me", secondPhoneToken).status, 200);
  EXPECT_EQ(m_http->post("/api/devices/" + QString::fromStdString(kPhoneId) + "/revoke", json::object(), mac).status, 200);
  for (const std::string& token : {phone["token"].get<std::string>(), secondPhoneToken}) {
    EXPECT_EQ(m_http->get("/api/auth/me", token).status, 401);
    EXPECT_EQ(m_http->post("/api/devices/enroll", {{"deviceId", kPhoneId}}, token).status, 401);
  }
  // Signing in again makes a new request, not a way back in.
  const json back = enrol(signIn("ada@example.org"), kPhoneId);
  EXPECT_EQ(back["status"], "pending");
  EXPECT_EQ(m_http->get("/api/auth/me", back["token"]).status, 403);
}

TEST_F(RelayDevicesTest, AbuseIsRefusedAndChangesNothing) {
  startRelay();
  const auto [accountToken, mac] = accountWithMac("ada@example.org");
  const json phone = enrol(signIn("ada@example.org"), kPhoneId);
  const std::string requestId = phone["requestId"];
  const auto [otherToken, otherId] = m_http->registerAccount("mallory@example.org");
  const std::string mallory = enrol(otherToken, kTabletId)["token"];
  const auto minted = m_relay->mintDaemonToken(m_userId);
  ASSERT_TRUE(minted);
  const auto malloryDaemon = m_relay->mintDaemonToken(otherId);
  ASSERT_TRUE(malloryDaemon);

  const RefusedCall cases[] = {
      {"another account approves", "POST", "/api/devices/approve", {{"requestId", requestId}}, mallory, 404, "not_found"},
      {"another account's daemon approves", "POST", "/api/devices/approve", {{"requestId", requestId}},
       malloryDaemon->second, 404, "not_found"},
      {"another account denies", "POST", "/api/devices/deny", {{"requestId", requestId}}, mallory, 404, "not_found"},
      {"a vouch for a different device", "POST", "/api/devices/approve", {{"requestId", requestId}, {"deviceId", kTabletId}},
       minted->second, 404, "not_found"},
      {"the pending device approves itself", "POST", "/api/devices/approve", {{"requestId", requestId}}, phone["token"],
       403, "device_not_approved"},
      {"an unknown request", "POST", "/api/devices/approve", {{"requestId", "nope"}}, mac, 404, "not_found"},
      {"no request id", "POST", "/api/devices/approve", json::object(), mac, 400, "invalid_request"},
      {"a number as request id", "POST", "/api/devices/deny", {{"requestId", 7}}, mac, 400, "invalid_request"},
      {"no token", "GET", "/api/devices/pending", nullptr, "", 401, "unauthorized"},
      {"a made-up daemon token", "GET", "/api/devices/pending", nullptr, "bm90LWEtdG9rZW4", 401, "unauthorized"},
      {"a device id that is no UUID", "POST", "/api/devices/enroll", {{"deviceId", "my-phone"}}, accountToken, 400,
       "invalid_request"},
      {"a device id in braces", "POST", "/api/devices/enroll", {{"deviceId", "{" + kPhoneId + "}"}}, accountToken, 400,
       "invalid_request"},
      {"another device's token enrols this one", "POST", "/api/devices/enroll", {{"deviceId", kTabletId}}, mac, 403,
       "device_mismatch"},
      {"a name too long", "POST", "/api/devices/enroll", {{"deviceId", kTabletId}, {"deviceName", std::string(300, 'x')}},
       accountToken, 400, "invalid_request"},
      {"revoking another account's device", "POST", "/api/devices/" + QString::fromStdString(kTabletId) + "/revoke",
       json::object(), mac, 404, "not_found"},
      {"revoking a device id that is no UUID", "POST", "/api/devices/not-a-uuid/revoke", json::object(), mac, 400,
       "invalid_request"},
      {"listing devices with a daemon token", "GET", "/api/devices", nullptr, minted->second, 401, "unauthorized"},
  };
  m_http->expectRefused(cases);
  // Nothing moved: the phone still waits, the account has its two devices, Mallory one.
  const json waiting = pendingFor(mac);
  ASSERT_EQ(waiting.size(), 1u);
  EXPECT_EQ(waiting[0]["requestCount"], 1);
  EXPECT_EQ(m_http->get("/api/devices", mac).json()["devices"].size(), 2u);
  EXPECT_EQ(m_http->get("/api/devices", mallory).json()["devices"].size(), 1u);

  // The account's own daemon may vouch (a Mac's daemon approving its own Mac).
  EXPECT_EQ(pendingFor(minted->second).size(), 1u);
  const RelayReply vouched =
      m_http->post("/api/devices/approve", {{"requestId", requestId}, {"deviceId", kPhoneId}}, minted->second);
  EXPECT_EQ(vouched.status, 200) << vouched.body.toStdString();
  EXPECT_EQ(m_http->get("/api/auth/me", phone["token"]).status, 200);
}

TEST_F(RelayDevicesTest, RecoveryThroughTheMailCommandAfterTheWait) {
  const QString mailbox = m_root.filePath("mailbox");
  startRelay({"--recovery-wait", "1", "--mail-command",
              QStringLiteral("{ echo \"$VESKET_RECOVERY_EMAIL $VESKET_RECOVERY_CODE\"; cat; } > '%1'").arg(mailbox)});
  const auto [accountToken, mac] = accountWithMac("ada@example.org");
  // Every approved device is gone: only recovery can let a device in.
  ASSERT_EQ(m_http->post("/api/devices/" + QString::fromStdString(kMacId) + "/revoke", json::object(), mac).status, 200);
  const json phone = enrol(signIn("ada@example.org"), kPhoneId);
  ASSERT_EQ(phone["status"], "pending");
  EXPECT_EQ(phone["approverReadiness"], "recovery_only");
  const std::string token = phone["token"];

  EXPECT_EQ(m_http->post("/api/devices/recovery/confirm", {{"code", 12345678}}, token).json()["error"],
            "recovery_not_requested");
  ASSERT_EQ(m_http->post("/api/devices/recovery/request", json::object(), token).status, 200);
  QByteArray mail;
  ASSERT_TRUE(waitUntil([&] {
    QFile file(mailbox);
    if (file.open(QIODevice::ReadOnly)) mail = file.readAll();
    return mail.contains("Recovery code");
  }, 10000));
  const QList<QByteArray> first = mail.split('\n').first().split(' ');
  ASSERT_EQ(first.size(), 2);
  EXPECT_EQ(first[0], "ada@example.org");
  const qint64 code = first[1].toLongLong();
  EXPECT_GE(code, 10000000);
  EXPECT_FALSE(m_relay->log().contains(first[1]));  // mailed, not logged

  const RelayReply wrong = m_http->post("/api/devices/recovery/confirm", {{"code", code == 99999999 ? 10000000 : code + 1}}, token);
  EXPECT_EQ(wrong.status, 400);
  EXPECT_EQ(m_http->post("/api/devices/recovery/confirm", {{"code", "12345678"}}, token).status, 400);
  const RelayReply confirmed = m_http->post("/api/devices/recovery/confirm", {{"code", code}}, token);
  ASSERT_EQ(confirmed.status, 200) << confirmed.body.toStdString();
  EXPECT_NEAR(confirmed.json()["readyAt"].get<double>(), static_cast<double>(std::time(nullptr)) + 1, 2);
  // The code is spent.
  EXPECT_EQ(m_http->post("/api/devices/recovery/confirm", {{"code", code}}, token).status, 409);
  const RelayReply early = m_http->post("/api/devices/recovery/complete", json::object(), token);
  if (early.status != 200) {
    EXPECT_EQ(early.json()["error"], "recovery_waiting");
  }
  QThread::msleep(1100);
  EXPECT_EQ(m_http->post("/api/devices/recovery/complete", json::object(), token).status, 200);
  EXPECT_EQ(m_http->get("/api/auth/me", token).status, 200);
}

TEST_F(RelayDevicesTest, WithoutAMailCommandTheCodeGoesToTheLog) {
  startRelay();
  const auto [accountToken, mac] = accountWithMac("ada@example.org");
  const json phone = enrol(signIn("ada@example.org"), kPhoneId);
  ASSERT_EQ(m_http->post("/api/devices/recovery/request", json::object(), phone["token"]).status, 200);
  EXPECT_TRUE(m_relay->log().contains("recovery code for account")) << m_relay->log().toStdString();
  // An approved device has nothing to recover.
  EXPECT_EQ(m_http->post("/api/devices/recovery/request", json::object(), mac).status, 409);
}

}  // namespace
}  // namespace vesket::testing
