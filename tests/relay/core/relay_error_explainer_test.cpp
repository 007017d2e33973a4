#include <gtest/gtest.h>

#include <set>

#include "relay/core/relay_error_explainer.h"

namespace vesket::relay {
namespace {

// Every rule of the table, reached by a realistic relay message, for a registered and an
// unregistered Mac.
TEST(RelayErrorExplainerTest, EveryRuleOfTheTable) {
  using A = RelayErrorAction;
  struct Case {
    const char* message;
    bool registered;
    const char* code;
    const char* key;
    A action;
  };
  const Case cases[] = {
      {"Unknown daemon token", true, "unknown_daemon_token", "relay_error.unknown_daemon_token", A::registerThisMac},
      {"daemon_token_required", true, "daemon_token_required", "relay_error.daemon_not_running", A::finishMacSetup},
      {"device_not_approved", true, "device_not_approved", "relay_error.device_not_approved.registered", A::openDevices},
      {"DEVICE_NOT_APPROVED", false, "device_not_approved", "relay_error.device_not_approved.unregistered",
       A::finishMacSetup},
      {"phone_pairing_required: add it from your phone", true, "phone_pairing_required",
       "relay_error.pairing_needs_approved_device", A::finishMacSetup},
      {"mac_requires_local_daemon_vouch", false, "mac_requires_local_daemon_vouch",
       "relay_error.mac_requires_local_daemon_vouch", A::finishMacSetup},
      {"approved_device_required", true, "approved_device_required", "relay_error.approved_device_required",
       A::finishMacSetup},
      {"grant_required_for_pairing", true, "grant_required_for_pairing", "relay_error.grant_required_for_pairing",
       A::openDevices},
      {"rate_limited; retry after 12 seconds", true, "rate_limited", "relay_error.rate_limited", A::tryAgain},
      {"Session expired, sign in again", true, "session_expired", "relay_error.session_expired", A::signIn},
      {"not authenticated", false, "not_authenticated", "relay_error.session_expired", A::signIn},
      {"Unauthorized", true, "unauthorized", "relay_error.session_expired", A::signIn},
      // Order matters: the daemon-token rule comes before "unauthorized".
      {"unauthorized: unknown daemon token", true, "unknown_daemon_token", "relay_error.unknown_daemon_token",
       A::registerThisMac},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const auto explanation = RelayErrorExplainer::explain(c.message, c.registered);
    ASSERT_TRUE(explanation.has_value());
    EXPECT_EQ(explanation->code, c.code);
    EXPECT_EQ(explanation->messageKey, c.key);
    EXPECT_EQ(explanation->action, c.action);
    EXPECT_TRUE(explanation->arguments.empty());
  }
  EXPECT_FALSE(RelayErrorExplainer::explain("invalid username or password", true));
  EXPECT_FALSE(RelayErrorExplainer::explain("", false));
}

TEST(RelayErrorExplainerTest, MessagesAndActionTitles) {
  const auto messages = RelayErrorExplainer::allMessages();
  std::set<std::string> keys;
  for (const auto& [key, english] : messages) {
    EXPECT_TRUE(keys.insert(key).second) << key << " listed twice";
    EXPECT_FALSE(english.empty());
  }
  EXPECT_EQ(messages.size(), 10u);  // three rules share the session-expired text
  EXPECT_EQ(RelayErrorExplainer::explain("session expired", true)->englishMessage,
            "Your sign-in has expired. Sign in again.");
  EXPECT_EQ(RelayErrorExplainer::actionTitleKey(RelayErrorAction::registerThisMac),
            "relay_error.action.registerThisMac");
}

}  // namespace
}  // namespace vesket::relay
