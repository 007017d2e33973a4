#include "relay/device_approval_store.h"

#include <algorithm>
#include <utility>

#include <QPointer>

#include "relay/core/relay_error_explainer.h"
#include "relay/relay_credentials.h"
#include "relay/relay_error_presentation.h"

namespace vesket::relay {

QString relayFailureText(const std::exception& error, bool thisMachineIsRegistered) {
  if (const auto* relayError = dynamic_cast<const RelayError*>(&error)) {
    if (const auto explanation = RelayErrorExplainer::explain(relayError->message, thisMachineIsRegistered)) {
      return RelayErrorPresentation::resolve(*explanation).message;
    }
    return QString::fromStdString(relayError->message);
  }
  if (dynamic_cast<const RelayTransportError*>(&error)) {
    return localizedText("macos.devices_window.relay_unreachable", "The relay could not be reached. Check the connection.");
  }
  return QString::fromUtf8(error.what());
}

DeviceApprovalStore::DeviceApprovalStore(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_dependencies(std::move(dependencies)) {
  if (!m_dependencies.localDaemonToken) m_dependencies.localDaemonToken = [] { return DaemonTokenStore::read(); };
  m_timer.setInterval(m_dependencies.pollIntervalMs);
  connect(&m_timer, &QTimer::timeout, this, [this] { refreshPending(); });
}

void DeviceApprovalStore::start() {
  if (m_timer.isActive()) return;
  m_timer.start();
  refreshPending();
}

void DeviceApprovalStore::stop() { m_timer.stop(); }

QString DeviceApprovalStore::thisDeviceID() const { return m_dependencies.accountClient().deviceID(); }

RelayClient DeviceApprovalStore::approvingClient() const {
  if (const auto token = m_dependencies.localDaemonToken(); token && !token->isEmpty()) {
    return RelayClient(m_dependencies.baseURL(), RelayClient::Credential::fixed(*token));
  }
  return m_dependencies.accountClient();
}

QCoro::Task<void> DeviceApprovalStore::refreshPending() {
  if (m_refreshingPending) co_return;
  QPointer<DeviceApprovalStore> self(this);
  m_refreshingPending = true;
  if (m_pendingState != LoadState::loaded) m_pendingState = LoadState::loading;
  std::optional<std::vector<DeviceApprovalPendingRequest>> fetched;
  try {
    RelayClient client = approvingClient();
    fetched = co_await client.fetchPendingDeviceApprovals();
  } catch (const std::exception&) {
  }
  if (!self) co_return;
  m_refreshingPending = false;
  if (!fetched) {
    m_failedPolls = std::min(m_failedPolls + 1, 16);
    const qint64 backedOff = qint64(m_dependencies.pollIntervalMs) << m_failedPolls;
    m_timer.setInterval(int(std::min<qint64>(backedOff, std::max(m_dependencies.maxPollIntervalMs, m_dependencies.pollIntervalMs))));
    m_pendingState = LoadState::failed;
    emit pendingChanged();
    co_return;
  }
  if (std::exchange(m_failedPolls, 0) != 0) m_timer.setInterval(m_dependencies.pollIntervalMs);
  DeviceApprovalRules::sort(*fetched);
  m_pending = std::move(*fetched);
  m_pendingState = LoadState::loaded;
  const auto resolved = m_ledger.resolved(m_pending);
  const auto arrived = m_ledger.announce(m_pending);
  emit pendingChanged();
  if (!resolved.empty()) emit requestsResolved(resolved);
  if (!arrived.empty()) emit requestsArrived(arrived);
}

QCoro::Task<void> DeviceApprovalStore::refreshDevices() {
  QPointer<DeviceApprovalStore> self(this);
  m_devicesState = LoadState::loading;
  emit devicesChanged();
  std::optional<std::vector<UserDevice>> fetched;
  QString error;
  try {
    RelayClient client = m_dependencies.accountClient();
    fetched = co_await client.fetchUserDevices();
  } catch (const std::exception& failure) {
    error = relayFailureText(failure, m_dependencies.localDaemonToken().has_value());
  }
  if (!self) co_return;
  if (fetched) m_devices = std::move(*fetched);
  m_devicesState = fetched ? LoadState::loaded : LoadState::failed;
  m_devicesError = error;
  emit devicesChanged();
}

QCoro::Task<void> DeviceApprovalStore::refreshThisDevice() {
  QPointer<DeviceApprovalStore> self(this);
  std::optional<RelayDeviceApproval> approval;
  try {
    RelayClient client = m_dependencies.accountClient();
    if (client.isAuthenticated()) approval = co_await client.currentDeviceApproval();
  } catch (const std::exception&) {
  }
  if (!self) co_return;
  m_thisDevice = approval;
  emit thisDeviceChanged();
}

QCoro::Task<DeviceApprovalActionResult> DeviceApprovalStore::decide(QString requestId, bool approve) {
  QPointer<DeviceApprovalStore> self(this);
  DeviceApprovalActionResult result;
  try {
    RelayClient client = approvingClient();
    QCoro::Task<DeviceApprovalActionResult> sent =
        approve ? client.approveDeviceRequest(requestId) : client.denyDeviceRequest(requestId);
    result = co_await std::move(sent);
  } catch (const std::exception& error) {
    result = {DeviceApprovalActionResult::Kind::failed, 0, relayFailureText(error, true).toStdString()};
  }
  if (!self) co_return result;
  if (result.kind == DeviceApprovalActionResult::Kind::failed) emit actionFailed(QString::fromStdString(result.message));
  co_await refreshPending();
  if (self && m_devicesState != LoadState::idle) co_await refreshDevices();
  co_return result;
}

QCoro::Task<DeviceApprovalActionResult> DeviceApprovalStore::approve(QString requestId) {
  return decide(std::move(requestId), true);
}

QCoro::Task<DeviceApprovalActionResult> DeviceApprovalStore::deny(QString requestId) {
  return decide(std::move(requestId), false);
}

QCoro::Task<void> DeviceApprovalStore::revoke(QString deviceId) {
  QPointer<DeviceApprovalStore> self(this);
  std::optional<QString> error;
  try {
    RelayClient client = m_dependencies.accountClient();
    co_await client.revokeDevice(deviceId);
  } catch (const std::exception& failure) {
    error = relayFailureText(failure, true);
  }
  if (!self) co_return;
  if (error) emit actionFailed(*error);
  co_await refreshDevices();
}

QCoro::Task<void> DeviceApprovalStore::createPairCode() {
  QPointer<DeviceApprovalStore> self(this);
  m_pairCode = {LoadState::loading, std::nullopt, {}};
  emit pairCodeChanged();
  PairCodeState next;
  try {
    RelayClient client = m_dependencies.accountClient();
    next.code = co_await client.pairCodeInit();
    next.state = LoadState::loaded;
  } catch (const std::exception& failure) {
    next.state = LoadState::failed;
    next.error = relayFailureText(failure, m_dependencies.localDaemonToken().has_value());
  }
  if (!self) co_return;
  m_pairCode = next;
  emit pairCodeChanged();
}

}  // namespace vesket::relay
