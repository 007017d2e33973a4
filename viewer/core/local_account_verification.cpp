#include "viewer/core/local_account_verification.h"

namespace vesket::viewer::LocalAccountVerification {

LocalAccountVerdict evaluate(bool reachable, bool connected,
                             std::optional<std::string_view> identityUserId,
                             std::optional<std::string_view> appUserId) {
  if (!reachable || !connected || !identityUserId || !appUserId) {
    return LocalAccountVerdict::unreachable;
  }
  return *identityUserId == *appUserId ? LocalAccountVerdict::verified
                                       : LocalAccountVerdict::mismatch;
}

}  // namespace vesket::viewer::LocalAccountVerification
