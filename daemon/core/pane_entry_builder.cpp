#include "daemon/core/pane_entry_builder.h"

#include "daemon/core/utf8_repair.h"

namespace vesket::daemon::PaneEntryBuilder {

std::string basename(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  if (path == "/") return "/";
  const auto slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string label(const RawPane& pane) {
  std::string dir = basename(pane.currentPath);
  if (!dir.empty()) return dir;
  if (!pane.currentCommand.empty()) return pane.currentCommand;
  return pane.sessionName + ":" + std::to_string(pane.windowIndex) + "." + std::to_string(pane.paneIndex);
}

std::string paneTitle(const RawPane& pane) {
  if (!pane.host.empty()) {
    const std::string_view host(pane.host);
    if (pane.paneTitle == host || pane.paneTitle == host.substr(0, host.find('.'))) return {};
  }
  return pane.paneTitle;
}

control_plane::PaneEntry build(const RawPane& pane, const PaneFacts& facts) {
  control_plane::PaneEntry e;
  // Names and titles are tmux's (already clean); the directory and command come from the
  // system and may be any bytes.
  e.paneId = pane.paneId;
  e.label = repairUtf8(label(pane));
  e.registeredAt = facts.registeredAt;
  e.sessionName = repairUtf8(pane.sessionName);
  e.windowIndex = pane.windowIndex;
  e.windowId = pane.windowId;
  e.windowName = repairUtf8(pane.windowName);
  e.paneIndex = pane.paneIndex;
  e.paneTitle = repairUtf8(paneTitle(pane));
  e.cwdBasename = repairUtf8(basename(pane.currentPath));
  e.cmd = repairUtf8(pane.currentCommand);
  e.topicPreview = repairUtf8(facts.transcript.topicPreview.value_or(""));
  e.paneWidth = pane.paneWidth;
  e.contextPct = facts.transcript.contextPct;
  e.model = facts.transcript.model;
  e.modelLabel = facts.transcript.modelLabel;
  if (facts.transcript.model) e.modelSource = "transcript";
  if (!facts.load.empty()) e.load = facts.load;
  if (!facts.agentKind.empty()) e.agentKind = facts.agentKind;
  if (!pane.customName.empty()) {
    e.paneLabel = control_plane::PaneLabelRow{.paneId = pane.paneId, .customName = repairUtf8(pane.customName)};
  }
  return e;
}

}  // namespace vesket::daemon::PaneEntryBuilder
