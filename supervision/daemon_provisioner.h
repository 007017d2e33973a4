#pragma once

#include <QMutex>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>
#include <set>

#include "supervision/core/daemon_provision_core.h"

namespace vesket::platform {
class ServiceManager;
}

namespace vesket::supervision {

// The supervision diagnostic log: "<timestamp> <text>" lines in
// $XDG_STATE_HOME/vesket/logs/daemon-provision.log (the directory can be moved with
// VESKET_DESKTOP_PROVISION_LOG_DIR). Safe from any thread.
class ProvisionDiagnosticLog {
 public:
  ProvisionDiagnosticLog();
  explicit ProvisionDiagnosticLog(QString path) : m_path(std::move(path)) {}
  const QString& path() const { return m_path; }
  void append(const QString& text);

 private:
  QString m_path;
  QMutex m_mutex;
};

// Where provisioning finds the daemon it ships and puts the one it installs.
struct ProvisionPaths {
  QString home;            // the product home
  QString embeddedDaemon;  // the daemon shipped beside the application (the build's bin/)

  QString binDir() const { return home + QStringLiteral("/bin"); }
  QString installedDaemon() const { return binDir() + QStringLiteral("/vesket"); }
  QString rollbackPin() const;
  // The daemon beside this program.
  static QString embeddedBesideApplication();
};

enum class FreshInstallOutcome { installed, keptExisting, failed };

struct ProvisionWorkOutcome {
  enum class Kind { fail, keepInstalled, provisioned };
  Kind kind = Kind::fail;
  DaemonProvision::Failure failure = DaemonProvision::Failure::embeddedMissing;  // fail
  bool embeddedIsOlder = false;                // keepInstalled
  std::optional<QString> rollbackPinDigest;    // keepInstalled: the short form
  bool migratesUntrustedIdentity = false;      // provisioned
  bool isFreshInstall = false;                 // provisioned
  std::optional<QString> untrustedReplacementNotice;
  bool serviceInstalled = false;               // the service job was (re)written and loaded
  // A failure that did not stop provisioning (a companion file that could not be updated).
  std::optional<DaemonProvision::Failure> nonBlockingFailure;
};

struct CleanRestartResult {
  bool restarted = false;
  QString message;       // when it failed, in the user's language
  QString checkCommand;  // when it failed: what the user can run to look at the job
};

// The blocking procedures of daemon provisioning: installing, verifying, upgrading through
// the restart transaction, reloading and restarting the service job. Every call may wait for
// child processes and the service manager: run them off the UI thread. Safe to use from one
// worker at a time; `installServiceRunning()` may be read from anywhere.
class DaemonProvisioner {
 public:
  DaemonProvisioner(ProvisionPaths paths, std::shared_ptr<ProvisionDiagnosticLog> log);
  ~DaemonProvisioner();

  const ProvisionPaths& paths() const { return m_paths; }
  ProvisionDiagnosticLog& log() { return *m_log; }
  bool installServiceRunning() const { return m_installServiceRunning.load(); }

  // One provisioning run (inventory, decision, install or upgrade, service job).
  ProvisionWorkOutcome performProvisionWork();

  static bool hasTrustedReleaseSignature(const QString& path);
  static bool daemonNeedsRefresh(const QString& installedPath, const QString& embeddedPath);
  bool embeddedBuildIsOlder(const QString& installedPath, const QString& embeddedPath);
  std::optional<QString> activeRollbackPinDigest() const;
  // Nothing on success, else the text to show.
  std::optional<QString> clearRollbackPin() const;
  // The output of `path --version`, or nothing when it did not run and exit 0.
  std::optional<QString> runVersionCommand(const QString& path);
  bool binaryExecutes(const QString& path) { return runVersionCommand(path).has_value(); }
  static std::optional<QString> shortDigestHex(const QString& path);
  FreshInstallOutcome installFreshBinary();
  // Copies the tmux and sidecar files shipped beside the embedded daemon into the bin
  // directory (each through a temporary file and a rename). False when one failed.
  bool syncCompanions();

  bool daemonIsRunning() const;
  // Reloads the service job: waits for a running service install (the reload gate), writes
  // the job when missing, unloads it, loads it again (repairing up to three times) and
  // starts the daemon. True when the job ended loaded.
  bool forceReload();
  CleanRestartResult cleanRestart();
  // `vesket daemon install-service` with the installed daemon; its exit code (-1: did not run).
  int runInstallService();
  std::unique_ptr<platform::ServiceManager> serviceManager() const;

 private:
  struct ChildResult {
    bool started = false;
    int exitCode = -1;
    QString out;
    QString err;
  };
  ChildResult runChild(const QString& program, const QStringList& arguments, int timeoutMs);
  void phase(const char* name);
  ProvisionWorkOutcome replaceWithEmbedded(bool migrates);
  void ensureServiceJob(ProvisionWorkOutcome& outcome);
  std::optional<QString> snapshotCompanions(std::set<QString>& existing);
  void restoreCompanions(const QString& snapshot, const std::set<QString>& existing);

  ProvisionPaths m_paths;
  std::shared_ptr<ProvisionDiagnosticLog> m_log;
  std::atomic<bool> m_installServiceRunning{false};
  qint64 m_startedMs = 0;
};

}  // namespace vesket::supervision
