#pragma once

// Approving other devices from this one, and what the Devices window shows: the requests
// waiting for a decision (polled every 5 s while started, each new one announced once through
// `requestsArrived`, answered ones through `requestsResolved`), this device's own approval
// state, the account's devices, revoking one, and short pairing codes for another machine.
// When this machine's daemon is paired, the pending list and the decisions use its daemon
// token (it stays valid when the account session ends); the rest uses the account.

#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "relay/relay_client.h"

namespace vesket::relay {

enum class LoadState { idle, loading, loaded, failed };

class DeviceApprovalStore : public QObject {
  Q_OBJECT

 public:
  struct Dependencies {
    std::function<RelayClient()> accountClient;  // required
    std::function<QUrl()> baseURL;               // required
    // This machine's daemon token; the daemon's environment file when empty.
    std::function<std::optional<QString>()> localDaemonToken;
    int pollIntervalMs = 5000;
    // Failed polls double the wait up to this, so a relay that is down or refuses this
    // device is not asked every few seconds; the first answer brings the interval back.
    int maxPollIntervalMs = 60 * 1000;
  };

  struct PairCodeState {
    LoadState state = LoadState::idle;
    std::optional<RelayPairCode> code;
    QString error;
  };

  explicit DeviceApprovalStore(Dependencies dependencies, QObject* parent = nullptr);

  void start();
  void stop();
  bool isStarted() const { return m_timer.isActive(); }
  int pollIntervalMs() const { return m_timer.interval(); }

  const std::vector<DeviceApprovalPendingRequest>& pending() const { return m_pending; }
  LoadState pendingLoadState() const { return m_pendingState; }
  const std::vector<UserDevice>& devices() const { return m_devices; }
  LoadState devicesLoadState() const { return m_devicesState; }
  const QString& devicesError() const { return m_devicesError; }
  const std::optional<RelayDeviceApproval>& thisDevice() const { return m_thisDevice; }
  QString thisDeviceID() const;
  const PairCodeState& pairCodeState() const { return m_pairCode; }
  const ApprovalNotificationLedger& ledger() const { return m_ledger; }

  QCoro::Task<void> refreshPending();
  QCoro::Task<void> refreshDevices();
  QCoro::Task<void> refreshThisDevice();
  // The decision, then the pending list again. A failure is also sent as actionFailed.
  QCoro::Task<DeviceApprovalActionResult> approve(QString requestId);
  QCoro::Task<DeviceApprovalActionResult> deny(QString requestId);
  QCoro::Task<void> revoke(QString deviceId);
  QCoro::Task<void> createPairCode();

 signals:
  void pendingChanged();
  void devicesChanged();
  void thisDeviceChanged();
  void pairCodeChanged();
  void requestsArrived(const std::vector<vesket::relay::DeviceApprovalPendingRequest>& requests);
  void requestsResolved(const std::vector<std::string>& requestIds);
  void actionFailed(const QString& message);

 private:
  RelayClient approvingClient() const;
  QCoro::Task<DeviceApprovalActionResult> decide(QString requestId, bool approve);

  Dependencies m_dependencies;
  QTimer m_timer;
  bool m_refreshingPending = false;
  int m_failedPolls = 0;
  std::vector<DeviceApprovalPendingRequest> m_pending;
  LoadState m_pendingState = LoadState::idle;
  std::vector<UserDevice> m_devices;
  LoadState m_devicesState = LoadState::idle;
  QString m_devicesError;
  std::optional<RelayDeviceApproval> m_thisDevice;
  PairCodeState m_pairCode;
  ApprovalNotificationLedger m_ledger;
};

// The text of a failed relay call for the user: the explainer's sentence, else its message.
QString relayFailureText(const std::exception& error, bool thisMachineIsRegistered);

}  // namespace vesket::relay
