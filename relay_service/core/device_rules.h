#pragma once

// Devices of an account and their approval: the record the relay keeps per device, the
// JSON the application reads, and the pure rules that move a device between "pending",
// "approved", "denied" and "revoked".
//
// A device enrols with a stable device id (a UUID). The first device an account ever had is
// approved at once ("bootstrap"); every later one waits as a pending request until an
// approved device, or a daemon of the account (self-vouch), approves it, or it is denied.
// A pending request expires after `kRequestLifetimeMs`; a denial holds for
// `kDenialHoldMs` (`deniedUntil`), after which the device may ask again. Revoking a device
// ends its tokens at once: tokens issued before `tokensValidAfter` no longer count.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace vesket::relay_service {

namespace DeviceStatus {
inline constexpr const char* approved = "approved";
inline constexpr const char* pending = "pending";
inline constexpr const char* denied = "denied";
inline constexpr const char* revoked = "revoked";
inline constexpr const char* unenrolled = "unenrolled";
}  // namespace DeviceStatus

struct DeviceRecord {
  std::int64_t userId = 0;
  std::string deviceId;  // upper-case UUID
  std::string platform;
  std::string deviceName;
  std::string appVersion;
  std::string appBuild;
  std::string status = DeviceStatus::pending;
  std::optional<std::string> requestId;  // the current (or last) approval request
  std::string fingerprint;               // compared by the user on the approving device
  std::string priorStatus = "first_seen";  // first_seen, previously_denied, expired_retry
  std::int64_t requestCount = 0;
  std::optional<std::int64_t> requestedAtMs;
  std::optional<std::int64_t> expiresAtMs;    // of a pending request
  std::optional<std::int64_t> deniedUntilMs;  // of a denial
  std::optional<std::int64_t> approvedAtMs;
  std::optional<std::string> approvalScope;   // bootstrap, device, daemon, recovery
  std::optional<std::string> lastIp;
  std::int64_t createdAtMs = 0;
  std::optional<std::int64_t> lastSeenAtMs;
  std::int64_t tokensValidAfter = 0;  // seconds since 1970: older tokens of this device are void
  // Recovery of a device that no approved device can approve.
  std::optional<std::string> recoveryCodeDigest;
  std::optional<std::int64_t> recoveryCodeExpiresAtMs;
  std::int64_t recoveryAttempts = 0;
  std::optional<std::int64_t> recoveryReadyAtMs;

  friend bool operator==(const DeviceRecord&, const DeviceRecord&) = default;
};

// What a device tells about itself when it enrols.
struct EnrolmentRequest {
  std::string deviceId;  // normalised upper-case UUID
  std::string platform;
  std::string deviceName;
  std::string appVersion;
  std::string appBuild;
  std::string ip;
};

namespace DeviceRules {
inline constexpr std::int64_t kRequestLifetimeMs = 10 * 60 * 1000;
inline constexpr std::int64_t kDenialHoldMs = 60 * 60 * 1000;
inline constexpr std::size_t kMaxNameLength = 200;

// "3f2504e0-4f89-11d3-9a0c-0305e82c3301" in either case -> upper case; nothing when `text`
// is not a UUID in its 8-4-4-4-12 hexadecimal form.
std::optional<std::string> normaliseDeviceId(std::string_view text);

// A device that enrols (again). `existing` is what the relay knows of this device id in this
// account; `accountHasDevices` whether the account has enrolled any device before (only its
// very first device is approved without asking: an account whose devices were all revoked
// needs a daemon's vouch or recovery). New
// request ids and fingerprints come from `newRequestId` and `newFingerprint`, so the rule
// stays pure.
DeviceRecord enrol(const std::optional<DeviceRecord>& existing, const EnrolmentRequest& request,
                   bool accountHasDevices, std::int64_t nowMs, const std::string& newRequestId,
                   const std::string& newFingerprint);

// The request is waiting for a decision (pending and not expired).
bool isAwaitingDecision(const DeviceRecord& device, std::int64_t nowMs);
// The device's status as seen now: a pending request past its expiry reads "expired", a
// denial past its hold stays "denied" (the next enrolment asks again).
std::string effectiveStatus(const DeviceRecord& device, std::int64_t nowMs);

void approve(DeviceRecord& device, const std::string& scope, std::int64_t nowMs);
void deny(DeviceRecord& device, std::int64_t nowMs);
void revoke(DeviceRecord& device, std::int64_t nowMs);

// A token bound to this device, issued at `issuedAtSeconds`, may act for the account.
bool tokenStillValid(const DeviceRecord& device, std::int64_t issuedAtSeconds);
}  // namespace DeviceRules

// The short code a person compares between the device and the approving one: six
// characters of the pairing alphabet, as "ABC-DEF", derived from the request id.
std::string deviceFingerprint(std::string_view requestId);

namespace DeviceJson {
// The approval state of the enrolment answer and of GET /api/devices/status: "status",
// "requestId", "fingerprint", "deniedUntil", "approverReadiness", "pairingMode",
// "expiresAt" (times in seconds since 1970).
nlohmann::json approval(const DeviceRecord& device, std::int64_t nowMs, const std::string& approverReadiness);
// One entry of GET /api/devices/pending.
nlohmann::json pendingRequest(const DeviceRecord& device);
// One entry of GET /api/devices.
nlohmann::json userDevice(const DeviceRecord& device, std::int64_t nowMs);
}  // namespace DeviceJson

}  // namespace vesket::relay_service
