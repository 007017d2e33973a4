#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/core/desktop_isolation.h"

namespace vesket::shell::DesktopIsolation {

// Whether this instance may run a service-manager command line (subcommand first:
// print, bootout, bootstrap, kickstart, list). The verbs are launchctl's; the Linux service
// manager offers the same ones, so the same rules guard it.
struct LaunchctlVerdict {
  std::optional<std::string> refusal;  // nothing: allow

  static LaunchctlVerdict allow() { return {}; }
  static LaunchctlVerdict refuse(std::string reason) { return {std::move(reason)}; }
  bool allowed() const { return !refusal.has_value(); }

  bool operator==(const LaunchctlVerdict&) const = default;
};

using ServiceManagerVerdict = LaunchctlVerdict;

// The daemon job labels of the real installation: the current one and the legacy one.
inline constexpr std::string_view productionLaunchLabels[] = {"com.vesket.daemon",
                                                              "com.durnvale.daemon"};

// Rules, in order: a normal instance may run anything; an isolated one may list jobs, and
// may print, boot out or kick-start only its own "gui/<uid>/<launchLabel>" target; it never
// loads a job and never names a production job.
LaunchctlVerdict launchctlVerdict(const std::vector<std::string>& arguments,
                                  const std::optional<Context>& context, std::uint32_t uid);

inline ServiceManagerVerdict serviceManagerVerdict(const std::vector<std::string>& arguments,
                                                   const std::optional<Context>& context,
                                                   std::uint32_t uid) {
  return launchctlVerdict(arguments, context, uid);
}

// The line logged for a refused command line, newline included.
std::string launchctlRefusalLine(const std::vector<std::string>& arguments,
                                 std::string_view reason);

}  // namespace vesket::shell::DesktopIsolation
