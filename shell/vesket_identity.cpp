#include "shell/vesket_identity.h"

#include "shell/core/test_host.h"
#include "shell/core/warning_latch.h"
#include "shell/host_environment.h"

namespace vesket::shell::VesketIdentity {
namespace {

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

WarningLatch& disagreementLatch() {
  static WarningLatch latch;
  return latch;
}

}  // namespace

HostFacts currentHostFacts() {
  return HostFacts{
      HostEnvironment::variables({homeVariable, legacyHomeVariable, isolatedVariable,
                                  testHostVariables[0], testHostVariables[1],
                                  testHostVariables[2]}),
      HostEnvironment::userHome(), isTestProgram()};
}

QString resolveHome() { return resolveHomeFor(currentHostFacts()); }

QString resolveHomeFor(const HostFacts& host) {
  const IdentitySources sources{
      [](const std::string& path) { return HostEnvironment::readFile(path); },
      [](std::int32_t pid) { return HostEnvironment::probeProcess(pid); }};
  const auto resolution = resolveHome(host, sources);
  if (resolution.disagreement &&
      disagreementLatch().shouldWrite(resolution.disagreement->key())) {
    HostEnvironment::writeToStandardError(resolution.disagreement->warningLine());
  }
  return fromStd(resolution.home);
}

QString envDerivedHome() { return fromStd(envDerivedHome(currentHostFacts())); }

std::optional<QString> explicitEnvHome() {
  const auto home = explicitEnvHome(currentHostFacts().environment);
  if (!home) return std::nullopt;
  return fromStd(*home);
}

bool isRunningInTestHost() { return isRunningInTestHost(currentHostFacts()); }

bool shouldUseTestEnvironmentIsolation() {
  return shouldUseTestEnvironmentIsolation(currentHostFacts());
}

bool provisioningTargetIsRedirected(const QString& from) {
  return provisioningTargetIsRedirected(currentHostFacts(), from.toStdString());
}

bool provisioningPermitted(const QString& forHome, const QString& realHome) {
  return provisioningPermitted(currentHostFacts(), forHome.toStdString(), realHome.toStdString());
}

QString identityRecordPath() { return fromStd(IdentityRecord::pathFor(HostEnvironment::userHome())); }

}  // namespace vesket::shell::VesketIdentity
