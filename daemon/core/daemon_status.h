#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vesket::daemon {

// What `vesket daemon status` reports, one "key : value" line per fact. The desktop
// application's status poller parses exactly these keys; the extra lines after them
// (home, socket, log, tmux) are for people and ignored by the poller.
struct DaemonStatus {
  bool serviceLoaded = false;           // "launchd loaded": supervised or serving
  std::optional<std::int64_t> pid;      // the serving daemon's pid
  bool paired = false;                  // a relay daemon token is present
  std::string version;
  bool automationGranted = true;        // Linux has no such permission gates
  bool accessibilityGranted = true;
  bool fullDiskAccessGranted = true;
  std::optional<bool> iosConnected;     // nothing when the daemon is not running
  std::vector<std::pair<std::string, std::string>> extra;  // appended verbatim

  bool operator==(const DaemonStatus&) const = default;

  // The text printed by the CLI, each line ending in "\n".
  std::string formatLines() const;
};

// What `vesket daemon status` found out, each from its own source, before deciding what to
// report. The sources can disagree (a daemon started by hand while the service restarts
// its own, a daemon that lost its socket); the status says which is which.
struct DaemonObservation {
  std::optional<std::int64_t> answeringPid;    // the pid the daemon on the socket gave
  std::optional<std::string> answeringVersion;
  bool answering = false;                      // a daemon answered "ping"
  std::optional<std::int64_t> publishedPid;    // identity record, checked alive
  std::string serviceKind;                     // "systemd" or "supervisor"
  bool serviceJobExists = false;               // the job file is there
  bool serviceLoaded = false;
  std::optional<std::int64_t> servicePid;      // the service manager's running process
  std::optional<std::string> serviceProgram;   // the executable the job runs
};

// The status lines for an observation: "launchd loaded" is yes while a daemon runs for the
// home or its service is loaded (the poller reads it as "running"); "pid" is the daemon
// that answers, else the service's process, else the published one; the extra lines
// "service", "service program", "service pid" and "state" say where each fact came from.
DaemonStatus statusFor(const DaemonObservation& seen, std::string cliVersion);

}  // namespace vesket::daemon
