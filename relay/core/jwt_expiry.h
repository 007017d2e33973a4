#pragma once

// Reading an account token (a JWT) without verifying it: the application only needs to know
// whether it has expired and whose it is. The signature is the relay's business.

#include <cstdint>
#include <optional>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace vesket::relay::JWTExpiry {

// The token's payload as a JSON object, or nothing when the token is not three
// dot-separated parts or its middle part is not Base64url-encoded JSON object text.
std::optional<nlohmann::json> payload(std::string_view token);
// True for a token that cannot be read or whose "exp" (seconds since 1970) is at or
// before `nowSeconds`. No grace margin.
bool isExpiredOrInvalid(std::string_view token, double nowSeconds);
// The integer "user_id" claim, or nothing.
std::optional<std::int64_t> userID(std::string_view token);

}  // namespace vesket::relay::JWTExpiry

namespace vesket::relay {

// The bearer a terminal mirror authenticates with. Attaching to this machine's own daemon,
// the daemon token wins when present. Otherwise an account bearer that is present and not
// expired is used; an absent or expired one gives way to the daemon token when there is
// one, else it is used as it is.
std::optional<std::string> terminalMirrorBearer(const std::optional<std::string>& credentialBearer,
                                                const std::optional<std::string>& daemonToken,
                                                bool attachingToOwnDaemon, double nowSeconds);

}  // namespace vesket::relay
