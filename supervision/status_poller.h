#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <qcoro/qcorotask.h>

#include "supervision/core/daemon_provision_core.h"
#include "supervision/core/daemon_status_snapshot.h"
#include "supervision/core/single_flight.h"
#include "supervision/daemon_provisioner.h"

namespace vesket::shell {
class SettingsStore;
}

namespace vesket::supervision {

// The one long-lived object on the UI thread that knows whether the local daemon is
// installed and running, and keeps it so: at start it provisions the daemon (install,
// upgrade through the restart transaction, service job), then asks `vesket daemon status`
// every five seconds and, whenever the daemon is not running (after provisioning, or when it
// stopped without being asked to), reloads its service job up to three times with a grace
// delay of 4 s and then 6 s before looking again. Views read its published state and listen
// to `changed`.
class StatusPoller : public QObject {
  Q_OBJECT

 public:
  struct Options {
    int pollIntervalMs = 5000;
    double graceScale = 1.0;  // multiplies the autostart grace delays (tests shorten them)
    // Where the application's state is kept; nothing: the process's settings store.
    shell::SettingsStore* settings = nullptr;
  };

  StatusPoller(ProvisionPaths paths, Options options, QObject* parent = nullptr);
  explicit StatusPoller(ProvisionPaths paths, QObject* parent = nullptr) : StatusPoller(std::move(paths), {}, parent) {}
  ~StatusPoller() override;

  // Start-up: provisions once, polls (with the convergence step after a successful
  // provisioning) and starts the status timer.
  void start();
  // One status round; `completion` runs on the UI thread after the next finished round.
  void poll(std::function<void()> completion = {});

  QCoro::Task<bool> provisionDaemonOnce();
  QCoro::Task<void> provisionDaemonIfNeeded();
  QCoro::Task<bool> forceReloadDaemon();
  QCoro::Task<CleanRestartResult> cleanRestartDaemon();
  // Installs the service job for the installed daemon and looks again after 2 s.
  QCoro::Task<void> startDaemon();
  // `vesket daemon stop`; true when it stopped.
  QCoro::Task<bool> stopDaemon();
  QCoro::Task<bool> waitForDaemonSocketReady();
  QCoro::Task<DaemonReadinessOutcome> ensureDaemonReadyForLocalAttach();
  // Clears the rollback pin and provisions again.
  QCoro::Task<void> resumeAutomaticDaemonUpdates();

  bool isRunning() const { return m_snapshot.isRunning; }
  std::optional<qint64> pid() const { return m_snapshot.pid; }
  const QString& version() const { return m_version; }
  bool daemonStatusFresh() const { return m_daemonStatusFresh; }
  bool isProvisioning() const { return m_provisionFlight.isInFlight(); }
  std::optional<DaemonProvision::Failure> daemonProvisionFailure() const { return m_provisionFailure; }
  std::optional<QString> daemonRollbackPinDigest() const { return m_rollbackPinDigest; }
  std::optional<QString> untrustedReplacementNotice() const { return m_untrustedNotice; }
  int autostartAttempts() const { return m_autostartAttempts; }
  const ProvisionPaths& paths() const { return m_provisioner->paths(); }
  ProvisionDiagnosticLog& diagnosticLog() { return *m_log; }

  // After a successful provisioning, once per settings store: `vesket daemon auto-attach
  // --json` and `vesket skills sync` in the background (`postProvisionTasksFinished`).
  void schedulePostProvisionTasks();

  // Publishes a provisioning failure, logs it with its disposition and, when the user is
  // to see it, asks the views to show it (`provisionFailureShown`).
  void recordDaemonProvisionFailure(DaemonProvision::Failure failure);

 signals:
  void changed();
  void provisionFailureShown(vesket::supervision::DaemonProvision::Failure failure);
  // The daemon runs again: an alert about a failure can go.
  void provisionFailureRecovered();
  // An action the user asked for (restart the daemon, resume automatic updates) failed;
  // `message` is in the user's language.
  void actionFailed(const QString& message);
  void postProvisionTasksFinished();

 private:
  QCoro::Task<void> runStatusRound();
  void applyDaemonStatus(const DaemonStatusSnapshot& snapshot);
  void markStatusUnavailable();
  void convergeStep();
  // The daemon died: its crash report (if any) becomes a record in the spool.
  void scanDaemonCrashReports();
  QCoro::Task<void> runConvergenceAttempt(int attempt);
  QCoro::Task<void> startUp();
  QCoro::Task<bool> performProvisioning();
  QCoro::Task<void> runPostProvisionTasks();

  std::shared_ptr<ProvisionDiagnosticLog> m_log;
  std::shared_ptr<DaemonProvisioner> m_provisioner;
  Options m_options;
  QTimer m_timer;
  DaemonStatusSnapshot m_snapshot;
  QString m_version;
  bool m_daemonStatusFresh = false;
  bool m_pollInFlight = false;
  bool m_expectingStop = false;
  bool m_converging = false;
  int m_autostartAttempts = 0;
  std::vector<std::function<void()>> m_pollCompletions;
  std::optional<DaemonProvision::Failure> m_provisionFailure;
  std::optional<QString> m_rollbackPinDigest;
  std::optional<QString> m_untrustedNotice;
  SingleFlight<bool> m_provisionFlight;
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace vesket::supervision
