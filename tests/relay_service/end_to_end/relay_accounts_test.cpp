// The account endpoints of the real relay: sign-in flows and their failures, token expiry,
// rate and size limits, hostile bodies, restart with data kept, TLS.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "relay_service/core/account_token.h"
#include "relay_service/core/secrets.h"
#include "tests/support/real_relay.h"

namespace vesket::testing {
namespace {

using nlohmann::json;

class RelayAccountsTest : public RelayTest {
 protected:
  std::string tokenSecret() {
    QFile file(m_root.filePath("data/token-secret"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return *relay_service::Base64Url::decode(file.readAll().trimmed().toStdString());
  }

};

TEST_F(RelayAccountsTest, RegisterSignInAndAskWhoIAm) {
  startRelay();
  const auto [token, userId] = m_http->registerAccount(" Ada@Example.org");
  ASSERT_FALSE(token.empty());

  const RelayReply me = m_http->get("/api/auth/me", token);
  EXPECT_EQ(me.status, 200);
  EXPECT_EQ(me.json(), (json{{"id", userId}, {"username", nullptr}, {"email", "ada@example.org"}}));

  const RelayReply login = m_http->post("/api/auth/login", {{"username", "ADA@example.org"}, {"password", "password1"}});
  ASSERT_EQ(login.status, 200) << login.body.toStdString();
  EXPECT_EQ(login.json()["user"]["id"], userId);
  EXPECT_EQ(m_http->get("/api/auth/me", login.json()["token"].get<std::string>()).status, 200);

  const RelayReply health = m_http->get("/api/health");
  EXPECT_EQ(health.status, 200);
  EXPECT_EQ(health.json()["ok"], true);
  // The log has a line per request and never a password or a token.
  const QByteArray log = m_relay->log();
  EXPECT_TRUE(log.contains("POST /api/auth/login 200")) << log.toStdString();
  EXPECT_FALSE(log.contains("password1"));
  EXPECT_FALSE(log.contains(QByteArray::fromStdString(token)));
}

TEST_F(RelayAccountsTest, FailedSignInsAnswerWhatTheApplicationReads) {
  startRelay();
  m_http->registerAccount("ada@example.org");
  const struct {
    const char* path;
    json body;
    int status;
    const char* error;
    const char* messagePart;
  } cases[] = {
      {"/api/auth/register-public", {{"email", "ada@example.org"}, {"password", "password2"}, {"confirm_password", "password2"}},
       409, "account_exists", "exists"},
      {"/api/auth/register-public", {{"email", "bob@example.org"}, {"password", "short"}, {"confirm_password", "short"}},
       400, "password_too_short", "password"},
      {"/api/auth/register-public", {{"email", "bob@example.org"}, {"password", "password1"}, {"confirm_password", "password2"}},
       400, "password-mismatch", "password-mismatch"},
      {"/api/auth/register-public", {{"email", "bob"}, {"password", "password1"}, {"confirm_password", "password1"}},
       400, "invalid_email", "email"},
      {"/api/auth/login", {{"username", "ada@example.org"}, {"password", "wrong-password"}}, 401, "invalid_credentials",
       "invalid username or password"},
      {"/api/auth/login", {{"username", "nobody@example.org"}, {"password", "password1"}}, 401, "invalid_credentials",
       "invalid username or password"},
      {"/api/auth/google", {{"id_token", "x"}}, 501, "provider_not_configured", "not configured on this relay"},
      {"/api/auth/apple", {{"identity_token", "x"}}, 501, "provider_not_configured", "not configured on this relay"},
  };
  for (const auto& c : cases) {
    const RelayReply reply = m_http->post(c.path, c.body);
    EXPECT_EQ(reply.status, c.status) << c.path << " " << c.body.dump();
    EXPECT_EQ(reply.json()["error"], c.error) << reply.body.toStdString();
    EXPECT_NE(reply.json().value("message", "").find(c.messagePart), std::string::npos) << reply.body.toStdString();
  }
}

TEST_F(RelayAccountsTest, ExpiredForgedOrMissingTokensAre401) {
  startRelay();
  const auto [token, userId] = m_http->registerAccount("ada@example.org");
  const std::int64_t now = std::time(nullptr);
  const std::string secret = tokenSecret();
  const std::string expired = relay_service::AccountToken::sign({userId, std::nullopt, now - 100, now - 1}, secret);
  const std::string forged =
      relay_service::AccountToken::sign({userId, std::nullopt, now, now + 3600}, std::string(32, 'x'));
  const std::string unknownUser = relay_service::AccountToken::sign({userId + 1, std::nullopt, now, now + 3600}, secret);

  const struct {
    std::string bearer;
    const char* messagePart;
  } cases[] = {{expired, "session expired"},
               {forged, "unauthorized"},
               {unknownUser, "unauthorized"},
               {token.substr(0, token.size() - 2), "unauthorized"},
               {"", "not authenticated"}};
  for (const auto& c : cases) {
    const RelayReply reply = m_http->get("/api/auth/me", c.bearer);
    EXPECT_EQ(reply.status, 401) << c.messagePart;
    EXPECT_NE(reply.json().value("message", "").find(c.messagePart), std::string::npos) << reply.body.toStdString();
  }
  // A token signed with the relay's secret that has not expired works.
  EXPECT_EQ(m_http->get("/api/auth/me", relay_service::AccountToken::sign({userId, std::nullopt, now, now + 60}, secret)).status, 200);
}

TEST_F(RelayAccountsTest, RateAndSizeLimits) {
  startRelay();
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(m_http->post("/api/auth/login", {{"username", "a@b.cd"}, {"password", "x"}}).status, 401) << i;
  }
  const RelayReply limited = m_http->post("/api/auth/login", {{"username", "a@b.cd"}, {"password", "x"}});
  EXPECT_EQ(limited.status, 429);
  EXPECT_EQ(limited.json()["error"], "rate_limited");
  const int retryAfter = limited.header("Retry-After").toInt();
  EXPECT_GE(retryAfter, 1);
  EXPECT_LE(retryAfter, 6);
  EXPECT_EQ(limited.json()["retry_after_seconds"], retryAfter);
  // Other calls have their own, larger budget.
  EXPECT_EQ(m_http->get("/api/health").status, 200);

  const QByteArray big = "{\"email\":\"" + QByteArray(1024 * 1024 + 10, 'a') + "\"}";
  const RelayReply tooLarge = m_http->call("POST", "/api/auth/register-public", big);
  EXPECT_EQ(tooLarge.status, 413);
  EXPECT_EQ(tooLarge.json()["error"], "payload_too_large");
  EXPECT_EQ(m_http->get("/api/health").status, 200);

  EXPECT_EQ(m_http->get("/api/nothing-here").status, 404);
  const RelayReply wrongMethod = m_http->get("/api/auth/login");
  EXPECT_EQ(wrongMethod.status, 405);
  EXPECT_EQ(wrongMethod.header("Allow"), "POST");
}

TEST_F(RelayAccountsTest, MalformedBodiesStoreNothingAndTheRelayKeepsAnswering) {
  startRelay({"--sign-in-limit", "1000"});
  const QByteArray deep = QByteArray(5000, '[') + QByteArray(5000, ']');
  const QByteArray bodies[] = {
      "",
      "not json",
      "[\"ada@example.org\",\"password1\",\"password1\"]",
      "{\"email\":\"ada@example.org\",\"password\":\"password1\",\"confirm_password\":\"password1\"",
      "{\"email\":\"ada@example.org\",\"password\":" + deep + ",\"confirm_password\":\"password1\"}",
      "{\"email\":[\"ada@example.org\"],\"password\":\"password1\",\"confirm_password\":\"password1\"}",
      "{\"email\":\"ada@example.org\",\"password\":12345678,\"confirm_password\":12345678}",
      "{\"email\":\"ada@example.org\",\"password\":\"password1\",\"confirm_password\":\"password1\"} {}",
      "{\"email\":\"ada@\xff\xfe.org\",\"password\":\"password1\",\"confirm_password\":\"password1\"}",
      QByteArray("{\"email\":\"ada@example.org\0\",\"password\":\"password1\"}", 52),
  };
  for (const QByteArray& body : bodies) {
    const RelayReply reply = m_http->call("POST", "/api/auth/register-public", body.isEmpty() ? " " : body);
    EXPECT_EQ(reply.status, 400) << body.left(80).toStdString();
    EXPECT_TRUE(reply.json().contains("error") && reply.json().contains("message")) << reply.body.toStdString();
  }
  EXPECT_EQ(m_http->get("/api/health").status, 200);
  // None of them created the account.
  EXPECT_EQ(m_http->post("/api/auth/login", {{"username", "ada@example.org"}, {"password", "password1"}}).status, 401);
  EXPECT_FALSE(m_http->registerAccount("ada@example.org").first.empty());
}

TEST_F(RelayAccountsTest, RestartKeepsAccountsAndSessions) {
  RealRelay& relay = startRelay();
  const auto [token, userId] = m_http->registerAccount("ada@example.org");
  EXPECT_EQ(relay.stop(), 0);
  EXPECT_TRUE(relay.log().contains("SIGTERM received")) << relay.log().toStdString();
  EXPECT_TRUE(QFile::exists(m_root.filePath("data/relay.sqlite3")));

  ASSERT_TRUE(relay.start(relay.port()));
  EXPECT_EQ(m_http->get("/api/auth/me", token).json()["id"], userId);
  EXPECT_EQ(m_http->post("/api/auth/login", {{"username", "ada@example.org"}, {"password", "password1"}}).status, 200);
}

TEST_F(RelayAccountsTest, RefusesToStartOnADatabaseFromANewerRelay) {
  RealRelay& relay = startRelay();
  EXPECT_EQ(relay.stop(), 0);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(m_root.filePath("data/relay.sqlite3").toUtf8().constData(), &db), SQLITE_OK);
  sqlite3_exec(db, "PRAGMA user_version = 999", nullptr, nullptr, nullptr);
  sqlite3_close(db);

  QProcess process;
  process.start(RealRelay::binary(), {"--listen", "127.0.0.1:0", "--data", m_root.filePath("data")});
  ASSERT_TRUE(process.waitForFinished(10000));
  EXPECT_EQ(process.exitCode(), 1);
  EXPECT_TRUE(process.readAllStandardError().contains("schema version 999"));
}

TEST_F(RelayAccountsTest, ServesHttpsWithTheGivenCertificate) {
  QProcess openssl;
  openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1",
                            "-keyout", m_root.filePath("key.pem"), "-out", m_root.filePath("cert.pem")});
  ASSERT_TRUE(openssl.waitForFinished(30000) && openssl.exitCode() == 0) << openssl.readAllStandardError().toStdString();

  RealRelay& relay = startRelay({"--tls-cert", m_root.filePath("cert.pem"), "--tls-key", m_root.filePath("key.pem")});
  EXPECT_TRUE(relay.baseUrl().startsWith("https://"));
  m_http->trustAnyCertificate();
  const RelayReply health = m_http->get("/api/health");
  EXPECT_EQ(health.status, 200) << health.networkError.toStdString();
  EXPECT_FALSE(m_http->registerAccount("ada@example.org").first.empty());
}

}  // namespace
}  // namespace vesket::testing
