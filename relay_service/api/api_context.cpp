#include "relay_service/api/api_context.h"

#include <fmt/format.h>

#include "relay_service/core/account_token.h"
#include "relay_service/core/api_error.h"
#include "relay_service/link/daemon_links.h"
#include "relay_service/store/relay_store.h"

namespace vesket::relay_service {

ApiContext::ApiContext(RelayStore& relayStore, DaemonLinks& daemonLinks, PasswordService& passwordService,
                       std::string secret, ApiConfig apiConfig, Clock clock, std::function<void(const std::string&)> log)
    : store(relayStore),
      links(daemonLinks),
      passwords(passwordService),
      tokenSecret(std::move(secret)),
      config(std::move(apiConfig)),
      m_clock(std::move(clock)),
      m_log(std::move(log)) {}

void ApiContext::log(const std::string& line) const {
  if (m_log) m_log(line);
}

void ApiContext::checkRate(RateClass rateClass, const std::string& key) {
  std::optional<int> wait;
  {
    const std::lock_guard lock(m_rateMutex);
    RateLimit limit = rateLimitFor(rateClass);
    if (rateClass == RateClass::signIn) limit.capacity = config.signInPerMinute;
    if (rateClass == RateClass::general) limit.capacity = config.requestsPerMinute;
    wait = m_rates.take(fmt::format("{}|{}", rateClassName(rateClass), key), limit, RateLimiter::Clock::now());
  }
  if (wait) throw ApiError::rateLimited(*wait);
}

AuthenticatedAccount requireAccountToken(ApiCall& call) {
  const auto token = call.request.bearerToken();
  if (!token) throw ApiError::notAuthenticated();
  const auto verified = AccountToken::verify(*token, call.context.tokenSecret, call.context.nowSeconds());
  if (const auto* error = std::get_if<AccountTokenError>(&verified)) {
    throw *error == AccountTokenError::expired ? ApiError::sessionExpired() : ApiError::invalidToken();
  }
  const auto& claims = std::get<AccountClaims>(verified);
  auto user = call.context.store.findUser(claims.userId);
  if (!user) throw ApiError::invalidToken();
  call.context.checkRate(RateClass::general, fmt::format("user|{}", user->id));
  return AuthenticatedAccount{std::move(*user), claims.deviceId};
}

AuthenticatedAccount requireAccount(ApiCall& call) {
  AuthenticatedAccount account = requireAccountToken(call);
  // Device gating: a relay that requires enrolment refuses tokens not bound to a device.
  // (Approval of a device by another one joins here with the devices family.)
  if (call.context.config.requireDeviceEnrolment && !account.deviceId) {
    throw ApiError(403, "device_not_approved", "device_not_approved: this device is not enrolled with the account")
        .with("status", "unenrolled");
  }
  return account;
}

DaemonRecord requireOwnedDaemon(ApiCall& call, const AuthenticatedAccount& account, std::int64_t daemonId) {
  auto daemon = call.context.store.findDaemon(daemonId);
  if (!daemon || daemon->userId != account.user.id || daemon->revoked) {
    throw ApiError::notFound(fmt::format("no daemon {} in this account", daemonId));
  }
  return std::move(*daemon);
}

ApiError daemonUnreachableError(const DaemonUnreachable& error) {
  switch (error.kind()) {
    case DaemonUnreachable::Kind::timeout: return ApiError(504, "daemon_timeout", error.what());
    case DaemonUnreachable::Kind::busy: return ApiError(503, "daemon_busy", error.what());
    case DaemonUnreachable::Kind::offline:
    case DaemonUnreachable::Kind::closed: break;
  }
  return ApiError(503, "daemon_offline", error.what());
}

}  // namespace vesket::relay_service
