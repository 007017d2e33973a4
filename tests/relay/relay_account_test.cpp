// The account session against the real relay on port 0: registration, sign-in, a wrong
// password, restoring at start, an expired token, and the one re-enrolment of a device
// a relay refuses as not approved.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "relay/account_session.h"
#include "relay/core/jwt_expiry.h"
#include "relay/relay_account_store.h"
#include "relay/relay_client.h"
#include "relay/relay_credentials.h"
#include "relay_service/core/account_token.h"
#include "tests/relay/relay_test_home.h"
#include "tests/support/await_task.h"
#include "tests/support/real_relay.h"

namespace vesket::relay {
namespace {

using testing::awaitTask;

int modeOf(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return -1;
  return static_cast<int>(info.st_mode & 0777);
}

class RelayAccountTest : public ::testing::Test {
 protected:
  void startRelay(QStringList extra = {}) {
    relay = std::make_unique<testing::RealRelay>(home.relayDataDir("a"), extra);
    ASSERT_TRUE(relay->start());
  }

  std::unique_ptr<RelayAccountStore> makeStore(AccountSession& session) {
    RelayAccountStore::Dependencies dependencies;
    const QUrl base(relay->baseUrl());
    dependencies.baseURL = [base] { return base; };
    dependencies.tokenStore = tokens;
    dependencies.session = &session;
    return std::make_unique<RelayAccountStore>(std::move(dependencies));
  }

  testing::RelayTestHome home;
  std::unique_ptr<testing::RealRelay> relay;
  std::shared_ptr<RelayUserTokenStore> tokens = std::make_shared<FileRelayUserTokenStore>();
};

TEST_F(RelayAccountTest, RegisterSignInRestoreAndExpire) {
  startRelay();
  const QUrl base(relay->baseUrl());
  AccountSession session(tokens, [base] { return base; });
  EXPECT_FALSE(session.isSignedIn());
  int signInNotices = 0;
  QObject::connect(&session, &AccountSession::accountDidSignIn, [&] { ++signInNotices; });

  auto store = makeStore(session);
  EXPECT_EQ(store->auth().kind, AuthState::Kind::loggedOut);

  // A 7-character password is refused before anything is sent.
  awaitTask(store->registerAccount("ann@example.org", "1234567", "1234567"));
  EXPECT_EQ(store->auth().failure, "Password must be at least 8 characters.");
  EXPECT_FALSE(relay->log().contains("register-public"));

  awaitTask(store->registerAccount(" ann@example.org ", "12345678", "12345678"));
  ASSERT_EQ(store->auth().kind, AuthState::Kind::authenticated) << store->auth().failure.toStdString();
  EXPECT_EQ(store->auth().name, "ann@example.org");
  EXPECT_TRUE(session.isSignedIn());
  EXPECT_EQ(signInNotices, 1);
  // The token file: 0600 in a 0700 product home, bound to this device by its enrolment.
  const QString tokenPath = home.productHome() + "/relay-jwt-macos";
  EXPECT_EQ(RelayAuthTokenStore::path(), tokenPath);
  EXPECT_EQ(modeOf(tokenPath), 0600);
  EXPECT_EQ(modeOf(home.productHome()), 0700);
  const auto claims = JWTExpiry::payload(tokens->read()->toStdString());
  ASSERT_TRUE(claims);
  EXPECT_EQ(QString::fromStdString((*claims)["device_id"].get<std::string>()), RelayClient::stableDeviceID());
  EXPECT_TRUE(KeychainRelayDeviceIDStore::path().startsWith(home.path() + "/state/"));
  EXPECT_EQ(modeOf(KeychainRelayDeviceIDStore::path()), 0600);

  // Registering the same address again names the existing account.
  awaitTask(store->registerAccount("ann@example.org", "12345678", "12345678"));
  EXPECT_EQ(store->auth().failure, "An account with this email already exists. Sign in instead.");

  store->logout();
  EXPECT_EQ(store->auth().kind, AuthState::Kind::loggedOut);
  EXPECT_FALSE(QFile::exists(tokenPath));
  EXPECT_FALSE(session.isSignedIn());

  awaitTask(store->login("ann@example.org", "wrong-password"));
  EXPECT_EQ(store->auth().kind, AuthState::Kind::failed);
  EXPECT_EQ(store->auth().failure, "Wrong username or password.");
  EXPECT_FALSE(store->auth().failure.contains("401"));
  awaitTask(store->login("", "x"));
  EXPECT_EQ(store->auth().failure, "Enter a username and password.");
  store->clearFailure();
  EXPECT_EQ(store->auth().kind, AuthState::Kind::loggedOut);

  awaitTask(store->login("ann@example.org", "12345678"));
  ASSERT_EQ(store->auth().kind, AuthState::Kind::authenticated);

  // A restart: the stored session is checked with the relay and restored.
  AccountSession restarted(tokens, [base] { return base; });
  EXPECT_TRUE(restarted.isSignedIn());
  auto again = makeStore(restarted);
  EXPECT_EQ(again->auth().kind, AuthState::Kind::checkingStoredSession);
  awaitTask(again->restoreStoredSession());
  EXPECT_EQ(again->auth().kind, AuthState::Kind::authenticated);
  EXPECT_EQ(restarted.identity()->name, "ann@example.org");

  // A token that has expired: the restore ends the session and says so.
  QFile secretFile(relay->dataDir() + "/token-secret");
  ASSERT_TRUE(secretFile.open(QIODevice::ReadOnly));
  const std::string secret = secretFile.readAll().toStdString();
  const auto userId = *restarted.accountID();
  const auto old = relay_service::AccountToken::issue(userId, std::nullopt, 1'000'000'000, 60);
  tokens->save(QString::fromStdString(relay_service::AccountToken::sign(old, secret)));
  AccountSession expiredSession(tokens, [base] { return base; });
  auto expired = makeStore(expiredSession);
  awaitTask(expired->restoreStoredSession());
  EXPECT_EQ(expired->auth().kind, AuthState::Kind::failed);
  EXPECT_TRUE(expired->auth().sessionExpired);
  EXPECT_EQ(expired->auth().failure, "Session expired — please sign in again.");
  EXPECT_EQ(expired->auth().action, RelayErrorAction::signIn);
  EXPECT_FALSE(tokens->read());
  EXPECT_FALSE(expiredSession.isSignedIn());
}

TEST_F(RelayAccountTest, ClientCallsAndErrors) {
  startRelay();
  auto memory = std::make_shared<InMemoryRelayUserTokenStore>();
  RelayClient client(QUrl(relay->baseUrl()), RelayClient::Credential::keychain(), memory);

  // A query part is kept byte for byte; a path without one gets none.
  const auto request = client.authed("/api/panes?daemonId=7&x=%2F", "GET");
  EXPECT_EQ(request.request.url().toString(QUrl::FullyEncoded), relay->baseUrl() + "/api/panes?daemonId=7&x=%2F");
  EXPECT_FALSE(request.request.hasRawHeader("Authorization"));
  EXPECT_FALSE(client.authed("/api/auth/me", "GET").request.url().hasQuery());

  const auto account = awaitTask(client.registerPublic("bo@example.org", "password1", "password1"));
  EXPECT_EQ(account.displayName, "bo@example.org");
  ASSERT_TRUE(memory->read());
  EXPECT_EQ(client.authed("/api/auth/me", "GET").request.rawHeader("Authorization"), "Bearer " + memory->read()->toUtf8());
  EXPECT_EQ(awaitTask(client.me()).id, account.id);

  try {
    awaitTask(client.signInWithGoogle("not-a-real-token"));
    FAIL() << "Google sign-in succeeded";
  } catch (const RelayError& error) {
    EXPECT_EQ(error.status, 501);
    EXPECT_EQ(error.message, "Google sign-in is not configured on this relay");
  }
  try {
    awaitTask(client.call("/api/nothing-here", "GET"));
    FAIL();
  } catch (const RelayError& error) {
    EXPECT_EQ(error.status, 404);
  }
  RelayClient nowhere(QUrl("http://127.0.0.1:1"), RelayClient::Credential::keychain(), memory);
  EXPECT_THROW(awaitTask(nowhere.me()), RelayTransportError);
}

TEST_F(RelayAccountTest, DeviceNotApprovedIsReenrolledOnce) {
  startRelay({"--require-device-enrolment"});
  testing::RelayHttp http(relay->baseUrl());
  const auto [plainToken, userId] = http.registerAccount("cy@example.org");

  // A fixed token credential is never re-enrolled: the 403 reaches the caller, explained.
  RelayClient proof(QUrl(relay->baseUrl()), RelayClient::Credential::fixed(QString::fromStdString(plainToken)));
  try {
    awaitTask(proof.me());
    FAIL() << "an unenrolled token was accepted";
  } catch (const RelayError& error) {
    EXPECT_EQ(error.status, 403);
    const auto unregistered = RelayErrorExplainer::explain(error.message, false);
    ASSERT_TRUE(unregistered);
    EXPECT_EQ(unregistered->messageKey, "relay_error.device_not_approved.unregistered");
    EXPECT_EQ(RelayErrorExplainer::explain(error.message, true)->action, RelayErrorAction::openDevices);
  }

  // The token store's credential: enrol, take the device-bound token, send once more.
  auto memory = std::make_shared<InMemoryRelayUserTokenStore>(QString::fromStdString(plainToken));
  auto device = std::make_shared<InMemoryRelayDeviceIDStore>("6F1C2A5E-3B7D-4E8A-9C0B-1D2E3F4A5B6C");
  RelayClient client(QUrl(relay->baseUrl()), RelayClient::Credential::keychain(), memory, device);
  EXPECT_EQ(awaitTask(client.me()).id, userId);
  const auto claims = JWTExpiry::payload(memory->read()->toStdString());
  ASSERT_TRUE(claims);
  EXPECT_EQ((*claims)["device_id"], "6F1C2A5E-3B7D-4E8A-9C0B-1D2E3F4A5B6C");
  // The relay logs a request once its answer is written, on whichever thread served it:
  // the last line may reach the log just after the answer reached us.
  EXPECT_TRUE(testing::waitUntil([&] { return relay->log().count("GET /api/auth/me") >= 3; }, 5000));
  const QByteArray log = relay->log();
  EXPECT_EQ(log.count("POST /api/devices/enroll"), 1);
  EXPECT_EQ(log.count("GET /api/auth/me"), 3);  // refused fixed, refused, retried
  awaitTask(client.me());
  EXPECT_EQ(relay->log().count("POST /api/devices/enroll"), 1);  // now bound: no more enrolment
}

TEST(CredentialAccessGuardTest, TestProgramsStayInTheTemporaryDirectory) {
  EXPECT_TRUE(CredentialAccessGuard::isTestProcess());
  const QString outside = "/var/lib/vesket-credential-guard-check/relay-jwt-macos";
  EXPECT_FALSE(CredentialAccessGuard::permits(outside));
  EXPECT_FALSE(CredentialFiles::write(outside, "secret"));
  EXPECT_FALSE(QFile::exists(outside));
  QTemporaryDir temp;
  EXPECT_TRUE(CredentialAccessGuard::permits(temp.path() + "/new/dir/relay-jwt-macos"));
  EXPECT_TRUE(CredentialFiles::write(temp.path() + "/new/relay-jwt-macos", " tok \n"));
  EXPECT_EQ(CredentialFiles::read(temp.path() + "/new/relay-jwt-macos"), "tok");
}

}  // namespace
}  // namespace vesket::relay
