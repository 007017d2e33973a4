#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>

#include "platform/core/service_job.h"

namespace vesket::platform {

// Where the daemon's job of one product home lives and logs.
struct ServiceJobPaths {
  QString productHome;
  QString daemonDir;  // product home + "/daemon": the own supervisor's job file, lock and pid
  QString logFile;    // the daemon's log (the supervisor's output goes there too)
};

// What the service manager says about the daemon's job.
struct ServiceJobState {
  bool loaded = false;         // the job is loaded: the daemon runs or is being restarted
  std::optional<qint64> pid;   // the daemon's process, when one runs
};

class ServiceManagerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Keeps the daemon running as a user job, with the verbs of a launchd user agent: the job
// file describes the job (written by the daemon's own `install-service`); `bootstrap` loads
// it and starts the daemon; `print` tells whether it is loaded and which process runs;
// `bootout` stops the daemon and unloads the job; `kickstart` restarts the daemon now.
// Two implementations: the systemd user manager where `systemctl --user` works, otherwise
// the project's own supervisor process (`vesket daemon supervise`, for containers and CI).
// Every verb blocks until the manager answered (a few seconds at most): call them off the
// UI thread.
class ServiceManager {
 public:
  enum class Kind { systemd, supervisor };

  virtual ~ServiceManager() = default;

  // The manager of this host: "VESKET_SERVICE_MANAGER" ("systemd" or "supervisor") when
  // set, else systemd when a systemd user instance answers, else the own supervisor.
  static std::unique_ptr<ServiceManager> forHost(ServiceJobPaths paths);
  static Kind hostKind();
  static std::unique_ptr<ServiceManager> create(Kind kind, ServiceJobPaths paths);

  virtual Kind kind() const = 0;
  // The file that describes the job.
  virtual QString jobFilePath() const = 0;
  // The job as its file describes it; nothing when there is none or it does not parse.
  virtual std::optional<ServiceJob> readJob() const = 0;
  // Writes the job file (loading it is `bootstrap`). Throws ServiceManagerError.
  virtual void writeJob(const ServiceJob& job) = 0;
  virtual ServiceJobState print() const = 0;
  // Loads the job from its file and starts the daemon. False when the manager refused.
  virtual bool bootstrap() = 0;
  // Stops the daemon and unloads the job, waiting until both are gone. False when they did
  // not go away.
  virtual bool bootout() = 0;
  // Restarts the daemon now (starts the job when it is not loaded).
  virtual bool kickstart() = 0;
  // Unloads the job and removes its file.
  virtual bool removeJob() = 0;

  bool jobMatchesInstall(const QString& binaryPath) const;
  const ServiceJobPaths& paths() const { return m_paths; }

 protected:
  explicit ServiceManager(ServiceJobPaths paths) : m_paths(std::move(paths)) {}
  ServiceJobPaths m_paths;
};

const char* serviceKindName(ServiceManager::Kind kind);

}  // namespace vesket::platform
