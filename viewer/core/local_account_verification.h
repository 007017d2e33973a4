// Whether the local daemon is signed in to the same account as the application.
#pragma once

#include <optional>
#include <string_view>

namespace vesket::viewer {

enum class LocalAccountVerdict { verified, unreachable, mismatch };

namespace LocalAccountVerification {
// `unreachable` unless the daemon is reachable and connected and both user ids are known;
// then `verified` when they are equal, else `mismatch`.
LocalAccountVerdict evaluate(bool reachable, bool connected,
                             std::optional<std::string_view> identityUserId,
                             std::optional<std::string_view> appUserId);
}  // namespace LocalAccountVerification

}  // namespace vesket::viewer
