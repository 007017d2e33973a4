#pragma once

// Approving other devices without a relay: the records of a waiting request and of an
// account's device, how a platform is named, the order requests are shown in, which of them
// still need a notification (and which delivered notifications have been answered
// elsewhere), what a notification says, and what an approve or deny answer means.

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace vesket::relay {

// A request waiting for this device's decision ("/api/devices/pending").
struct DeviceApprovalPendingRequest {
  std::string requestId;
  std::string deviceId;
  std::string fingerprint;
  std::string platform;
  std::string deviceName;
  std::string appVersion;
  double requestedAtMs = 0;
  std::string ip;
  std::string ipLocation;
  std::string priorStatus;  // "first_seen", "previously_denied", "expired_retry"
  std::int64_t requestCount = 0;

  // Throws std::invalid_argument when `requestId` is missing; other fields default.
  static DeviceApprovalPendingRequest fromJSON(const nlohmann::json& json);
};

// A device of the account ("/api/devices").
struct UserDevice {
  std::string deviceId;
  std::string fingerprint;
  std::string platform;
  std::string deviceName;
  std::string appVersion;
  std::string status;
  std::optional<std::string> approvalScope;
  std::optional<double> approvedAtMs;
  std::string lastIp;
  std::int64_t requestCount = 0;
  std::optional<double> createdAtMs;
  std::optional<double> lastSeenAtMs;

  static UserDevice fromJSON(const nlohmann::json& json);
};

namespace DevicePlatform {
// "iPhone/iPad", "Android", "Mac", and the platform's own name for the others.
std::string displayName(std::string_view platform);
}  // namespace DevicePlatform

namespace DevicePriorStatus {
inline constexpr std::string_view firstSeen = "first_seen";
inline constexpr std::string_view previouslyDenied = "previously_denied";
inline constexpr std::string_view expiredRetry = "expired_retry";
// A device denied before asks again: the notification says so.
bool isUrgent(std::string_view priorStatus);
}  // namespace DevicePriorStatus

namespace DeviceApprovalRules {
// Urgent requests first, then the newest first; equal ones by request id.
void sort(std::vector<DeviceApprovalPendingRequest>& pending);
// "<platform> · <device name> · code <fingerprint>"; an empty name is left out.
std::string notificationBody(const DeviceApprovalPendingRequest& request);
// "<app version or platform> · <ip>"; without an address only the first part.
std::string notificationSubtitle(const DeviceApprovalPendingRequest& request);
}  // namespace DeviceApprovalRules

// Which pending requests were already announced. Each request id is announced once, however
// often it is seen; a delivered announcement whose request stopped waiting is reported so
// the notification can be taken down.
class ApprovalNotificationLedger {
 public:
  // The requests of `pending` not announced before (they count as announced from now on).
  std::vector<DeviceApprovalPendingRequest> announce(const std::vector<DeviceApprovalPendingRequest>& pending);
  // The announced request ids that are no longer in `pending` (forgotten from now on).
  std::vector<std::string> resolved(const std::vector<DeviceApprovalPendingRequest>& pending);
  bool announced(const std::string& requestId) const { return m_announced.count(requestId) > 0; }
  void reset() { m_announced.clear(); }

 private:
  std::set<std::string> m_announced;
};

// What an approve or deny answer means for the user.
struct DeviceApprovalActionResult {
  enum class Kind { succeeded, alreadyHandled, failed };
  Kind kind = Kind::failed;
  int status = 0;
  std::string message;  // failed: the relay's message (or "HTTP <status>")

  friend bool operator==(const DeviceApprovalActionResult&, const DeviceApprovalActionResult&) = default;
};

namespace DeviceApprovalActionClassifier {
// 2xx: succeeded; 409 (the request no longer waits: approved or denied elsewhere, or
// expired): alreadyHandled; anything else (404 for a request of another account included):
// failed with the relay's message.
DeviceApprovalActionResult classify(int status, std::string_view body);
}  // namespace DeviceApprovalActionClassifier

}  // namespace vesket::relay
