// Devices: enrolment, this device's approval state, recovery, and the approval of other
// devices by trusted ones.
//
//   POST /api/devices/enroll             account token (any device state)
//   GET  /api/devices/status             account token (any device state)
//   POST /api/devices/recovery/request   account token of a device that is not approved
//   POST /api/devices/recovery/confirm   {"code"} -> {"readyAt"}
//   POST /api/devices/recovery/complete
//   GET  /api/devices/pending            approved device or daemon token
//   POST /api/devices/approve            {"requestId", "deviceId"?}; approved device or daemon
//   POST /api/devices/deny               {"requestId"}; approved device or daemon
//   GET  /api/devices                    approved device
//   POST /api/devices/{id}/revoke        approved device
#include <fmt/format.h>

#include <algorithm>

#include "relay_service/api/endpoint_families.h"
#include "relay_service/api/recovery_mail.h"
#include "relay_service/core/account_token.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/device_rules.h"
#include "relay_service/core/json_body.h"
#include "relay_service/core/secrets.h"
#include "relay_service/link/daemon_links.h"
#include "relay_service/store/relay_store.h"

namespace vesket::relay_service {
namespace {

namespace net = boost::asio;

constexpr std::int64_t kRecoveryCodeLifetimeMs = 15 * 60 * 1000;
constexpr std::int64_t kRecoveryAttempts = 5;
constexpr std::uint32_t kRecoveryCodeSpace = 100000000;  // eight digits

std::string boundedText(const JsonBody& body, const std::string& key) {
  std::string text = body.optionalString(key).value_or("");
  if (text.size() > DeviceRules::kMaxNameLength) {
    throw ApiError::invalidField(fmt::format("'{}' is longer than {} characters", key, DeviceRules::kMaxNameLength));
  }
  return text;
}

std::string requireDeviceIdField(const JsonBody& body, const std::string& key) {
  const auto id = DeviceRules::normaliseDeviceId(body.requireString(key));
  if (!id) throw ApiError::invalidField(fmt::format("'{}' must be a UUID (8-4-4-4-12 hexadecimal digits)", key));
  return *id;
}

// How this account's pending devices can be approved: by a Mac whose daemon is linked (it
// vouches), by another approved device, or only by recovery.
std::string approverReadiness(ApiCall& call, std::int64_t userId) {
  for (const DaemonRecord& daemon : call.context.store.listDaemons(userId)) {
    if (!daemon.revoked && call.context.links.isConnected(daemon.id)) return "daemon_online";
  }
  for (const DeviceRecord& device : call.context.store.listDevices(userId)) {
    if (device.status == DeviceStatus::approved) return "approver_devices";
  }
  return "recovery_only";
}

// The device of a token that must be bound to one.
DeviceRecord requireEnrolledDevice(ApiCall& call, const AuthenticatedAccount& account) {
  if (!account.deviceId) {
    throw ApiError(409, "device_not_enrolled", "this token is not bound to a device; enrol the device first");
  }
  auto device = call.context.store.findDevice(account.user.id, *account.deviceId);
  if (!device) throw ApiError(409, "device_not_enrolled", "this device is not enrolled; enrol it first");
  return std::move(*device);
}

net::awaitable<HttpResponse> enroll(ApiCall call) {
  const AuthenticatedAccount account = requireAccountToken(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  EnrolmentRequest request;
  request.deviceId = requireDeviceIdField(body, "deviceId");
  request.platform = boundedText(body, "platform");
  request.deviceName = boundedText(body, "deviceName");
  request.appVersion = boundedText(body, "appVersion");
  request.appBuild = boundedText(body, "appBuild");
  request.ip = call.request.remoteAddress;
  if (account.deviceId && *account.deviceId != request.deviceId) {
    throw ApiError(403, "device_mismatch", "this token belongs to another device; sign in again on this device");
  }
  const std::int64_t now = call.context.nowMs();
  const std::string requestId = Secrets::randomToken(16);
  const DeviceRecord device = call.context.store.enrolDevice(
      account.user.id, request.deviceId, [&](const std::optional<DeviceRecord>& existing, bool accountHasDevices) {
        return DeviceRules::enrol(existing, request, accountHasDevices, now, requestId, deviceFingerprint(requestId));
      });
  if (device.requestId == requestId && device.status == DeviceStatus::pending) {
    call.context.log(fmt::format("device enrolment of account {} waits for approval", account.user.id));
  }
  // A token issued in the second of a revocation would count as revoked: start after it.
  const std::int64_t issuedAt = std::max(call.context.nowSeconds(), device.tokensValidAfter);
  const AccountClaims claims = AccountToken::issue(account.user.id, request.deviceId, issuedAt);
  nlohmann::json answer = DeviceJson::approval(device, now, approverReadiness(call, account.user.id));
  answer["token"] = AccountToken::sign(claims, call.context.tokenSecret);
  co_return HttpResponse::json(200, answer);
}

net::awaitable<HttpResponse> status(ApiCall call) {
  const AuthenticatedAccount account = requireAccountToken(call);
  const std::int64_t now = call.context.nowMs();
  if (!account.deviceId) {
    co_return HttpResponse::json(200, {{"status", DeviceStatus::unenrolled},
                                       {"fingerprint", nullptr},
                                       {"deniedUntil", nullptr},
                                       {"approverReadiness", nullptr},
                                       {"expiresAt", nullptr}});
  }
  const auto device = call.context.store.findDevice(account.user.id, *account.deviceId);
  if (!device) {
    co_return HttpResponse::json(200, {{"status", DeviceStatus::unenrolled},
                                       {"fingerprint", nullptr},
                                       {"deniedUntil", nullptr},
                                       {"approverReadiness", nullptr},
                                       {"expiresAt", nullptr}});
  }
  nlohmann::json answer = DeviceJson::approval(*device, now, approverReadiness(call, account.user.id));
  if (device->recoveryReadyAtMs) answer["recoveryReadyAt"] = static_cast<double>(*device->recoveryReadyAtMs) / 1000.0;
  co_return HttpResponse::json(200, answer);
}

net::awaitable<HttpResponse> recoveryRequest(ApiCall call) {
  const AuthenticatedAccount account = requireAccountToken(call);
  call.context.checkRate(RateClass::signIn, fmt::format("recovery|{}", account.user.id));
  const DeviceRecord device = requireEnrolledDevice(call, account);
  if (device.status == DeviceStatus::approved) throw ApiError(409, "already_approved", "this device is approved already");
  const std::int64_t now = call.context.nowMs();
  // Eight digits, never starting with 0, so it reads the same as the number it is.
  const std::int64_t code = kRecoveryCodeSpace / 10 + Secrets::randomBelow(kRecoveryCodeSpace / 10 * 9);
  call.context.store.updateDevice(account.user.id, device.deviceId, [&](DeviceRecord& d) {
    d.recoveryCodeDigest = Secrets::sha256Hex(std::to_string(code));
    d.recoveryCodeExpiresAtMs = now + kRecoveryCodeLifetimeMs;
    d.recoveryAttempts = 0;
    d.recoveryReadyAtMs.reset();
    return true;
  });
  deliverRecoveryCode(call.context, account.user, device, code);
  co_return HttpResponse::json(200, {{"ok", true}});
}

net::awaitable<HttpResponse> recoveryConfirm(ApiCall call) {
  const AuthenticatedAccount account = requireAccountToken(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  const std::int64_t code = body.requireInteger("code");
  const DeviceRecord device = requireEnrolledDevice(call, account);
  const std::int64_t now = call.context.nowMs();
  std::optional<ApiError> failure;
  std::int64_t readyAt = 0;
  call.context.store.updateDevice(account.user.id, device.deviceId, [&](DeviceRecord& d) {
    if (!d.recoveryCodeDigest || !d.recoveryCodeExpiresAtMs || now >= *d.recoveryCodeExpiresAtMs ||
        d.recoveryAttempts >= kRecoveryAttempts) {
      failure = ApiError(409, "recovery_not_requested", "no recovery code is waiting; request a new one");
      return false;
    }
    if (!Secrets::constantTimeEquals(*d.recoveryCodeDigest, Secrets::sha256Hex(std::to_string(code)))) {
      ++d.recoveryAttempts;
      if (d.recoveryAttempts >= kRecoveryAttempts) d.recoveryCodeDigest.reset();
      failure = ApiError(400, "invalid_recovery_code", "the recovery code is not the one sent");
      return true;
    }
    d.recoveryCodeDigest.reset();
    d.recoveryCodeExpiresAtMs.reset();
    d.recoveryReadyAtMs = now + call.context.config.recoveryWaitSeconds * 1000;
    readyAt = *d.recoveryReadyAtMs;
    return true;
  });
  if (failure) throw *failure;
  call.context.log(fmt::format("device recovery of account {} confirmed; ready in {} s", account.user.id,
                               call.context.config.recoveryWaitSeconds));
  co_return HttpResponse::json(200, {{"readyAt", static_cast<double>(readyAt) / 1000.0}});
}

net::awaitable<HttpResponse> recoveryComplete(ApiCall call) {
  const AuthenticatedAccount account = requireAccountToken(call);
  const DeviceRecord device = requireEnrolledDevice(call, account);
  const std::int64_t now = call.context.nowMs();
  std::optional<ApiError> failure;
  call.context.store.updateDevice(account.user.id, device.deviceId, [&](DeviceRecord& d) {
    if (!d.recoveryReadyAtMs) {
      failure = ApiError(409, "recovery_not_confirmed", "confirm the recovery code first");
      return false;
    }
    if (now < *d.recoveryReadyAtMs) {
      failure = ApiError(409, "recovery_waiting", "the recovery waiting period has not ended yet")
                    .with("readyAt", static_cast<double>(*d.recoveryReadyAtMs) / 1000.0);
      return false;
    }
    DeviceRules::approve(d, "recovery", now);
    return true;
  });
  if (failure) throw *failure;
  call.context.log(fmt::format("device of account {} approved by recovery", account.user.id));
  co_return HttpResponse::json(200, {{"ok", true}, {"status", DeviceStatus::approved}});
}

net::awaitable<HttpResponse> pending(ApiCall call) {
  const Approver approver = requireApprover(call);
  const std::int64_t now = call.context.nowMs();
  std::vector<DeviceRecord> waiting;
  for (DeviceRecord& device : call.context.store.listDevices(approver.userId)) {
    if (DeviceRules::isAwaitingDecision(device, now)) waiting.push_back(std::move(device));
  }
  // Newest first.
  std::sort(waiting.begin(), waiting.end(), [](const DeviceRecord& a, const DeviceRecord& b) {
    return a.requestedAtMs.value_or(0) > b.requestedAtMs.value_or(0);
  });
  nlohmann::json list = nlohmann::json::array();
  for (const DeviceRecord& device : waiting) list.push_back(DeviceJson::pendingRequest(device));
  co_return HttpResponse::json(200, {{"pending", std::move(list)}});
}

// Approves or denies the request `requestId` of the approver's account: 404 when the
// account has no such request, 409 already_handled when it is no longer waiting.
HttpResponse decide(ApiCall& call, bool approving) {
  const Approver approver = requireApprover(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  const std::string requestId = body.requireString("requestId");
  std::optional<std::string> expectedDevice;
  if (body.optionalString("deviceId")) expectedDevice = requireDeviceIdField(body, "deviceId");
  const auto found = call.context.store.findDeviceByRequest(approver.userId, requestId);
  if (!found || (expectedDevice && found->deviceId != *expectedDevice)) {
    throw ApiError::notFound("no such device request in this account");
  }
  const std::int64_t now = call.context.nowMs();
  std::optional<std::string> handledAs;
  const auto updated = call.context.store.updateDevice(approver.userId, found->deviceId, [&](DeviceRecord& d) {
    if (d.requestId != requestId || !DeviceRules::isAwaitingDecision(d, now)) {
      handledAs = DeviceRules::effectiveStatus(d, now);
      return false;
    }
    if (approving) DeviceRules::approve(d, approver.daemonId ? "daemon" : "device", now);
    else DeviceRules::deny(d, now);
    return true;
  });
  if (handledAs) {
    throw ApiError(409, "already_handled", fmt::format("this request was handled already ({})", *handledAs))
        .with("status", *handledAs);
  }
  call.context.log(fmt::format("device request of account {} {} by {}", approver.userId,
                               approving ? "approved" : "denied",
                               approver.daemonId ? fmt::format("daemon {}", *approver.daemonId) : "a device"));
  nlohmann::json answer = {{"ok", true}, {"status", updated->status}};
  if (!approving && updated->deniedUntilMs) answer["deniedUntil"] = static_cast<double>(*updated->deniedUntilMs) / 1000.0;
  return HttpResponse::json(200, answer);
}

net::awaitable<HttpResponse> approve(ApiCall call) { co_return decide(call, true); }
net::awaitable<HttpResponse> deny(ApiCall call) { co_return decide(call, false); }

net::awaitable<HttpResponse> devices(ApiCall call) {
  const AuthenticatedAccount account = requireApprovedDevice(call);
  const std::int64_t now = call.context.nowMs();
  nlohmann::json list = nlohmann::json::array();
  for (const DeviceRecord& device : call.context.store.listDevices(account.user.id)) {
    list.push_back(DeviceJson::userDevice(device, now));
  }
  co_return HttpResponse::json(200, {{"devices", std::move(list)}});
}

net::awaitable<HttpResponse> revoke(ApiCall call) {
  const AuthenticatedAccount account = requireApprovedDevice(call);
  const auto deviceId = DeviceRules::normaliseDeviceId(call.params.find("id")->second);
  if (!deviceId) throw ApiError::invalidField("the device id must be a UUID (8-4-4-4-12 hexadecimal digits)");
  const std::int64_t now = call.context.nowMs();
  const auto updated = call.context.store.updateDevice(account.user.id, *deviceId, [&](DeviceRecord& d) {
    DeviceRules::revoke(d, now);
    return true;
  });
  if (!updated) throw ApiError::notFound("no such device in this account");
  call.context.log(fmt::format("a device of account {} was revoked", account.user.id));
  co_return HttpResponse::json(200, {{"ok", true}, {"status", DeviceStatus::revoked}});
}

}  // namespace

void addDeviceRoutes(ApiRouter& router) {
  router.add("POST", "/api/devices/enroll", {enroll, RateClass::general});
  router.add("GET", "/api/devices/status", {status, RateClass::general});
  router.add("POST", "/api/devices/recovery/request", {recoveryRequest, RateClass::general});
  router.add("POST", "/api/devices/recovery/confirm", {recoveryConfirm, RateClass::pairingClaim});
  router.add("POST", "/api/devices/recovery/complete", {recoveryComplete, RateClass::general});
  router.add("GET", "/api/devices/pending", {pending, RateClass::general});
  router.add("POST", "/api/devices/approve", {approve, RateClass::general});
  router.add("POST", "/api/devices/deny", {deny, RateClass::general});
  router.add("GET", "/api/devices", {devices, RateClass::general});
  router.add("POST", "/api/devices/{id}/revoke", {revoke, RateClass::general});
}

}  // namespace vesket::relay_service
