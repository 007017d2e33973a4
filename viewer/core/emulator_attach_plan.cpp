#include "viewer/core/emulator_attach_plan.h"

namespace vesket::viewer {

namespace {
std::vector<std::string> resizeBack(const EmulatorAttachPlan& plan) {
  return {"resize-window", "-t", plan.targetWindowId, "-x", std::to_string(plan.windowWidth), "-y",
          std::to_string(plan.windowHeight)};
}
}  // namespace

std::vector<EmulatorAttachPlan::Command> EmulatorAttachPlan::preAttachSizeGuard() const {
  if (mode != EmulatorAttachMode::protectedAgent) return {};
  return {resizeBack(*this)};
}

std::vector<EmulatorAttachPlan::Command> EmulatorAttachPlan::viewerSessionSetup() const {
  return {
      {"new-session", "-d", "-P", "-F", "#{window_id}", "-s", viewerSession},
      {"set-option", "-t", viewerSession, "status", "off"},
      {"set-option", "-t", viewerSession, "mouse", "off"},
      {"link-window", "-s", targetWindowId, "-t", viewerSession + ":99"},
      {"kill-window", "-t", kInitialWindowPlaceholder},
      {"select-pane", "-t", targetPaneId},
  };
}

EmulatorAttachPlan::Command EmulatorAttachPlan::attachArgs() const {
  Command args = {"attach-session", "-t", viewerSession};
  if (mode == EmulatorAttachMode::protectedAgent) {
    args.push_back("-f");
    args.push_back("ignore-size");
  }
  return args;
}

std::vector<EmulatorAttachPlan::Command> EmulatorAttachPlan::teardownCommands() const {
  std::vector<Command> commands = {{"kill-session", "-t", viewerSession}};
  if (mode == EmulatorAttachMode::protectedAgent) {
    commands.push_back(resizeBack(*this));
    if (priorWindowSize) {
      commands.push_back({"set-option", "-w", "-t", targetWindowId, "window-size", *priorWindowSize});
    } else {
      commands.push_back({"set-option", "-w", "-u", "-t", targetWindowId, "window-size"});
    }
  }
  if (priorActivePaneId && *priorActivePaneId != targetPaneId) {
    commands.push_back({"select-pane", "-t", *priorActivePaneId});
  }
  return commands;
}

}  // namespace vesket::viewer
