#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <boost/asio/awaitable.hpp>

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
  std::vector<std::string> googleClientIds;
  std::vector<std::string> appleClientIds;
  bool requireDeviceEnrolment = false;
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
};

// Every endpoint that acts for an account starts here: 401 for a missing, invalid or
// expired token (or a deleted account); the call then counts against the account's
// general rate limit too.
AuthenticatedAccount requireAccount(ApiCall& call);
// The same without the device gate: for enrolling the device itself.
AuthenticatedAccount requireAccountToken(ApiCall& call);
// The ownership rule: an account reaches only its own daemons. Another account's daemon,
// a revoked one or an unknown id are all 404 (never 403: ids of others are not confirmed).
DaemonRecord requireOwnedDaemon(ApiCall& call, const AuthenticatedAccount& account, std::int64_t daemonId);
// The answer for a daemon that could not be reached (offline 503, timeout 504).
ApiError daemonUnreachableError(const DaemonUnreachable& error);

}  // namespace vesket::relay_service
