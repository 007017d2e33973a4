#include "relay/core/device_approval_rules.h"

#include <algorithm>
#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "relay/core/relay_error.h"

namespace vesket::relay {
namespace {

std::string text(const nlohmann::json& json, const char* key) {
  const auto it = json.find(key);
  return it != json.end() && it->is_string() ? it->get<std::string>() : std::string();
}

std::optional<double> number(const nlohmann::json& json, const char* key) {
  const auto it = json.find(key);
  if (it == json.end() || !it->is_number()) return std::nullopt;
  return it->get<double>();
}

std::int64_t integer(const nlohmann::json& json, const char* key) {
  const auto it = json.find(key);
  return it != json.end() && it->is_number_integer() ? it->get<std::int64_t>() : 0;
}

}  // namespace

DeviceApprovalPendingRequest DeviceApprovalPendingRequest::fromJSON(const nlohmann::json& json) {
  if (!json.is_object() || text(json, "requestId").empty()) {
    throw std::invalid_argument("a pending request without a requestId");
  }
  DeviceApprovalPendingRequest request;
  request.requestId = text(json, "requestId");
  request.deviceId = text(json, "deviceId");
  request.fingerprint = text(json, "fingerprint");
  request.platform = text(json, "platform");
  request.deviceName = text(json, "deviceName");
  request.appVersion = text(json, "appVersion");
  request.requestedAtMs = number(json, "requestedAtMs").value_or(0);
  request.ip = text(json, "ip");
  request.ipLocation = text(json, "ipLocation");
  request.priorStatus = text(json, "priorStatus");
  request.requestCount = integer(json, "requestCount");
  return request;
}

UserDevice UserDevice::fromJSON(const nlohmann::json& json) {
  if (!json.is_object() || text(json, "deviceId").empty()) throw std::invalid_argument("a device without a deviceId");
  UserDevice device;
  device.deviceId = text(json, "deviceId");
  device.fingerprint = text(json, "fingerprint");
  device.platform = text(json, "platform");
  device.deviceName = text(json, "deviceName");
  device.appVersion = text(json, "appVersion");
  device.status = text(json, "status");
  if (const auto it = json.find("approvalScope"); it != json.end() && it->is_string()) device.approvalScope = it->get<std::string>();
  device.approvedAtMs = number(json, "approvedAtMs");
  device.lastIp = text(json, "lastIp");
  device.requestCount = integer(json, "requestCount");
  device.createdAtMs = number(json, "createdAtMs");
  device.lastSeenAtMs = number(json, "lastSeenAtMs");
  return device;
}

std::string DevicePlatform::displayName(std::string_view platform) {
  if (platform == "ios") return "iPhone/iPad";
  if (platform == "android") return "Android";
  if (platform == "macos") return "Mac";
  if (platform == "windows") return "Windows";
  if (platform == "web") return "Web";
  if (platform == "linux") return "Linux";
  return std::string(platform);
}

bool DevicePriorStatus::isUrgent(std::string_view priorStatus) { return priorStatus == previouslyDenied; }

void DeviceApprovalRules::sort(std::vector<DeviceApprovalPendingRequest>& pending) {
  std::stable_sort(pending.begin(), pending.end(), [](const auto& a, const auto& b) {
    const bool urgentA = DevicePriorStatus::isUrgent(a.priorStatus);
    const bool urgentB = DevicePriorStatus::isUrgent(b.priorStatus);
    if (urgentA != urgentB) return urgentA;
    if (a.requestedAtMs != b.requestedAtMs) return a.requestedAtMs > b.requestedAtMs;
    return a.requestId < b.requestId;
  });
}

std::string DeviceApprovalRules::notificationBody(const DeviceApprovalPendingRequest& request) {
  std::string body = DevicePlatform::displayName(request.platform);
  if (!request.deviceName.empty()) body += (body.empty() ? "" : " · ") + request.deviceName;
  return body + " · code " + request.fingerprint;
}

std::string DeviceApprovalRules::notificationSubtitle(const DeviceApprovalPendingRequest& request) {
  std::string first = request.appVersion.empty() ? DevicePlatform::displayName(request.platform)
                                                 : "Vesket " + request.appVersion;
  if (request.ip.empty()) return first;
  std::string where = request.ip;
  if (!request.ipLocation.empty()) where = request.ipLocation + " " + request.ip;
  return first + " · " + where;
}

std::vector<DeviceApprovalPendingRequest> ApprovalNotificationLedger::announce(
    const std::vector<DeviceApprovalPendingRequest>& pending) {
  std::vector<DeviceApprovalPendingRequest> fresh;
  for (const auto& request : pending) {
    if (m_announced.insert(request.requestId).second) fresh.push_back(request);
  }
  return fresh;
}

std::vector<std::string> ApprovalNotificationLedger::resolved(const std::vector<DeviceApprovalPendingRequest>& pending) {
  std::vector<std::string> gone;
  for (auto it = m_announced.begin(); it != m_announced.end();) {
    const bool waiting = std::any_of(pending.begin(), pending.end(), [&](const auto& r) { return r.requestId == *it; });
    if (waiting) {
      ++it;
    } else {
      gone.push_back(*it);
      it = m_announced.erase(it);
    }
  }
  return gone;
}

DeviceApprovalActionResult DeviceApprovalActionClassifier::classify(int status, std::string_view body) {
  if (status >= 200 && status < 300) return {DeviceApprovalActionResult::Kind::succeeded, status, {}};
  if (status == 409) return {DeviceApprovalActionResult::Kind::alreadyHandled, status, {}};
  const auto error = RelayResponse::errorFor(status, body);
  std::string message = error ? error->message : std::string();
  if (message.empty()) message = fmt::format("HTTP {}", status);
  return {DeviceApprovalActionResult::Kind::failed, status, message};
}

}  // namespace vesket::relay
