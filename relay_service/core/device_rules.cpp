#include "relay_service/core/device_rules.h"

#include <cctype>

#include "relay_service/core/pairing_rules.h"
#include "relay_service/core/secrets.h"

namespace vesket::relay_service {
namespace {

nlohmann::json optionalSeconds(const std::optional<std::int64_t>& ms) {
  if (!ms) return nullptr;
  return static_cast<double>(*ms) / 1000.0;
}

nlohmann::json optionalNumber(const std::optional<std::int64_t>& value) {
  if (!value) return nullptr;
  return *value;
}

nlohmann::json optionalText(const std::optional<std::string>& value) {
  if (!value) return nullptr;
  return *value;
}

void startRequest(DeviceRecord& device, std::int64_t nowMs, const std::string& requestId,
                  const std::string& fingerprint, const char* priorStatus) {
  device.status = DeviceStatus::pending;
  device.requestId = requestId;
  device.fingerprint = fingerprint;
  device.priorStatus = priorStatus;
  device.requestCount = 1;
  device.requestedAtMs = nowMs;
  device.expiresAtMs = nowMs + DeviceRules::kRequestLifetimeMs;
  device.deniedUntilMs.reset();
  device.recoveryCodeDigest.reset();
  device.recoveryCodeExpiresAtMs.reset();
  device.recoveryAttempts = 0;
  device.recoveryReadyAtMs.reset();
}

}  // namespace

std::optional<std::string> DeviceRules::normaliseDeviceId(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  std::string id(text);
  for (std::size_t i = 0; i < id.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    if (dash) {
      if (id[i] != '-') return std::nullopt;
      continue;
    }
    if (!std::isxdigit(static_cast<unsigned char>(id[i]))) return std::nullopt;
    id[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(id[i])));
  }
  return id;
}

DeviceRecord DeviceRules::enrol(const std::optional<DeviceRecord>& existing, const EnrolmentRequest& request,
                                bool accountHasDevices, std::int64_t nowMs, const std::string& newRequestId,
                                const std::string& newFingerprint) {
  DeviceRecord device = existing.value_or(DeviceRecord{});
  device.deviceId = request.deviceId;
  if (!existing) device.createdAtMs = nowMs;
  if (!request.platform.empty()) device.platform = request.platform;
  if (!request.deviceName.empty()) device.deviceName = request.deviceName;
  if (!request.appVersion.empty()) device.appVersion = request.appVersion;
  if (!request.appBuild.empty()) device.appBuild = request.appBuild;
  device.lastIp = request.ip;
  device.lastSeenAtMs = nowMs;

  if (!existing) {
    if (!accountHasDevices) {
      // The account's first device is trusted as the one that made it.
      startRequest(device, nowMs, newRequestId, newFingerprint, "first_seen");
      approve(device, "bootstrap", nowMs);
    } else {
      startRequest(device, nowMs, newRequestId, newFingerprint, "first_seen");
    }
    return device;
  }
  if (device.status == DeviceStatus::approved) return device;
  if (device.status == DeviceStatus::denied) {
    if (device.deniedUntilMs && nowMs < *device.deniedUntilMs) return device;  // still held
    startRequest(device, nowMs, newRequestId, newFingerprint, "previously_denied");
    return device;
  }
  if (device.status == DeviceStatus::pending) {
    if (isAwaitingDecision(device, nowMs)) {
      ++device.requestCount;  // the same request, asked again
      return device;
    }
    startRequest(device, nowMs, newRequestId, newFingerprint, "expired_retry");
    return device;
  }
  // Revoked (or unknown): a fresh request, as for a device never seen.
  startRequest(device, nowMs, newRequestId, newFingerprint, "first_seen");
  return device;
}

bool DeviceRules::isAwaitingDecision(const DeviceRecord& device, std::int64_t nowMs) {
  return device.status == DeviceStatus::pending && device.expiresAtMs && nowMs < *device.expiresAtMs;
}

std::string DeviceRules::effectiveStatus(const DeviceRecord& device, std::int64_t nowMs) {
  if (device.status == DeviceStatus::pending && !isAwaitingDecision(device, nowMs)) return "expired";
  return device.status;
}

void DeviceRules::approve(DeviceRecord& device, const std::string& scope, std::int64_t nowMs) {
  device.status = DeviceStatus::approved;
  device.approvalScope = scope;
  device.approvedAtMs = nowMs;
  device.expiresAtMs.reset();
  device.deniedUntilMs.reset();
  device.recoveryCodeDigest.reset();
  device.recoveryCodeExpiresAtMs.reset();
  device.recoveryReadyAtMs.reset();
  device.recoveryAttempts = 0;
}

void DeviceRules::deny(DeviceRecord& device, std::int64_t nowMs) {
  device.status = DeviceStatus::denied;
  device.deniedUntilMs = nowMs + kDenialHoldMs;
  device.expiresAtMs.reset();
}

void DeviceRules::revoke(DeviceRecord& device, std::int64_t nowMs) {
  device.status = DeviceStatus::revoked;
  device.approvalScope.reset();
  device.expiresAtMs.reset();
  // Tokens carry whole seconds: everything issued up to this second ends.
  device.tokensValidAfter = nowMs / 1000 + 1;
}

bool DeviceRules::tokenStillValid(const DeviceRecord& device, std::int64_t issuedAtSeconds) {
  return issuedAtSeconds >= device.tokensValidAfter;
}

std::string deviceFingerprint(std::string_view requestId) {
  const std::string digest = Secrets::sha256Hex(requestId);
  std::string code;
  for (std::size_t i = 0; i < 6; ++i) {
    const auto byte = static_cast<unsigned>(std::stoul(digest.substr(i * 2, 2), nullptr, 16));
    code += PairingCode::kAlphabet[byte % PairingCode::kAlphabet.size()];
    if (i == 2) code += '-';
  }
  return code;
}

nlohmann::json DeviceJson::approval(const DeviceRecord& device, std::int64_t nowMs, const std::string& approverReadiness) {
  const bool waiting = DeviceRules::isAwaitingDecision(device, nowMs);
  const bool held = device.status == DeviceStatus::denied;
  return {{"status", DeviceRules::effectiveStatus(device, nowMs)},
          {"requestId", optionalText(device.requestId)},
          {"fingerprint", device.fingerprint.empty() ? nlohmann::json(nullptr) : nlohmann::json(device.fingerprint)},
          {"deniedUntil", held ? optionalSeconds(device.deniedUntilMs) : nlohmann::json(nullptr)},
          {"approverReadiness", waiting ? nlohmann::json(approverReadiness) : nlohmann::json(nullptr)},
          {"pairingMode", device.approvalScope == std::optional<std::string>("bootstrap") ? nlohmann::json("bootstrap")
                                                                                         : nlohmann::json(nullptr)},
          {"expiresAt", waiting ? optionalSeconds(device.expiresAtMs) : nlohmann::json(nullptr)}};
}

nlohmann::json DeviceJson::pendingRequest(const DeviceRecord& device) {
  return {{"requestId", optionalText(device.requestId)},
          {"deviceId", device.deviceId},
          {"fingerprint", device.fingerprint},
          {"platform", device.platform},
          {"deviceName", device.deviceName},
          {"appVersion", device.appVersion},
          {"requestedAtMs", optionalNumber(device.requestedAtMs)},
          {"ip", device.lastIp.value_or("")},
          {"ipLocation", ""},
          {"priorStatus", device.priorStatus},
          {"requestCount", device.requestCount}};
}

nlohmann::json DeviceJson::userDevice(const DeviceRecord& device, std::int64_t nowMs) {
  return {{"deviceId", device.deviceId},
          {"fingerprint", device.fingerprint},
          {"platform", device.platform},
          {"deviceName", device.deviceName},
          {"appVersion", device.appVersion},
          {"status", DeviceRules::effectiveStatus(device, nowMs)},
          {"approvalScope", optionalText(device.approvalScope)},
          {"approvedAtMs", optionalNumber(device.approvedAtMs)},
          {"lastIp", device.lastIp.value_or("")},
          {"requestCount", device.requestCount},
          {"createdAtMs", device.createdAtMs},
          {"lastSeenAtMs", optionalNumber(device.lastSeenAtMs)}};
}

}  // namespace vesket::relay_service
