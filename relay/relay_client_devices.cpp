// The device-approval and pairing calls of RelayClient.
#include "relay/relay_client.h"

#include "relay/core/enrollment_backoff.h"

namespace vesket::relay {
namespace {

constexpr int kQRInitTimeoutMs = 15000;
constexpr int kQRStatusTimeoutMs = 5000;

std::optional<QString> text(const nlohmann::json& json, const char* key) {
  const auto it = json.find(key);
  if (it == json.end() || !it->is_string()) return std::nullopt;
  return QString::fromStdString(it->get<std::string>());
}

template <class Record>
std::vector<Record> records(const nlohmann::json& list, const char* what) {
  if (!list.is_array()) throw RelayError(200, std::string("the relay's ") + what + " are not a list");
  std::vector<Record> out;
  for (const auto& entry : list) {
    try {
      out.push_back(Record::fromJSON(entry));
    } catch (const std::invalid_argument& error) {
      throw RelayError(200, std::string("the relay's ") + what + ": " + error.what());
    }
  }
  return out;
}

}  // namespace

QCoro::Task<RelayDeviceApproval> RelayClient::currentDeviceApproval() {
  const nlohmann::json answer = co_await call("/api/devices/status", "GET");
  co_return RelayDeviceApproval::fromJSON(answer);
}

QCoro::Task<void> RelayClient::requestDeviceRecovery() { co_await call("/api/devices/recovery/request", "POST"); }

QCoro::Task<double> RelayClient::confirmDeviceRecovery(std::int64_t code) {
  const nlohmann::json body{{"code", code}};
  const nlohmann::json answer = co_await call("/api/devices/recovery/confirm", "POST", body);
  if (!answer.is_object() || !answer.contains("readyAt") || !answer["readyAt"].is_number()) {
    throw RelayError(200, "the relay's recovery answer has no readyAt");
  }
  co_return answer["readyAt"].get<double>();
}

QCoro::Task<void> RelayClient::completeDeviceRecovery() { co_await call("/api/devices/recovery/complete", "POST"); }

QCoro::Task<std::vector<DeviceApprovalPendingRequest>> RelayClient::fetchPendingDeviceApprovals() {
  const nlohmann::json answer = co_await call("/api/devices/pending", "GET");
  co_return records<DeviceApprovalPendingRequest>(answer.is_object() ? answer.value("pending", nlohmann::json()) : answer,
                                                  "pending requests");
}

QCoro::Task<DeviceApprovalActionResult> RelayClient::approveDeviceRequest(QString requestId) {
  const nlohmann::json body{{"requestId", requestId.toStdString()}};
  const Response response = co_await performRequest(authed("/api/devices/approve", "POST", body));
  co_return DeviceApprovalActionClassifier::classify(response.status, response.body.toStdString());
}

QCoro::Task<DeviceApprovalActionResult> RelayClient::denyDeviceRequest(QString requestId) {
  const nlohmann::json body{{"requestId", requestId.toStdString()}};
  const Response response = co_await performRequest(authed("/api/devices/deny", "POST", body));
  co_return DeviceApprovalActionClassifier::classify(response.status, response.body.toStdString());
}

QCoro::Task<std::vector<UserDevice>> RelayClient::fetchUserDevices() {
  const nlohmann::json answer = co_await call("/api/devices", "GET");
  co_return records<UserDevice>(answer.is_object() ? answer.value("devices", nlohmann::json()) : answer, "devices");
}

QCoro::Task<void> RelayClient::revokeDevice(QString deviceId) {
  const QString path = "/api/devices/" + QString::fromUtf8(QUrl::toPercentEncoding(deviceId)) + "/revoke";
  co_await call(path, "POST");
}

QCoro::Task<RelayPairInit> RelayClient::pairInit(QString machineUUID, QString machineName) {
  nlohmann::json body{{"machine_uuid", machineUUID.toStdString()}};
  if (!machineName.isEmpty()) body["machine_name"] = machineName.left(200).toStdString();
  const Response response = co_await performRequest(authed("/api/daemons/pair-init", "POST", body));
  auto candidates = replacementCandidates(response.status, response.body.toStdString());
  if (!candidates.empty()) throw RelayMacReplacementRequired(std::move(candidates));
  assertOK(response);
  const auto answer = nlohmann::json::parse(response.body.toStdString(), nullptr, false);
  const auto token = answer.is_object() ? text(answer, "token") : std::nullopt;
  if (!token) throw RelayError(response.status, "the relay's pairing answer has no token");
  co_return RelayPairInit{*token, text(answer, "expires_at").value_or(QString())};
}

QCoro::Task<QString> RelayClient::replaceMac(std::int64_t oldDaemonID, QString machineUUID,
                                             std::optional<QString> machineName, std::optional<QString> password) {
  nlohmann::json body{{"old_daemon_id", oldDaemonID}, {"machine_uuid", machineUUID.toStdString()}};
  if (machineName) body["machine_name"] = machineName->left(200).toStdString();
  if (password) body["password"] = password->toStdString();
  const nlohmann::json answer = co_await call("/api/daemons/replace", "POST", body);
  const auto token = answer.is_object() ? text(answer, "daemon_token") : std::nullopt;
  if (!token || token->isEmpty()) throw RelayError(200, "the relay's replacement answer has no daemon token");
  co_return *token;
}

QCoro::Task<RelayPairCode> RelayClient::pairCodeInit() {
  const nlohmann::json answer = co_await call("/api/daemons/pair-code-init", "POST");
  const auto code = answer.is_object() ? text(answer, "short_code") : std::nullopt;
  if (!code) throw RelayError(200, "the relay's pairing code answer has no code");
  co_return RelayPairCode{*code, text(answer, "expires_at").value_or(QString())};
}

QCoro::Task<RelayDaemonIdentity> RelayClient::daemonIdentity() {
  const nlohmann::json answer = co_await call("/api/daemons/whoami", "GET");
  if (!answer.is_object() || !answer.contains("user_id") || !answer["user_id"].is_number_integer()) {
    throw RelayError(200, "the relay's whoami answer has no user id");
  }
  RelayDaemonIdentity identity;
  identity.userID = answer["user_id"].get<std::int64_t>();
  if (answer.contains("daemon_id") && answer["daemon_id"].is_number_integer()) {
    identity.daemonID = answer["daemon_id"].get<std::int64_t>();
  }
  identity.revoked = answer.value("revoked", false) == true;
  co_return identity;
}

QCoro::Task<std::vector<RelayDaemon>> RelayClient::fetchDaemons() {
  const nlohmann::json answer = co_await call("/api/daemons", "GET");
  co_return records<RelayDaemon>(answer, "machines");
}

QCoro::Task<QRTokenSnapshot> RelayClient::pairQRInit(QString machineUUID, QString machineName, bool agentCLIFound,
                                                     bool tmuxInstalled) {
  if (!m_baseURL.isValid() || m_baseURL.scheme().isEmpty()) throw RelayError(-1, "Invalid relay URL");
  nlohmann::json body{{"machine_uuid", machineUUID.toStdString()},
                      {"agent_cli_found", agentCLIFound},
                      {"tmux_installed", tmuxInstalled}};
  if (!machineName.isEmpty()) body["machine_name"] = machineName.left(200).toStdString();
  Request request = authed("/api/daemons/pair-qr-init", "POST", body);
  request.request.setRawHeader("Authorization", QByteArray());
  request.request.setTransferTimeout(kQRInitTimeoutMs);
  const Response response = co_await performRequest(std::move(request), true);
  if (response.status == 429) {
    const auto wait = PairQRError::retryAfterSeconds(response.body.toStdString()).value_or(60);
    throw RelayError(429, EnrollmentRetryGate::rateLimitedMessage(static_cast<int>(wait)));
  }
  assertOK(response);
  try {
    co_return QRTokenSnapshot::fromJSON(nlohmann::json::parse(response.body.toStdString(), nullptr, false));
  } catch (const std::invalid_argument& error) {
    throw RelayError(response.status, std::string("the relay's QR answer: ") + error.what());
  }
}

QCoro::Task<RelayPairQRStatus> RelayClient::pairQRStatus(QString token) {
  if (!m_baseURL.isValid() || m_baseURL.scheme().isEmpty()) throw RelayError(-1, "Invalid relay URL");
  Request request =
      authed("/api/daemons/pair-qr-status?token=" + QString::fromLatin1(QUrl::toPercentEncoding(token)), "GET");
  request.request.setRawHeader("Authorization", QByteArray());
  request.request.setTransferTimeout(kQRStatusTimeoutMs);
  const Response response = co_await performRequest(std::move(request), true);
  assertOK(response);
  const auto answer = nlohmann::json::parse(response.body.toStdString(), nullptr, false);
  if (!answer.is_object() || !answer.contains("claimed") || !answer["claimed"].is_boolean()) {
    throw RelayError(response.status, "the relay's QR status has no claimed flag");
  }
  co_return RelayPairQRStatus{answer["claimed"].get<bool>(), text(answer, "daemon_token")};
}

}  // namespace vesket::relay
