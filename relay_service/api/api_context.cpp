#include "relay_service/api/api_context.h"

#include <fmt/format.h>

#include "relay_service/core/account_token.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/device_rules.h"
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
    if (rateClass == RateClass::pairingClaim) limit.capacity = config.pairingClaimsPerMinute;
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
  if (claims.deviceId) {
    const auto device = call.context.store.findDevice(user->id, *claims.deviceId);
    if (device && !DeviceRules::tokenStillValid(*device, claims.issuedAt)) {
      throw ApiError(401, "unauthorized", "unauthorized: this device was signed out of the account");
    }
  }
  return AuthenticatedAccount{std::move(*user), claims.deviceId, claims.issuedAt};
}

namespace {

AuthenticatedAccount requireAccountOnDevice(ApiCall& call, bool deviceRequired) {
  AuthenticatedAccount account = requireAccountToken(call);
  if (!account.deviceId) {
    // A relay that requires enrolment refuses tokens not bound to a device.
    if (deviceRequired || call.context.config.requireDeviceEnrolment) {
      throw ApiError(403, "device_not_approved", "device_not_approved: this device is not enrolled with the account")
          .with("status", DeviceStatus::unenrolled);
    }
    return account;
  }
  const auto device = call.context.store.findDevice(account.user.id, *account.deviceId);
  const std::string status =
      device ? DeviceRules::effectiveStatus(*device, call.context.nowMs()) : std::string(DeviceStatus::unenrolled);
  if (status != DeviceStatus::approved) {
    throw ApiError(403, "device_not_approved",
                   fmt::format("device_not_approved: this device is {} on the account", status))
        .with("status", status);
  }
  return account;
}

}  // namespace

AuthenticatedAccount requireAccount(ApiCall& call) { return requireAccountOnDevice(call, false); }

AuthenticatedAccount requireApprovedDevice(ApiCall& call) { return requireAccountOnDevice(call, true); }

DaemonRecord requireDaemonToken(ApiCall& call) {
  const auto token = call.request.bearerToken();
  if (!token) throw ApiError::notAuthenticated();
  auto daemon = call.context.store.findDaemonByToken(*token);
  if (!daemon) throw ApiError(401, "unauthorized", "unauthorized: unknown daemon token");
  call.context.checkRate(RateClass::general, fmt::format("user|{}", daemon->userId));
  return std::move(*daemon);
}

Approver requireApprover(ApiCall& call) {
  const auto token = call.request.bearerToken();
  if (!token) throw ApiError::notAuthenticated();
  // Account tokens are JWTs (three dot-separated parts); daemon tokens have no dot.
  if (token->find('.') == std::string::npos) {
    const DaemonRecord daemon = requireDaemonToken(call);
    if (daemon.revoked) throw ApiError(401, "unauthorized", "unauthorized: this daemon's pairing was revoked");
    return Approver{daemon.userId, std::nullopt, daemon.id};
  }
  const AuthenticatedAccount account = requireApprovedDevice(call);
  return Approver{account.user.id, account.deviceId, std::nullopt};
}

DaemonRecord requireOwnedDaemon(ApiCall& call, const AuthenticatedAccount& account, std::int64_t daemonId) {
  auto daemon = call.context.store.findDaemon(daemonId);
  if (!daemon || daemon->userId != account.user.id || daemon->revoked) {
    throw ApiError::notFound(fmt::format("no daemon {} in this account", daemonId));
  }
  return std::move(*daemon);
}

DaemonRecord requireTargetDaemon(ApiCall& call, const AuthenticatedAccount& account, std::optional<std::int64_t> daemonId) {
  if (daemonId) return requireOwnedDaemon(call, account, *daemonId);
  std::optional<DaemonRecord> best;
  for (DaemonRecord& daemon : call.context.store.listDaemons(account.user.id)) {
    if (daemon.revoked || !call.context.links.isConnected(daemon.id)) continue;
    if (!best || daemon.lastSeenAtMs.value_or(0) > best->lastSeenAtMs.value_or(0)) best = std::move(daemon);
  }
  if (!best) throw ApiError(503, "daemon_offline", "none of this account's daemons is connected to the relay");
  return std::move(*best);
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
