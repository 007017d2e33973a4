#pragma once

#include "platform/service_manager.h"

namespace vesket::platform {

// The daemon's job as a systemd user unit ("com.vesket.daemon.service" under
// $XDG_CONFIG_HOME/systemd/user), driven through `systemctl --user`.
class SystemdServiceManager : public ServiceManager {
 public:
  explicit SystemdServiceManager(ServiceJobPaths paths) : ServiceManager(std::move(paths)) {}

  // Whether a systemd user instance answers `systemctl --user show-environment`.
  static bool available();

  Kind kind() const override { return Kind::systemd; }
  QString jobFilePath() const override;
  std::optional<ServiceJob> readJob() const override;
  void writeJob(const ServiceJob& job) override;
  ServiceJobState print() const override;
  bool bootstrap() override;
  bool bootout() override;
  bool kickstart() override;
  bool removeJob() override;
};

}  // namespace vesket::platform
