#pragma once

#include <QString>

#include <optional>

#include "shell/core/identity_record.h"
#include "shell/core/vesket_identity.h"

namespace vesket::shell::VesketIdentity {

// The product home for this process, as the application and the daemon's tools use it:
// the environment's choice unless a live daemon published another one (then a warning
// line goes to standard error, once per distinct pair). Reads the environment and the
// identity record on every call; safe from any thread.
QString resolveHome();
// The same for the given facts, with this process's file system, process table and
// standard error; `resolveHome()` is `resolveHomeFor(currentHostFacts())`.
QString resolveHomeFor(const HostFacts& host);

QString envDerivedHome();
std::optional<QString> explicitEnvHome();
// True for the project's test programs and when a test-host variable is present.
bool isRunningInTestHost();
bool shouldUseTestEnvironmentIsolation();
bool provisioningTargetIsRedirected(const QString& from);
bool provisioningPermitted(const QString& forHome, const QString& realHome);

// Where the running daemon publishes its identity record: the user's home directory
// followed by "/.vesket-daemon-identity.json".
QString identityRecordPath();

// The facts the pure decisions are computed from, read from this process now.
HostFacts currentHostFacts();

}  // namespace vesket::shell::VesketIdentity
