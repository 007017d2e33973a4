// The Account section against the real relay: creating an account, a refused sign-in,
// signing out and in, an expired session with its action, the relay endpoint choice.
// Screenshots of each state go to the test artifacts.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "relay/account_session.h"
#include "relay/relay_account_runtime.h"
#include "relay/relay_account_store.h"
#include "relay/relay_credentials.h"
#include "relay/relay_settings.h"
#include "relay_service/core/account_token.h"
#include "tests/relay/relay_test_home.h"
#include "tests/support/await_task.h"
#include "tests/support/event_loop.h"
#include "tests/support/real_relay.h"
#include "tests/support/screenshot.h"
#include "ui/account_section.h"

namespace vesket::ui {
namespace {

using relay::AuthState;

int top(QWidget& root, QWidget* child) { return child->mapTo(&root, QPoint(0, 0)).y(); }

struct AccountWindow {
  explicit AccountWindow(testing::RelayTestHome& home, const QString& relayBase) {
    relay::RelaySettings::Options options;
    options.fixed = {relayBase.toStdString(), "http://127.0.0.1:1"};
    options.defaults = home.settings.get();
    options.environmentFilePath = home.productHome() + "/daemon/.env";
    options.regionCode = "DE";
    settings = std::make_unique<relay::RelaySettings>(options);
    auto* s = settings.get();
    const auto base = [s] { return QUrl(s->baseURL()); };
    session = std::make_unique<relay::AccountSession>(tokens, base);
    store = std::make_unique<relay::RelayAccountStore>(
        relay::RelayAccountStore::Dependencies{.baseURL = base, .tokenStore = tokens, .session = session.get()});
    section = std::make_unique<AccountSection>(AccountServices{store.get(), session.get(), settings.get()});
    section->resize(620, 360);
    section->show();
  }

  bool waitFor(AuthState::Kind kind) {
    return testing::waitUntil([&] { return store->auth().kind == kind; }, 15000);
  }

  std::shared_ptr<relay::RelayUserTokenStore> tokens = std::make_shared<relay::FileRelayUserTokenStore>();
  std::unique_ptr<relay::RelaySettings> settings;
  std::unique_ptr<relay::AccountSession> session;
  std::unique_ptr<relay::RelayAccountStore> store;
  std::unique_ptr<AccountSection> section;
};

TEST(AccountSectionTest, CreateAccountSignOutSignInAndExpire) {
  testing::RelayTestHome home;
  testing::RealRelay relay(home.relayDataDir("ui"));
  ASSERT_TRUE(relay.start());
  AccountWindow window(home, relay.baseUrl());
  AccountSection& section = *window.section;
  EXPECT_FALSE(section.errorLabel()->isVisible());
  // The hidden confirmation leaves no gap: the buttons follow the password directly.
  EXPECT_LT(top(section, section.submitButton()) - top(section, section.passwordField()),
            2 * section.passwordField()->height() + 12);
  testing::saveScreenshot(section, "account_section_signed_out");

  // Create an account; a mismatched confirmation is caught before anything is sent.
  section.setMode(AccountSection::Mode::createAccount);
  EXPECT_TRUE(section.confirmField()->isVisible());
  QTest::keyClicks(section.identifierField(), "dee@example.org");
  QTest::keyClicks(section.passwordField(), "password1");
  QTest::keyClicks(section.confirmField(), "password2");
  section.submitButton()->click();
  EXPECT_EQ(section.errorLabel()->text(), "Passwords don't match.");
  EXPECT_TRUE(section.errorLabel()->isVisible());
  testing::saveScreenshot(section, "account_section_register_error");

  section.confirmField()->setText("password1");
  section.submitButton()->click();
  ASSERT_TRUE(window.waitFor(AuthState::Kind::authenticated)) << window.store->auth().failure.toStdString();
  EXPECT_TRUE(section.signOutButton()->isVisible());
  EXPECT_TRUE(section.signedInLabel()->text().contains("dee@example.org"));
  testing::saveScreenshot(section, "account_section_signed_in");

  section.signOutButton()->click();
  EXPECT_EQ(window.store->auth().kind, AuthState::Kind::loggedOut);
  EXPECT_FALSE(window.session->isSignedIn());

  // A wrong password: a sentence, no status code, no action to offer.
  section.setMode(AccountSection::Mode::signIn);
  EXPECT_FALSE(section.confirmField()->isVisible());
  section.identifierField()->setText("dee@example.org");
  section.passwordField()->setText("not-it-at-all");
  section.submitButton()->click();
  ASSERT_TRUE(window.waitFor(AuthState::Kind::failed));
  EXPECT_EQ(section.errorLabel()->text(), "Wrong username or password.");
  EXPECT_FALSE(section.actionButton()->isVisible());
  testing::saveScreenshot(section, "account_section_wrong_password");

  section.passwordField()->setText("password1");
  section.submitButton()->click();
  ASSERT_TRUE(window.waitFor(AuthState::Kind::authenticated));

  // The stored session expired while the application was away.
  QFile secretFile(relay.dataDir() + "/token-secret");
  ASSERT_TRUE(secretFile.open(QIODevice::ReadOnly));
  const auto old = relay_service::AccountToken::issue(*window.session->accountID(), std::nullopt, 1'000'000'000, 60);
  window.tokens->save(QString::fromStdString(relay_service::AccountToken::sign(old, secretFile.readAll().toStdString())));
  AccountWindow restarted(home, relay.baseUrl());
  EXPECT_EQ(restarted.store->auth().kind, AuthState::Kind::checkingStoredSession);
  testing::saveScreenshot(*restarted.section, "account_section_checking");
  restarted.store->restoreStoredSession();
  ASSERT_TRUE(restarted.waitFor(AuthState::Kind::failed));
  EXPECT_TRUE(restarted.section->errorLabel()->text().startsWith("Session expired — please sign in again."));
  EXPECT_TRUE(restarted.section->errorLabel()->text().contains("sessions last 7 days"));
  ASSERT_TRUE(restarted.section->actionButton()->isVisible());
  EXPECT_EQ(restarted.section->actionButton()->text(), "Sign In");
  EXPECT_GT(top(*restarted.section, restarted.section->actionButton()),
            top(*restarted.section, restarted.section->errorLabel()) + restarted.section->errorLabel()->height() - 1);
  testing::saveScreenshot(*restarted.section, "account_section_session_expired");
  restarted.section->actionButton()->click();
  EXPECT_EQ(restarted.store->auth().kind, AuthState::Kind::loggedOut);
  EXPECT_FALSE(restarted.section->errorLabel()->isVisible());
}

TEST(AccountSectionTest, RelayDownAndCustomEndpoint) {
  testing::RelayTestHome home;
  testing::RealRelay relay(home.relayDataDir("ui2"));
  ASSERT_TRUE(relay.start());
  AccountWindow window(home, "http://127.0.0.1:1");
  AccountSection& section = *window.section;

  // The relay cannot be reached: a sentence naming it and a Try Again button.
  section.identifierField()->setText("eve@example.org");
  section.passwordField()->setText("password1");
  section.submitButton()->click();
  ASSERT_TRUE(window.waitFor(AuthState::Kind::failed));
  EXPECT_TRUE(section.errorLabel()->text().startsWith("Couldn't reach the relay at http://127.0.0.1:1"));
  EXPECT_EQ(section.actionButton()->text(), "Try Again");

  // Pin the running relay; its latency is measured and shown.
  section.endpointChoice()->setCurrentIndex(1);
  section.customURLField()->setText(relay.baseUrl() + "/");
  section.applyEndpointButton()->click();
  EXPECT_EQ(window.settings->baseURL(), relay.baseUrl());
  EXPECT_TRUE(section.endpointLabel()->text().contains(relay.baseUrl()));
  ASSERT_TRUE(testing::waitUntil([&] { return section.latencyLabel()->text().contains(" ms"); }, 5000))
      << section.latencyLabel()->text().toStdString();
  testing::saveScreenshot(section, "account_section_custom_relay");

  section.actionButton()->click();  // try again, now against the pinned relay
  ASSERT_TRUE(window.waitFor(AuthState::Kind::failed));
  EXPECT_EQ(section.errorLabel()->text(), "Wrong username or password.");

  section.customURLField()->setText("relay.example.org");
  section.applyEndpointButton()->click();
  EXPECT_EQ(window.settings->baseURL(), relay.baseUrl());  // refused: no scheme
  EXPECT_EQ(section.latencyLabel()->text(), "Enter a relay address that starts with https:// or http://.");
}

// Start, create an account in the section, quit, start again: still signed in. The relay
// is found as a running application finds the development one: through the daemon's
// RELAY_URL, which scripts/dev-relay writes.
TEST(AccountSectionTest, AnAccountCreatedHereIsStillSignedInAfterARestart) {
  testing::RelayTestHome home;
  testing::RealRelay relay(home.relayDataDir("restart"));
  ASSERT_TRUE(relay.start());
  QDir().mkpath(home.productHome() + "/daemon");
  QFile env(home.productHome() + "/daemon/.env");
  ASSERT_TRUE(env.open(QIODevice::WriteOnly));
  env.write("RELAY_URL=" + QString(relay.baseUrl()).replace("http://", "ws://").toUtf8() + "/daemon\n");
  env.close();
  {
    relay::RelayAccountRuntime first(*home.settings);
    testing::awaitTask(first.connect());
    ASSERT_EQ(first.settings().baseURL(), relay.baseUrl());
    EXPECT_EQ(first.store().auth().kind, AuthState::Kind::loggedOut);
    AccountSection section({&first.store(), &first.session(), &first.settings()});
    section.setMode(AccountSection::Mode::createAccount);
    QTest::keyClicks(section.identifierField(), "hal@example.org");
    QTest::keyClicks(section.passwordField(), "password1");
    QTest::keyClicks(section.confirmField(), "password1");
    section.submitButton()->click();
    ASSERT_TRUE(testing::waitUntil([&] { return first.store().auth().kind == AuthState::Kind::authenticated; }, 15000))
        << first.store().auth().failure.toStdString();
  }
  relay::RelayAccountRuntime second(*home.settings);
  EXPECT_EQ(second.store().auth().kind, AuthState::Kind::checkingStoredSession);
  testing::awaitTask(second.connect());
  ASSERT_EQ(second.store().auth().kind, AuthState::Kind::authenticated) << second.store().auth().failure.toStdString();
  EXPECT_TRUE(second.session().isSignedIn());
  AccountSection section({&second.store(), &second.session(), &second.settings()});
  EXPECT_TRUE(section.signedInLabel()->text().contains("hal@example.org"));
}

}  // namespace
}  // namespace vesket::ui
