#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vesket::supervision {

// What one `vesket daemon status` reply says, read from its "key : value" lines. Missing
// keys keep the defaults: not running, no pid, not paired, empty version, permissions
// unknown; other keys are ignored.
struct DaemonStatusSnapshot {
  bool isRunning = false;
  std::optional<std::int64_t> pid;
  bool isPaired = false;
  std::string version;
  std::optional<bool> daemonAutomationGranted;
  std::optional<bool> daemonAccessibilityGranted;
  std::optional<bool> daemonFullDiskAccessGranted;
  std::optional<bool> daemonIosConnected;

  bool operator==(const DaemonStatusSnapshot&) const = default;

  static DaemonStatusSnapshot parse(std::string_view text);
};

}  // namespace vesket::supervision
