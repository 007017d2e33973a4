// Devices: POST /api/devices/enroll binds the caller's account token to a device id.
//
// The answer carries a fresh account token bound to that device ("device_id" claim) and the
// device's approval state. Approval of a new device by one the user already trusts is not
// kept yet, so every enrolled device is answered "approved"; with
// --require-device-enrolment, account calls with a token that is not bound to a device
// answer 403 device_not_approved until the device enrolled.
#include <fmt/format.h>

#include "relay_service/api/endpoint_families.h"
#include "relay_service/core/account_token.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/json_body.h"

namespace vesket::relay_service {
namespace {

namespace net = boost::asio;

constexpr std::size_t kMaxDeviceIdLength = 128;

net::awaitable<HttpResponse> enroll(ApiCall call) {
  const AuthenticatedAccount account = requireAccountToken(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  const std::string deviceId = body.requireString("deviceId");
  if (deviceId.empty() || deviceId.size() > kMaxDeviceIdLength) {
    throw ApiError::invalidField(fmt::format("'deviceId' must have 1 to {} characters", kMaxDeviceIdLength));
  }
  body.optionalString("platform");
  body.optionalString("deviceName");
  body.optionalString("appVersion");
  body.optionalString("appBuild");
  const AccountClaims claims = AccountToken::issue(account.user.id, deviceId, call.context.nowSeconds());
  co_return HttpResponse::json(200, {{"status", "approved"},
                                     {"requestId", nullptr},
                                     {"fingerprint", nullptr},
                                     {"deniedUntil", nullptr},
                                     {"approverReadiness", nullptr},
                                     {"pairingMode", nullptr},
                                     {"expiresAt", nullptr},
                                     {"token", AccountToken::sign(claims, call.context.tokenSecret)}});
}

}  // namespace

void addDeviceRoutes(ApiRouter& router) { router.add("POST", "/api/devices/enroll", {enroll, RateClass::general}); }

}  // namespace vesket::relay_service
