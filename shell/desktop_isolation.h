#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

#include "shell/core/desktop_isolation.h"
#include "shell/core/launchctl_verdict.h"
#include "shell/settings_store.h"

namespace vesket::shell::DesktopIsolation {

// The isolation context of this process ("VESKET_DESKTOP_ISOLATED" = "1" with its homes),
// or nothing for a normal instance. Computed from the environment on every call.
std::optional<Context> current();

// Makes this process agree with its isolation context; called once at start-up, before
// anything reads the product home. For an isolated instance "VESKET_HOME" and
// "DURNVALE_HOME" are set to the context's product home (so that VesketIdentity resolves
// the quarantine directory when the requested home was refused), and the product home,
// state directory and scratch directory are created (0700). False, with a line on standard
// error, when a directory cannot be created or a scratch directory belongs to another user.
// Does nothing for a normal instance.
bool applyToProcess();

// The settings store every part of the application persists its settings in, opened on
// first use and kept for the life of the process. An isolated instance uses an INI file at
// its state directory + "/preferences" and stops the process when that cannot be opened;
// a normal instance uses the user's standard settings. A test program that would reach the
// account's real settings file stops instead: tests point HOME and XDG_CONFIG_HOME elsewhere.
SettingsStore& defaults();

// Whether this instance may perform `action`; an isolated instance logs each refusal.
bool permits(HostAction action);
// Whether this instance may run the `vesket` tool with `arguments` (refusals are logged).
bool permitsDaemonCommand(const QStringList& arguments);

// The verdict for a service-manager (launchctl-style) command line run by this instance, for
// this user; a refusal is logged before it is returned. The service manager runs a command
// only after an allowed verdict.
LaunchctlVerdict checkServiceManagerCommand(const QStringList& arguments);

// The environment for a child process of this instance: `environment` with the isolation
// plan applied (unchanged for a normal instance).
Environment childEnvironment(const Environment& environment);
// The same, for this process's own environment, ready for QProcess.
QProcessEnvironment childProcessEnvironment();

// Where the desktop application keeps its own state: the isolated instance's state
// directory, else "$XDG_STATE_HOME/vesket".
QString stateDirectory();

}  // namespace vesket::shell::DesktopIsolation
