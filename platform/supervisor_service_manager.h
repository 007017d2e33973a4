#pragma once

#include "platform/service_manager.h"

namespace vesket::platform {

// The daemon's job kept by the project's own supervisor (`vesket daemon supervise`), for
// hosts without a systemd user instance. The job file is product home +
// "/daemon/com.vesket.daemon.job.json"; the job is loaded while a supervisor holds the
// supervisor lock; the supervisor's pid file names it and the daemon it runs.
class SupervisorServiceManager : public ServiceManager {
 public:
  explicit SupervisorServiceManager(ServiceJobPaths paths) : ServiceManager(std::move(paths)) {}

  QString lockFile() const { return m_paths.daemonDir + QStringLiteral("/supervisor.lock"); }
  QString pidFile() const { return m_paths.daemonDir + QStringLiteral("/supervisor.pid"); }
  // Whether a supervisor holds the lock.
  bool supervisorAlive() const;

  Kind kind() const override { return Kind::supervisor; }
  QString jobFilePath() const override;
  std::optional<ServiceJob> readJob() const override;
  void writeJob(const ServiceJob& job) override;
  ServiceJobState print() const override;
  bool bootstrap() override;
  bool bootout() override;
  bool kickstart() override;
  bool removeJob() override;

 private:
  // The supervisor's pid and the daemon's (0 when none runs), from the pid file.
  std::pair<qint64, qint64> pids() const;
};

}  // namespace vesket::platform
