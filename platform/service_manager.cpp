#include "platform/service_manager.h"

#include "platform/supervisor_service_manager.h"
#include "platform/systemd_service_manager.h"

namespace vesket::platform {

ServiceManager::Kind ServiceManager::hostKind() {
  const QString forced = qEnvironmentVariable("VESKET_SERVICE_MANAGER");
  if (forced == QStringLiteral("supervisor")) return Kind::supervisor;
  if (forced == QStringLiteral("systemd")) return Kind::systemd;
  return SystemdServiceManager::available() ? Kind::systemd : Kind::supervisor;
}

std::unique_ptr<ServiceManager> ServiceManager::create(Kind kind, ServiceJobPaths paths) {
  if (kind == Kind::systemd) return std::make_unique<SystemdServiceManager>(std::move(paths));
  return std::make_unique<SupervisorServiceManager>(std::move(paths));
}

std::unique_ptr<ServiceManager> ServiceManager::forHost(ServiceJobPaths paths) {
  return create(hostKind(), std::move(paths));
}

bool ServiceManager::jobMatchesInstall(const QString& binaryPath) const {
  const auto job = readJob();
  return job && job->matchesInstall(binaryPath.toStdString(), m_paths.productHome.toStdString());
}

const char* serviceKindName(ServiceManager::Kind kind) {
  return kind == ServiceManager::Kind::systemd ? "systemd" : "supervisor";
}

}  // namespace vesket::platform
