#pragma once

#include "daemon/daemon_paths.h"

namespace vesket::daemon::Updater {

// `vesket update`: the updater the desktop application runs. Reads the release catalog
// (VESKET_UPDATE_URL_OVERRIDE, else the download host's), and when it offers a newer stable
// build than the installed application's: downloads the artifact and its release
// signature (printing "downloading N%" lines), refuses one that is unsigned or whose
// signature does not verify, unpacks it, replaces the daemon through the provisioning
// upgrade (the restart transaction when it runs), points <home>/app/current at the new
// bundle in one rename, and writes the pending-restart marker. Any failure before the
// switch leaves the application and the daemon as they were. Returns the exit code.
int run(const DaemonPaths& paths);

}  // namespace vesket::daemon::Updater
