#include "shell/core/launchctl_verdict.h"

#include <algorithm>

namespace vesket::shell::DesktopIsolation {
namespace {

bool namesProductionJob(std::string_view argument) {
  const auto slash = argument.rfind('/');
  const auto lastPiece = slash == std::string_view::npos ? argument : argument.substr(slash + 1);
  return std::find(std::begin(productionLaunchLabels), std::end(productionLaunchLabels),
                   lastPiece) != std::end(productionLaunchLabels);
}

}  // namespace

LaunchctlVerdict launchctlVerdict(const std::vector<std::string>& arguments,
                                  const std::optional<Context>& context, std::uint32_t uid) {
  if (!context) return LaunchctlVerdict::allow();
  if (arguments.empty()) return LaunchctlVerdict::refuse("no subcommand");

  for (const auto& argument : arguments) {
    if (namesProductionJob(argument)) {
      return LaunchctlVerdict::refuse("names the production launchd job (" + argument + ")");
    }
  }

  const std::string& subcommand = arguments.front();
  if (subcommand == "list") {
    if (arguments.size() == 1) return LaunchctlVerdict::allow();
    return LaunchctlVerdict::refuse("list takes no label in isolated mode");
  }

  if (!context->launchLabel || !context->launchLabel->starts_with(testLaunchLabelPrefix)) {
    return LaunchctlVerdict::refuse("no isolated launchd label can be derived for home " +
                                    context->vesketHome);
  }

  const std::string target = "gui/" + std::to_string(uid) + "/" + *context->launchLabel;
  if (subcommand == "print" || subcommand == "bootout" || subcommand == "kickstart") {
    std::vector<std::string_view> targets;
    for (auto it = arguments.begin() + 1; it != arguments.end(); ++it) {
      if (!it->starts_with('-')) targets.emplace_back(*it);
    }
    if (targets.size() == 1 && targets.front() == target) return LaunchctlVerdict::allow();
    return LaunchctlVerdict::refuse(subcommand + " may only address " + target);
  }
  if (subcommand == "bootstrap") {
    return LaunchctlVerdict::refuse("an isolated instance never loads a launchd job");
  }
  return LaunchctlVerdict::refuse("subcommand " + subcommand + " is not permitted in isolated mode");
}

std::string launchctlRefusalLine(const std::vector<std::string>& arguments,
                                 std::string_view reason) {
  std::string line = "launchctl";
  for (const auto& argument : arguments) {
    line.push_back(' ');
    line.append(argument);
  }
  line.append(" REFUSED in isolated mode: ");
  line.append(reason);
  line.push_back('\n');
  return line;
}

}  // namespace vesket::shell::DesktopIsolation
