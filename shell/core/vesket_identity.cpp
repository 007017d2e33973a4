#include "shell/core/vesket_identity.h"

#include <limits>

#include "shell/core/identity_record.h"
#include "shell/core/standardized_path.h"

namespace vesket::shell {

std::string HomeDisagreement::key() const { return envHome + " " + publishedHome; }

std::string HomeDisagreement::warningLine() const {
  return "[vesket] WARNING: this app's own env-derived Vesket home ('" + envHome + "') " +
         "disagrees with the running daemon's published home ('" + publishedHome + "', from " +
         identityPath + ") \u2014 preferring the daemon's published value.\n";
}

namespace VesketIdentity {

std::string envDerivedHome(const HostFacts& host) {
  if (auto home = environmentValue(host.environment, homeVariable)) return *home;
  if (auto home = environmentValue(host.environment, legacyHomeVariable)) return *home;
  return host.userHome + "/.vesket";
}

std::string productHome(const HostFacts& host) {
  std::string home = envDerivedHome(host);
  return home.empty() ? host.userHome + "/.vesket" : home;
}

std::optional<std::string> explicitEnvHome(const Environment& environment) {
  if (auto home = nonEmptyEnvironmentValue(environment, homeVariable)) return home;
  return nonEmptyEnvironmentValue(environment, legacyHomeVariable);
}

bool isRunningInTestHost(const HostFacts& host) {
  if (host.testProgram) return true;
  for (const auto variable : testHostVariables) {
    if (host.environment.contains(variable)) return true;
  }
  return false;
}

bool isolationRequested(const Environment& environment) {
  return environmentValue(environment, isolatedVariable) == "1";
}

bool shouldUseTestEnvironmentIsolation(const HostFacts& host) {
  return isRunningInTestHost(host) || isolationRequested(host.environment);
}

bool provisioningTargetIsRedirected(const HostFacts& host, std::string_view home) {
  const auto explicitHome = explicitEnvHome(host.environment);
  if (!explicitHome) return false;
  return standardizedPath(*explicitHome, host.userHome) != standardizedPath(home, host.userHome);
}

bool provisioningPermitted(const HostFacts& host, std::string_view home, std::string_view realHome) {
  const auto explicitHome = explicitEnvHome(host.environment);
  bool isolated = false;
  if (isRunningInTestHost(host)) {
    isolated = true;
    if (!explicitHome) return false;
  } else {
    isolated = isolationRequested(host.environment);
    if (!explicitHome) return !isolated;
  }
  const auto standardHome = standardizedPath(home, host.userHome);
  if (standardizedPath(*explicitHome, host.userHome) != standardHome) return false;
  if (!isolated) return true;
  return standardHome != standardizedPath(realHome, host.userHome);
}

HomeResolution resolveHome(const HostFacts& host, const IdentitySources& sources) {
  const std::string env = productHome(host);
  if (shouldUseTestEnvironmentIsolation(host)) return {env, std::nullopt};

  const std::string identityPath = IdentityRecord::pathFor(host.userHome);
  const auto bytes = sources.readFile ? sources.readFile(identityPath) : std::nullopt;
  if (!bytes) return {env, std::nullopt};
  const auto record = IdentityRecord::decode(*bytes);
  if (!record || !record->pid || *record->pid < 1) return {env, std::nullopt};

  // A pid that no 32-bit process id can hold names no process; it must not be truncated
  // into one that happens to exist.
  if (*record->pid > std::numeric_limits<std::int32_t>::max()) return {env, std::nullopt};
  const auto probe = sources.probe ? sources.probe(static_cast<std::int32_t>(*record->pid))
                                   : PidProbe::noSuchProcess;
  if (probe == PidProbe::noSuchProcess) return {env, std::nullopt};

  if (record->home == env) return {env, std::nullopt};
  return {record->home, HomeDisagreement{env, record->home, identityPath}};
}

}  // namespace VesketIdentity
}  // namespace vesket::shell
