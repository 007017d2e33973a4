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

}  // namespace vesket::daemon
