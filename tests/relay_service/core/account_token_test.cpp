#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "relay_service/core/account_token.h"
#include "relay_service/core/secrets.h"

namespace vesket::relay_service {
namespace {

const std::string kSecret(32, 'k');

std::variant<AccountClaims, AccountTokenError> verifyAt(const std::string& token, std::int64_t now) {
  return AccountToken::verify(token, kSecret, now);
}

TEST(AccountTokenTest, SignedClaimsVerifyUntilTheyExpire) {
  const AccountClaims claims = AccountToken::issue(42, "device-1", 1000);
  EXPECT_EQ(claims.expiresAt, 1000 + 7 * 24 * 3600);
  const std::string token = AccountToken::sign(claims, kSecret);
  EXPECT_EQ(std::get<AccountClaims>(verifyAt(token, 1000)), claims);
  EXPECT_EQ(std::get<AccountClaims>(verifyAt(token, claims.expiresAt - 1)), claims);
  // "exp" equal to now has expired, as the application counts it.
  EXPECT_EQ(std::get<AccountTokenError>(verifyAt(token, claims.expiresAt)), AccountTokenError::expired);
}

TEST(AccountTokenTest, PayloadCarriesTheUserIdTheApplicationReads) {
  const std::string token = AccountToken::sign(AccountToken::issue(7, std::nullopt, 50), kSecret);
  const auto firstDot = token.find('.');
  const auto payload = Base64Url::decode(token.substr(firstDot + 1, token.rfind('.') - firstDot - 1));
  ASSERT_TRUE(payload);
  const auto json = nlohmann::json::parse(*payload);
  EXPECT_EQ(json["user_id"], 7);
  EXPECT_EQ(json["sub"], "7");
  EXPECT_TRUE(json["device_id"].is_null());
}

TEST(AccountTokenTest, ForgedOrDamagedTokensAreRefused) {
  const std::string token = AccountToken::sign(AccountToken::issue(42, std::nullopt, 1000), kSecret);
  const auto firstDot = token.find('.');
  const auto lastDot = token.rfind('.');
  const std::string otherPayload = Base64Url::encode(R"({"user_id":1,"iat":1000,"exp":99999999})");
  const std::string noneHeader = Base64Url::encode(R"({"alg":"none","typ":"JWT"})");

  const struct {
    const char* name;
    std::string token;
    AccountTokenError expected;
  } cases[] = {
      {"other secret", AccountToken::sign(AccountToken::issue(42, std::nullopt, 1000), std::string(32, 'x')),
       AccountTokenError::badSignature},
      {"swapped payload", token.substr(0, firstDot + 1) + otherPayload + token.substr(lastDot),
       AccountTokenError::badSignature},
      {"alg none", noneHeader + token.substr(firstDot), AccountTokenError::malformed},
      {"two parts", token.substr(0, lastDot), AccountTokenError::malformed},
      {"four parts", token + ".x", AccountTokenError::malformed},
      {"signature not base64url", token.substr(0, lastDot + 1) + "+/+/", AccountTokenError::malformed},
      {"empty", "", AccountTokenError::malformed},
  };
  for (const auto& c : cases) {
    const auto result = verifyAt(c.token, 1001);
    ASSERT_TRUE(std::holds_alternative<AccountTokenError>(result)) << c.name;
    EXPECT_EQ(std::get<AccountTokenError>(result), c.expected) << c.name;
  }
}

TEST(SecretsTest, DaemonTokensAreRandomAndOnlyTheirDigestIsStable) {
  const std::string a = DaemonToken::mint();
  const std::string b = DaemonToken::mint();
  EXPECT_NE(a, b);
  EXPECT_EQ(a.size(), 43u);  // 32 bytes, unpadded URL-safe Base64
  EXPECT_EQ(Base64Url::decode(a)->size(), 32u);
  EXPECT_EQ(DaemonToken::digest(a), DaemonToken::digest(a));
  EXPECT_EQ(DaemonToken::digest("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace vesket::relay_service
