#pragma once

#include <optional>
#include <string>
#include <vector>

#include "control_plane/core/pane_entry.h"
#include "crew/core/crew_records.h"
#include "crew/core/tag_pool.h"

namespace vesket::crew {

// One member of a team or group as the teams view shows it.
struct CrewMember {
  std::string paneId;
  std::string role = "worker";
  std::optional<std::string> takeoverHomeWindowId;
  std::optional<std::string> model;
  std::optional<std::string> state;  // "working", "idle", "blocked", "unknown"
  std::optional<double> contextPct;
  std::optional<std::string> statusReason;
  std::optional<std::string> task;
  std::optional<TagKey> tag;

  bool operator==(const CrewMember&) const = default;
};

// A team, an agent group or a loose terminal window of the active machine.
struct CrewInfo {
  std::string crewId;
  std::string project;
  std::optional<std::string> displayName;
  std::string managerPaneId;
  std::string managerModel;
  std::string lifecycle;
  std::vector<CrewMember> members;
  bool isAgentGroup = false;
  bool isLooseWindow = false;
  std::optional<std::string> windowId;
  std::optional<double> createdAt;
  std::optional<double> lastActivityAt;
  std::optional<std::string> agentGroupKind;

  bool operator==(const CrewInfo&) const = default;
};

// The decisions of the team manager that need no I/O.
namespace CrewControl {

// "1 mgr + 3 workers" ("worker" for one).
std::string crewSizeCaption(int workerCount);

// The arguments of the product tool for each action on this machine.
std::vector<std::string> crewCreateArgs(const std::string& project, int workerCount, const std::string& model,
                                        const std::string& task, const std::string& kind);
std::vector<std::string> addWorkersArgs(const std::string& crewId, int count);
std::vector<std::string> agentGroupCreateArgs(int count, const std::string& kind, const std::string& name);
std::vector<std::string> agentGroupAddArgs(const std::string& windowId, const std::string& kind);

// Only 2, 4, 6 or 8 panes keep an agent group's two rows.
bool isValidAgentGroupSize(int count);

// The live state of a member pane: state and reason from its pane entry, or "unknown"
// with the reason when the pane is not in the live list.
std::pair<std::string, std::optional<std::string>> memberState(const control_plane::PaneEntry* pane);

// A team from the registry, its members' status files and router state, merged with the
// live panes.
CrewInfo crewInfo(const RegistryCrew& crew, const std::vector<std::optional<PaneStatus>>& statuses,
                  const RouterState& router, const std::vector<control_plane::PaneEntry>& livePanes);

// Agent groups (windows the daemon marks "group") and loose terminal windows ("terminal")
// of a pane list.
std::vector<CrewInfo> groupInfos(const std::vector<control_plane::PaneEntry>& panes);
// Teams from pane rows that carry crew fields (another machine's panes through the relay).
std::vector<CrewInfo> crewInfos(const std::vector<control_plane::PaneEntry>& panes);

// Teams first (by project, then creation), then groups, then loose windows.
void sortRoster(std::vector<CrewInfo>& crews);

// A task text fit for one line: white space collapsed, at most 80 characters.
std::string displayableTaskLabel(const std::string& task);

// Whether a kind is an agent's ("claude", "codex", "gemini", "opencode"), not a shell.
bool isAgentKind(const std::string& kind);

}  // namespace CrewControl

}  // namespace vesket::crew
