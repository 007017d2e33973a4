#include "daemon/core/daemon_status.h"

#include <fmt/format.h>

namespace vesket::daemon {
namespace {
const char* yesNo(bool value) { return value ? "yes" : "no"; }
const char* grant(bool value) { return value ? "granted" : "denied"; }
}  // namespace

std::string DaemonStatus::formatLines() const {
  std::string out;
  auto line = [&out](std::string_view key, std::string_view value) {
    out += fmt::format("{} : {}\n", key, value);
  };
  line("launchd loaded", yesNo(serviceLoaded));
  line("pid", pid ? std::to_string(*pid) : std::string("none"));
  line("paired", yesNo(paired));
  line("version", version);
  line("automation", grant(automationGranted));
  line("accessibility", grant(accessibilityGranted));
  line("full disk access", grant(fullDiskAccessGranted));
  line("ios connected", iosConnected ? yesNo(*iosConnected) : "unknown");
  for (const auto& [key, value] : extra) line(key, value);
  return out;
}

}  // namespace vesket::daemon
