#pragma once

// The account token: a JWT signed HS256 with the relay's secret. Claims: "sub" (the user
// id as text, as JWTs have it), "user_id" (the same as a number: the application reads
// this one), "device_id" (the device the token is bound to, or null), "iat" and "exp"
// (seconds since 1970). A token expires `kLifetimeSeconds` after it was issued.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace vesket::relay_service {

struct AccountClaims {
  std::int64_t userId = 0;
  std::optional<std::string> deviceId;
  std::int64_t issuedAt = 0;   // seconds since 1970
  std::int64_t expiresAt = 0;  // seconds since 1970

  friend bool operator==(const AccountClaims&, const AccountClaims&) = default;
};

enum class AccountTokenError { malformed, badSignature, expired };

namespace AccountToken {
inline constexpr std::int64_t kLifetimeSeconds = 7 * 24 * 3600;

// Claims for a token issued now.
AccountClaims issue(std::int64_t userId, std::optional<std::string> deviceId, std::int64_t nowSeconds,
                    std::int64_t lifetimeSeconds = kLifetimeSeconds);
std::string sign(const AccountClaims& claims, std::string_view secret);
// The claims of a token signed with `secret` that has not expired at `nowSeconds` (a token
// whose "exp" equals now has expired).
std::variant<AccountClaims, AccountTokenError> verify(std::string_view token, std::string_view secret,
                                                      std::int64_t nowSeconds);
}  // namespace AccountToken

}  // namespace vesket::relay_service
