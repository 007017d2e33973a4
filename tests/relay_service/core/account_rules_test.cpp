#include <gtest/gtest.h>

#include "relay_service/core/account_rules.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/json_body.h"
#include "relay_service/core/password_hash.h"

namespace vesket::relay_service {
namespace {

TEST(AccountRulesTest, RegistrationAnswersNameWhatIsWrong) {
  // The application maps messages by "password-mismatch", then "password", then "email".
  const struct {
    const char* body;
    const char* error;
    const char* messagePart;
  } cases[] = {
      {R"({"password":"12345678","confirm_password":"12345678"})", "invalid_email", "email"},
      {R"({"email":"no-at-sign","password":"12345678","confirm_password":"12345678"})", "invalid_email", "email"},
      {R"({"email":"a@b","password":"12345678","confirm_password":"12345678"})", "invalid_email", "email"},
      {R"({"email":"a b@c.de","password":"12345678","confirm_password":"12345678"})", "invalid_email", "email"},
      {R"({"email":"a@b.de","password":"1234567","confirm_password":"1234567"})", "password_too_short", "password"},
      {R"({"email":"a@b.de","password":"äöüäöüä","confirm_password":"äöüäöüä"})", "password_too_short", "password"},
      {R"({"email":"a@b.de","password":"12345678","confirm_password":"12345679"})", "password-mismatch",
       "password-mismatch"},
      {R"({"email":"a@b.de","password":"12345678"})", "password-mismatch", "password-mismatch"},
      {R"({"email":7,"password":"12345678","confirm_password":"12345678"})", "invalid_request", "'email' must be"},
  };
  for (const auto& c : cases) {
    try {
      RegisterRequest::fromBody(JsonBody::parse(c.body));
      ADD_FAILURE() << c.body << " was accepted";
    } catch (const ApiError& error) {
      EXPECT_EQ(error.status(), 400) << c.body;
      EXPECT_EQ(error.error(), c.error) << c.body;
      EXPECT_NE(error.message().find(c.messagePart), std::string::npos) << c.body << ": " << error.message();
      if (std::string(c.messagePart) == "email") {
        EXPECT_EQ(error.message().find("password"), std::string::npos);
      }
    }
  }
}

TEST(AccountRulesTest, RegistrationNormalisesTheAddress) {
  const auto request = RegisterRequest::fromBody(
      JsonBody::parse(R"({"email":"  Ada@Example.ORG ","password":"eight ch","confirm_password":"eight ch"})"));
  EXPECT_EQ(request.email, "ada@example.org");
  EXPECT_EQ(request.password, "eight ch");
  EXPECT_TRUE(AccountRules::isValidEmail("x@a.b."));  // as the application's pattern allows
  EXPECT_FALSE(AccountRules::isValidEmail("x@.b"));
}

TEST(AccountRulesTest, LoginTakesAUsernameOrAnAddress) {
  EXPECT_EQ(LoginRequest::fromBody(JsonBody::parse(R"({"username":" Ada@X.io","password":"p"})")).login, "ada@x.io");
  EXPECT_EQ(LoginRequest::fromBody(JsonBody::parse(R"({"username":"Ada","password":"p"})")).login, "Ada");
  EXPECT_THROW(LoginRequest::fromBody(JsonBody::parse(R"({"username":"  ","password":"p"})")), ApiError);
}

TEST(JsonBodyTest, RejectsWhatIsNotAShallowObject) {
  const std::string deep = std::string(100, '[') + std::string(100, ']');
  for (const std::string& body : {std::string(""), std::string("[1]"), std::string("{\"a\":"), std::string("\"x\""),
                                 "{\"a\":" + deep + "}", std::string("{\"a\":1} trailing")}) {
    try {
      JsonBody::parse(body);
      ADD_FAILURE() << body.substr(0, 40) << " was accepted";
    } catch (const ApiError& error) {
      EXPECT_EQ(error.error(), "invalid_json") << body.substr(0, 40);
    }
  }
}

TEST(JsonBodyTest, ReadsFieldsByType) {
  const JsonBody body = JsonBody::parse(R"({"n":3.0,"f":3.5,"big":18446744073709551615,"s":"x","b":true,"z":null})");
  EXPECT_EQ(body.requireInteger("n"), 3);
  EXPECT_THROW(body.requireInteger("f"), ApiError);
  EXPECT_THROW(body.requireInteger("big"), ApiError);
  EXPECT_THROW(body.requireString("n"), ApiError);
  EXPECT_EQ(body.optionalString("z"), std::nullopt);
  EXPECT_THROW(body.requireString("z"), ApiError);
  EXPECT_EQ(body.optionalBool("b"), true);
}

TEST(PasswordHashTest, VerifiesOnlyThePasswordItWasMadeFrom) {
  const std::string hash = PasswordHash::hash("correct horse", PasswordHashCost::minimal());
  EXPECT_EQ(hash.rfind("$argon2id$", 0), 0u);
  EXPECT_TRUE(PasswordHash::verify(hash, "correct horse"));
  EXPECT_FALSE(PasswordHash::verify(hash, "correct horsE"));
  EXPECT_FALSE(PasswordHash::verify("", "x"));
  EXPECT_FALSE(PasswordHash::verify("$argon2id$garbage", "x"));
}

}  // namespace
}  // namespace vesket::relay_service
