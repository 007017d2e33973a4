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

DaemonStatus statusFor(const DaemonObservation& seen, std::string cliVersion) {
  DaemonStatus status;
  status.version = seen.answering && seen.answeringVersion ? *seen.answeringVersion : std::move(cliVersion);
  if (seen.answering) {
    status.pid = seen.answeringPid;
    status.iosConnected = false;  // no relay link yet, so no phone either
  } else if (seen.servicePid) {
    status.pid = seen.servicePid;
  } else {
    status.pid = seen.publishedPid;
  }
  status.serviceLoaded = seen.answering || status.pid.has_value() || seen.serviceLoaded;

  std::string service = "none";
  if (seen.serviceLoaded) service = seen.serviceKind;
  else if (seen.serviceJobExists) service = seen.serviceKind + ", not loaded";
  status.extra.emplace_back("service", service);
  if (seen.serviceJobExists && seen.serviceProgram) status.extra.emplace_back("service program", *seen.serviceProgram);
  if (seen.servicePid) status.extra.emplace_back("service pid", std::to_string(*seen.servicePid));

  std::string state;
  if (seen.answering) {
    state = "serving";
    if (seen.servicePid && seen.answeringPid && *seen.servicePid != *seen.answeringPid) {
      state += ", but not as the service's process (pid " + std::to_string(*seen.servicePid) + ")";
    } else if (!seen.serviceLoaded) {
      state += ", started outside the service";
    }
  } else if (status.pid) {
    state = "running, but not answering on its control socket";
  } else if (seen.serviceLoaded) {
    state = "not running; the service is loaded and starts it again";
  } else {
    state = "stopped";
  }
  status.extra.emplace_back("state", state);
  return status;
}

}  // namespace vesket::daemon
