#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "relay/core/account_registration_policy.h"
#include "relay/core/jwt_expiry.h"
#include "relay/core/relay_error.h"

#include "control_plane/core/base64.h"

namespace vesket::relay {
namespace {

std::string tokenWith(const nlohmann::json& claims) {
  std::string payload = control_plane::Base64::encode(claims.dump());
  for (char& c : payload) {
    if (c == '+') c = '-';
    if (c == '/') c = '_';
  }
  while (!payload.empty() && payload.back() == '=') payload.pop_back();
  return "eyJhbGciOiJIUzI1NiJ9." + payload + ".c2ln";
}

TEST(RelayResponseTest, ErrorMessages) {
  struct Case {
    int status;
    std::string body;
    std::string message;
    std::optional<std::string> reason;
  };
  const Case cases[] = {
      {401, R"({"error":"invalid_credentials","message":"invalid username or password"})",
       "invalid username or password", std::nullopt},
      {403, R"({"error":"device_not_approved","reason":"new device"})", "device_not_approved", "new device"},
      {426, R"({"error":"daemon_capability_required","machineName":"studio","currentVersion":"1.0"})",
       "Update Vesket on studio to use this action (current 1.0, required 1.1.227).", std::nullopt},
      {426, R"({"error":"daemon_capability_required"})",
       "Update Vesket on this Mac to use this action (current unknown, required 1.1.227).", std::nullopt},
      {500, "upstream exploded", "upstream exploded", std::nullopt},
      {500, "", "", std::nullopt},
      {500, std::string("\xff\xfe", 2), "HTTP 500", std::nullopt},
      {502, "[1,2]", "[1,2]", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body);
    const auto error = RelayResponse::errorFor(c.status, c.body);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->status, c.status);
    EXPECT_EQ(error->message, c.message);
    EXPECT_EQ(error->reason, c.reason);
  }
  EXPECT_FALSE(RelayResponse::errorFor(200, "anything"));
  EXPECT_FALSE(RelayResponse::errorFor(204, ""));
  EXPECT_TRUE(RelayResponse::errorFor(300, ""));
  EXPECT_FALSE(RelayResponse::isValidUTF8("\xc3"));        // truncated
  EXPECT_FALSE(RelayResponse::isValidUTF8("\xed\xa0\x80"));  // surrogate
  EXPECT_TRUE(RelayResponse::isValidUTF8("h\xc3\xa9 \xe4\xb8\xad"));
}

TEST(RelayResponseTest, OnlyAnUnenrolledDeviceIsReenrolledOnce) {
  const std::string unenrolled = R"({"error":"device_not_approved","status":"unenrolled"})";
  EXPECT_TRUE(RelayResponse::asksForReenrolment(403, unenrolled, true, false));
  EXPECT_TRUE(RelayResponse::asksForReenrolment(403, R"({"error":"device_not_approved"})", true, false));
  EXPECT_FALSE(RelayResponse::asksForReenrolment(403, unenrolled, true, true));   // second 403 after the retry
  EXPECT_FALSE(RelayResponse::asksForReenrolment(403, unenrolled, false, false));  // fixed token credential
  EXPECT_FALSE(RelayResponse::asksForReenrolment(401, unenrolled, true, false));
  EXPECT_FALSE(RelayResponse::asksForReenrolment(403, R"({"error":"device_not_approved","status":"pending"})", true, false));
  EXPECT_FALSE(RelayResponse::asksForReenrolment(403, R"({"error":"device_not_approved","status":"denied"})", true, false));
  EXPECT_FALSE(RelayResponse::asksForReenrolment(403, "device_not_approved", true, false));
}

TEST(RelayResponseTest, TokenExpiryAndBearerChoice) {
  const double now = 1'800'000'000;
  const std::string live = tokenWith({{"exp", now + 60}, {"user_id", 42}});
  const std::string atNow = tokenWith({{"exp", now}, {"user_id", 42}});
  EXPECT_FALSE(JWTExpiry::isExpiredOrInvalid(live, now));
  EXPECT_TRUE(JWTExpiry::isExpiredOrInvalid(atNow, now));
  EXPECT_TRUE(JWTExpiry::isExpiredOrInvalid("a.b", now));
  EXPECT_TRUE(JWTExpiry::isExpiredOrInvalid("a.b.c.d", now));
  EXPECT_TRUE(JWTExpiry::isExpiredOrInvalid("a.!!!.c", now));
  EXPECT_TRUE(JWTExpiry::isExpiredOrInvalid(tokenWith({{"user_id", 1}}), now));
  EXPECT_TRUE(JWTExpiry::isExpiredOrInvalid(tokenWith({{"exp", "soon"}}), now));
  EXPECT_EQ(JWTExpiry::userID(live), 42);
  EXPECT_FALSE(JWTExpiry::userID(tokenWith({{"user_id", "42"}})));

  const std::optional<std::string> daemon = "daemon-token";
  const std::optional<std::string> none;
  EXPECT_EQ(terminalMirrorBearer(live, daemon, true, now), daemon);
  EXPECT_EQ(terminalMirrorBearer(live, none, true, now), live);
  EXPECT_EQ(terminalMirrorBearer(live, daemon, false, now), live);
  EXPECT_EQ(terminalMirrorBearer(atNow, daemon, false, now), daemon);
  EXPECT_EQ(terminalMirrorBearer(none, daemon, false, now), daemon);
  EXPECT_EQ(terminalMirrorBearer(atNow, none, false, now), atNow);
}

TEST(RelayResponseTest, RegistrationRules) {
  using namespace AccountRegistrationPolicy;
  EXPECT_EQ(registrationValidationError("ann", "password1", "password1"), kInvalidEmail);
  EXPECT_EQ(registrationValidationError("ann@x", "password1", "password1"), kInvalidEmail);
  EXPECT_EQ(registrationValidationError("a b@x.io", "password1", "password1"), kInvalidEmail);
  EXPECT_EQ(registrationValidationError(" ann@x.io ", "1234567", "1234567"), kPasswordTooShort);
  EXPECT_EQ(registrationValidationError("ann@x.io", "12345678", "12345679"), kPasswordsDontMatch);
  EXPECT_FALSE(registrationValidationError(" ann@x.io ", "12345678", "12345678"));
  EXPECT_EQ(registrationErrorMessage(400, "password-mismatch: the two differ"), kPasswordsDontMatch);
  EXPECT_EQ(registrationErrorMessage(400, "password must be at least 8 characters"), kPasswordTooShort);
  EXPECT_EQ(registrationErrorMessage(400, "email is not valid"), kInvalidEmail);
  EXPECT_EQ(registrationErrorMessage(400, "bad"), kCheckEmailAndPassword);
  EXPECT_EQ(registrationErrorMessage(409, ""), kAccountExists);
  EXPECT_EQ(registrationErrorMessage(429, ""), kTooManyAttempts);
  EXPECT_EQ(registrationErrorMessage(503, ""), kBackendUnavailable);
  EXPECT_EQ(registrationErrorMessage(500, ""), kRegisterGeneric);
  for (const auto& [key, english] : englishTexts()) EXPECT_EQ(englishText(key), english);
}

}  // namespace
}  // namespace vesket::relay
