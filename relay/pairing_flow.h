#pragma once

// Pairing this machine's daemon with an account, and the account's machines.
//
// PairQRFlow: the QR code (and its short code) a phone or an approved device claims, polled
// once a second until claimed, with its countdown; a claimed pairing's daemon token is handed
// to the local daemon ("relay-pair"), which saves it and links. A signed-in, approved device
// pairs without the QR (pair-init), or replaces one of the account's machines when the relay
// asks for that. A short code from another machine of the account pairs this one too. The
// checklist of the pairing window comes from the same object: pairing, permissions (none to
// grant here: the daemon reports them granted), the daemon with tmux, and the link.
//
// MyMachinesStore: the account's machines, this one marked.

#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <qcoro/qcorotask.h>

#include "relay/core/pair_flow.h"
#include "relay/device_approval_store.h"
#include "relay/relay_client.h"

namespace vesket::control_plane {
class ControlPlaneClient;
}

namespace vesket::relay {

class PairQRFlow : public QObject {
  Q_OBJECT

 public:
  enum class Phase { idle, loading, ready, expired, paired, failed, replacementRequired };

  struct Dependencies {
    std::function<QUrl()> baseURL;  // required
    std::function<std::shared_ptr<control_plane::ControlPlaneClient>()> daemon;  // the product home's when empty
    QString machineUUID;  // machineIdentity() when empty
    QString machineName;  // the host name when empty
    // Runs once the daemon saved a pairing (the account re-check and the self-vouch).
    std::function<void()> afterPairing;
    int pollIntervalMs = 1000;
  };

  explicit PairQRFlow(Dependencies dependencies, QObject* parent = nullptr);
  ~PairQRFlow() override;

  // /etc/machine-id; empty when it cannot be read.
  static QString machineIdentity();
  // The QR token kept for the process: shown again until consumed or expired.
  static std::optional<QRTokenSnapshot>& tokenCache();

  Phase phase() const { return m_phase; }
  const QString& message() const { return m_message; }  // failed: what went wrong
  std::optional<QRTokenSnapshot> token() const { return m_token; }
  std::int64_t secondsLeft() const;
  const std::vector<RelayMacRecoveryCandidate>& candidates() const { return m_candidates; }
  const std::vector<PairFlowStepResult>& steps() const { return m_steps; }
  const PairFlowSnapshot& snapshot() const { return m_snapshot; }

  // Shows the cached QR token or asks for a new one, then polls it.
  QCoro::Task<void> start();
  // Stops polling and counting (the window closed); the cached token stays.
  void cancel();
  // Signed in on an approved device: pairs without a phone, or asks for a replacement.
  QCoro::Task<void> pairWithAccount(RelayClient client);
  QCoro::Task<void> replace(RelayClient client, std::int64_t oldDaemonID, std::optional<QString> password);
  // A code made on another machine of the account ("/api/daemons/pair-code-claim").
  QCoro::Task<void> pairWithCode(QString code);
  // Reads the daemon's state for the checklist.
  QCoro::Task<void> refreshChecklist();

 signals:
  void changed();
  void tick();

 private:
  QCoro::Task<void> poll(int generation, QString token);
  QCoro::Task<bool> saveWithDaemon(QString daemonToken);
  // Saves the pairing with the daemon: paired, or failed with the daemon's trouble.
  QCoro::Task<void> finishWith(QString daemonToken);
  void setPhase(Phase phase, QString message = {});
  void updateSteps();
  void onTick();

  Dependencies m_dependencies;
  Phase m_phase = Phase::idle;
  QString m_message;
  std::optional<QRTokenSnapshot> m_token;
  std::vector<RelayMacRecoveryCandidate> m_candidates;
  PairFlowSnapshot m_snapshot;
  std::vector<PairFlowStepResult> m_steps;
  QTimer m_countdown;
  int m_generation = 0;
  int m_ticksSinceChecklist = 0;
  bool m_checking = false;
};

class MyMachinesStore : public QObject {
  Q_OBJECT

 public:
  struct Dependencies {
    std::function<RelayClient()> accountClient;  // required
    std::function<QUrl()> baseURL;               // required
    std::function<std::optional<QString>()> localDaemonToken;  // the environment file's when empty
    QString localHostName;                       // the host name when empty
  };

  explicit MyMachinesStore(Dependencies dependencies, QObject* parent = nullptr);

  const std::vector<MyMachine>& machines() const { return m_machines; }
  LoadState loadState() const { return m_state; }
  const QString& error() const { return m_error; }

  QCoro::Task<void> load();

 signals:
  void changed();

 private:
  Dependencies m_dependencies;
  std::vector<MyMachine> m_machines;
  LoadState m_state = LoadState::idle;
  QString m_error;
};

}  // namespace vesket::relay
