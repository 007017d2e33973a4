// Enrolment against the real relay: callers enrolling at once share one request, a relay's
// 429 closes the gate so that nothing is sent until its time has passed (and the account
// screen names the seconds), and Google and Apple sign-in without a provider flow here show
// the relay's answer.
#include <gtest/gtest.h>

#include <QNetworkAccessManager>
#include <QNetworkRequest>

#include "relay/account_session.h"
#include "relay/device_enrollment.h"
#include "relay/relay_account_store.h"
#include "relay/relay_client.h"
#include "tests/relay/relay_test_home.h"
#include "tests/support/await_task.h"
#include "tests/support/real_relay.h"

namespace vesket::relay {
namespace {

using testing::awaitTask;

// The real network session, counting the enrolments it sends.
class CountingSession : public QNetworkAccessManager {
 public:
  int enrolments = 0;

 protected:
  QNetworkReply* createRequest(Operation operation, const QNetworkRequest& request, QIODevice* data) override {
    if (request.url().path() == "/api/devices/enroll") ++enrolments;
    return QNetworkAccessManager::createRequest(operation, request, data);
  }
};

double nowSeconds() { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0; }

class RelayEnrollmentTest : public ::testing::Test {
 protected:
  void startRelay(QStringList extra = {}) {
    relay = std::make_unique<testing::RealRelay>(home.relayDataDir("e"), extra);
    ASSERT_TRUE(relay->start());
    base = QUrl(relay->baseUrl());
  }

  RelayClient client() {
    return RelayClient(base, RelayClient::Credential::keychain(), tokens, nullptr, &session, &enrollment);
  }

  std::unique_ptr<RelayAccountStore> makeStore(AccountSession& account) {
    RelayAccountStore::Dependencies dependencies;
    dependencies.baseURL = [this] { return base; };
    dependencies.tokenStore = tokens;
    dependencies.session = &account;
    dependencies.enrollment = &enrollment;
    return std::make_unique<RelayAccountStore>(std::move(dependencies));
  }

  testing::RelayTestHome home;
  std::unique_ptr<testing::RealRelay> relay;
  QUrl base;
  std::shared_ptr<RelayUserTokenStore> tokens = std::make_shared<InMemoryRelayUserTokenStore>();
  CountingSession session;
  DeviceEnrollment enrollment{*home.settings};
};

TEST_F(RelayEnrollmentTest, CallersEnrollingAtOnceShareOneRequest) {
  startRelay();
  RelayClient first = client();
  awaitTask(first.registerPublic("flo@example.org", "password1", "password1"));
  const QString accountToken = *tokens->read();

  RelayClient second = client();
  auto a = first.enrollCurrentDevice(false);
  auto b = second.enrollCurrentDevice(false);
  EXPECT_EQ(enrollment.inFlight(), 1);
  EXPECT_EQ(awaitTask(std::move(a)).status, "approved");
  EXPECT_EQ(awaitTask(std::move(b)).status, "approved");
  EXPECT_EQ(session.enrolments, 1);
  EXPECT_EQ(enrollment.inFlight(), 0);
  EXPECT_NE(*tokens->read(), accountToken);  // the device-bound token was saved

  // Once it ended, the next enrolment is a request of its own (an approved answer is not
  // kept for reuse).
  awaitTask(first.enrollCurrentDevice(true));
  EXPECT_EQ(session.enrolments, 2);
}

TEST_F(RelayEnrollmentTest, ARelaysTooManyRequestsClosesTheGateUntilItsTime) {
  startRelay({"--request-limit", "4"});
  AccountSession account(tokens, [this] { return base; });
  auto store = makeStore(account);
  awaitTask(store->registerAccount("gil@example.org", "password1", "password1"));
  RelayClient enrolling = client();
  std::optional<RelayError> refused;
  for (int attempt = 0; attempt < 10 && !refused; ++attempt) {
    try {
      awaitTask(enrolling.enrollCurrentDevice(false));
    } catch (const RelayError& error) {
      refused = error;
    }
  }
  ASSERT_TRUE(refused) << "the relay never limited the enrolments";
  EXPECT_EQ(refused->status, 429);
  const auto seconds = EnrollmentRetryGate::secondsIn(refused->message);
  ASSERT_TRUE(seconds) << refused->message;
  EXPECT_GE(*seconds, 1);
  EXPECT_LE(*seconds, 60);
  const auto stored = home.settings->doubleValue(QString::fromLatin1(EnrollmentRetryGate::kRetryAfterKey));
  ASSERT_TRUE(stored);
  EXPECT_GT(*stored, nowSeconds());

  // Closed: nothing is sent, and the account screen names the wait.
  const int sent = session.enrolments;
  EXPECT_THROW(awaitTask(enrolling.enrollCurrentDevice(false)), RelayError);
  EXPECT_EQ(session.enrolments, sent);
  home.settings->setValue(QString::fromLatin1(EnrollmentRetryGate::kRetryAfterKey), nowSeconds() + 12.2);
  store->logout();
  awaitTask(store->login("gil@example.org", "password1"));
  EXPECT_EQ(store->auth().kind, AuthState::Kind::failed);
  EXPECT_EQ(store->auth().failure, "Couldn't enroll this Mac. Too many device enrollment attempts. Try again in 13 seconds.");
  EXPECT_EQ(session.enrolments, sent);

  // Its time passed: the gate is gone and enrolments are sent again.
  home.settings->setValue(QString::fromLatin1(EnrollmentRetryGate::kRetryAfterKey), nowSeconds() - 1);
  EXPECT_FALSE(enrollment.retryRemaining(nowSeconds()));
  EXPECT_FALSE(home.settings->contains(QString::fromLatin1(EnrollmentRetryGate::kRetryAfterKey)));
}

TEST_F(RelayEnrollmentTest, ProviderSignInShowsTheRelaysAnswerWithoutTheProvider) {
  startRelay();
  AccountSession account(tokens, [this] { return base; });
  auto store = makeStore(account);
  awaitTask(store->signInWithGoogle(std::nullopt));
  EXPECT_EQ(store->auth().kind, AuthState::Kind::failed);
  EXPECT_EQ(store->auth().failure, "Google sign-in is not configured on this relay");
  awaitTask(store->signInWithApple(std::nullopt));
  EXPECT_EQ(store->auth().failure, "Sign in with Apple is not configured on this relay");

  // A relay with the providers configured answers for itself as well.
  relay.reset();
  startRelay({"--google-client-id", "client.apps.example", "--apple-client-id", "org.example.vesket"});
  awaitTask(store->signInWithGoogle(std::nullopt));
  EXPECT_EQ(store->auth().failure, "Google sign-in is not available on this relay yet");
  EXPECT_EQ(store->auth().action, std::nullopt);
  EXPECT_FALSE(account.isSignedIn());
}

}  // namespace
}  // namespace vesket::relay
