#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <boost/asio/awaitable.hpp>

#include "relay_service/api/inbox_hub.h"
#include "relay_service/core/account_records.h"
#include "relay_service/core/http_message.h"
#include "relay_service/core/rate_limiter.h"
#include "relay_service/core/router.h"

namespace vesket::relay_service {

class DaemonLinks;
class DaemonUnreachable;
class PasswordService;
class RelayStore;
class ApiError;

struct ApiConfig {
  std::string version;
  int signInPerMinute = 10;
  int requestsPerMinute = 600;
  int pairingClaimsPerMinute = 5;
  std::vector<std::string> googleClientIds;
  std::vector<std::string> appleClientIds;
  bool requireDeviceEnrolment = false;
  // The relay's address as phones reach it, for pairing URLs; empty: from the request's
  // Host header (https when the relay serves TLS).
  std::string publicUrl;
  bool tls = false;
  // How a device recovery code reaches the account holder: a shell command that gets the
  // message on standard input and VESKET_RECOVERY_EMAIL / VESKET_RECOVERY_CODE in its
  // environment; empty: the code goes to the relay's log for the operator.
  std::string mailCommand;
  // The wait between a confirmed recovery code and the device's approval.
  std::int64_t recoveryWaitSeconds = 24 * 3600;
  // How often a quiet inbox stream gets a heartbeat.
  std::int64_t inboxHeartbeatMs = 15000;
  // Served under /downloads/ (release catalog and artifacts); empty: none.
  std::string releasesDir;
};

// What every endpoint family works with.
class ApiContext {
 public:
  using Clock = std::function<std::int64_t()>;  // milliseconds since 1970

  ApiContext(RelayStore& store, DaemonLinks& links, PasswordService& passwords, std::string tokenSecret,
             ApiConfig config, Clock clock, std::function<void(const std::string&)> log);

  RelayStore& store;
  DaemonLinks& links;
  PasswordService& passwords;
  const std::string tokenSecret;
  const ApiConfig config;
  // Who listens to which account's inbox changes.
  InboxHub inboxHub;

  std::int64_t nowMs() const { return m_clock(); }
  std::int64_t nowSeconds() const { return m_clock() / 1000; }
  void log(const std::string& line) const;

  // Takes a token from the bucket of `key` in `rateClass`; throws ApiError 429 (with
  // Retry-After) when it is empty.
  void checkRate(RateClass rateClass, const std::string& key);

 private:
  Clock m_clock;
  std::function<void(const std::string&)> m_log;
  std::mutex m_rateMutex;
  RateLimiter m_rates;
};

// One call of an endpoint.
struct ApiCall {
  const HttpRequest& request;
  const PathParams& params;
  ApiContext& context;
};

// Endpoints are plain coroutine functions (no lambdas: the compiler mishandles captures
// in coroutine lambdas).
using ApiHandler = boost::asio::awaitable<HttpResponse> (*)(ApiCall call);

struct ApiRoute {
  ApiHandler handler;
  RateClass rateClass = RateClass::general;
};
using ApiRouter = Router<ApiRoute>;

// The account behind an "Authorization: Bearer <account token>" header.
struct AuthenticatedAccount {
  UserRecord user;
  std::optional<std::string> deviceId;
  std::int64_t issuedAt = 0;  // seconds since 1970
};

// Who acts on an account's devices: an approved device (account token) or a daemon of
// the account (daemon token; a Mac's own daemon vouches for it).
struct Approver {
  std::int64_t userId = 0;
  std::optional<std::string> deviceId;  // the approving device
  std::optional<std::int64_t> daemonId;  // the approving daemon
};

// Every endpoint that acts for an account starts here: 401 for a missing, invalid or
// expired token (or a deleted account, or a revoked device); 403 device_not_approved for a
// device that is not approved (and, with --require-device-enrolment, for a token bound to
// no device). The call then counts against the account's general rate limit too.
AuthenticatedAccount requireAccount(ApiCall& call);
// The same, and the token must be bound to an approved device whatever the relay's
// enrolment setting: for everything that changes who or what reaches the account
// (approving devices, claiming machines).
AuthenticatedAccount requireApprovedDevice(ApiCall& call);
// The same without the approval gate: for the device's own enrolment, status and recovery.
// A revoked device's tokens are refused here too.
AuthenticatedAccount requireAccountToken(ApiCall& call);
// A daemon token of the "Authorization: Bearer" header: the daemon, revoked or not (the
// caller decides); 401 for a missing or unknown one.
DaemonRecord requireDaemonToken(ApiCall& call);
// An approved device's account token, or the daemon token of a daemon that is not revoked.
Approver requireApprover(ApiCall& call);
// The ownership rule: an account reaches only its own daemons. Another account's daemon,
// a revoked one or an unknown id are all 404 (never 403: ids of others are not confirmed).
DaemonRecord requireOwnedDaemon(ApiCall& call, const AuthenticatedAccount& account, std::int64_t daemonId);
// The daemon a pane request names, owned by the account (as requireOwnedDaemon); without
// an id the account's connected daemon, the most recently seen when there are several
// (503 daemon_offline when none is connected).
DaemonRecord requireTargetDaemon(ApiCall& call, const AuthenticatedAccount& account, std::optional<std::int64_t> daemonId);
// The answer for a daemon that could not be reached (offline 503, timeout 504).
ApiError daemonUnreachableError(const DaemonUnreachable& error);

}  // namespace vesket::relay_service
