#include "crew/core/crew_info.h"

#include <algorithm>
#include <map>

namespace vesket::crew::CrewControl {

std::string crewSizeCaption(int workerCount) {
  return "1 mgr + " + std::to_string(workerCount) + " worker" + (workerCount == 1 ? "" : "s");
}

namespace {

std::string trimmedText(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return {};
  const auto end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

}  // namespace

std::vector<std::string> crewCreateArgs(const std::string& project, int workerCount, const std::string& model,
                                        const std::string& task, const std::string& kind) {
  std::vector<std::string> args = {"crew", "create", "--project", project, "--size", std::to_string(workerCount),
                                   "--model", model};
  if (const std::string trimmed = trimmedText(task); !trimmed.empty()) {
    args.push_back("--task");
    args.push_back(trimmed);
  }
  if (kind != "claude") {
    args.push_back("--agent");
    args.push_back(kind);
  }
  return args;
}

std::vector<std::string> addWorkersArgs(const std::string& crewId, int count) {
  return {"crew", "add-worker", "--crew", crewId, "--count", std::to_string(count)};
}

std::vector<std::string> agentGroupCreateArgs(int count, const std::string& kind, const std::string& name) {
  std::vector<std::string> args = {"agent-group", "create", "--count", std::to_string(count), "--model", kind};
  if (const std::string trimmed = trimmedText(name); !trimmed.empty()) {
    args.push_back("--name");
    args.push_back(trimmed);
  }
  return args;
}

std::vector<std::string> agentGroupAddArgs(const std::string& windowId, const std::string& kind) {
  return {"agent-group", "add", "--window", windowId, "--count", "2", "--model", kind};
}

bool isValidAgentGroupSize(int count) { return count >= 2 && count <= 8 && count % 2 == 0; }

std::pair<std::string, std::optional<std::string>> memberState(const control_plane::PaneEntry* pane) {
  if (!pane) return {"unknown", "Live daemon status unavailable; work state cannot be confirmed."};
  if (pane->crewAlert && (*pane->crewAlert == "blocked" || *pane->crewAlert == "workspace-missing")) {
    return {"blocked", pane->crewAlertSummary};
  }
  const std::string load = pane->load.value_or("");
  if (load == "idle") return {"idle", std::nullopt};
  if (load == "light" || load == "heavy") return {"working", std::nullopt};
  const auto summary = pane->crewAlertSummary;
  if (load == "stale") {
    return {"unknown", summary ? summary : std::optional<std::string>("The pane's last status report is stale; work state cannot be confirmed.")};
  }
  return {"unknown", summary ? summary : std::optional<std::string>("The daemon could not determine this pane's work state.")};
}

CrewInfo crewInfo(const RegistryCrew& crew, const std::vector<std::optional<PaneStatus>>& statuses,
                  const RouterState& router, const std::vector<control_plane::PaneEntry>& livePanes) {
  CrewInfo info;
  info.crewId = crew.crewId;
  info.project = crew.project;
  info.displayName = crew.displayName;
  info.managerPaneId = crew.managerPaneId;
  info.managerModel = crew.managerModel.value_or("");
  info.lifecycle = crew.lifecycle.value_or("active");
  info.windowId = crew.windowId;
  info.createdAt = crew.createdAt;
  for (std::size_t i = 0; i < crew.members.size(); ++i) {
    const RegistryMember& registered = crew.members[i];
    CrewMember member;
    member.paneId = registered.paneId;
    member.role = registered.role.value_or("worker");
    member.model = registered.model;
    const PaneStatus* status = i < statuses.size() && statuses[i] ? &*statuses[i] : nullptr;
    if (status) {
      if (status->model) member.model = status->model;
      member.contextPct = status->contextPct;
      member.task = status->task;
    }
    const auto live = std::find_if(livePanes.begin(), livePanes.end(),
                                   [&](const control_plane::PaneEntry& pane) { return pane.paneId == registered.paneId; });
    const control_plane::PaneEntry* pane = live == livePanes.end() ? nullptr : &*live;
    std::tie(member.state, member.statusReason) = memberState(pane);
    if (pane) {
      if (pane->contextPct) member.contextPct = pane->contextPct;
      if (pane->model && !pane->model->empty()) member.model = pane->model;
      if (!member.task && pane->task) member.task = pane->task;
      member.takeoverHomeWindowId = pane->takeoverHomeWindowId;
      info.lastActivityAt = std::max(info.lastActivityAt.value_or(0), pane->registeredAt);
    }
    if (const auto held = router.assignments.find(registered.paneId); held != router.assignments.end() && held->second.taskId) {
      if (const auto meta = router.taskMeta.find(*held->second.taskId); meta != router.taskMeta.end() && meta->second.matchedTag) {
        member.tag = tagKeyFromRaw(*meta->second.matchedTag);
      }
    }
    info.members.push_back(std::move(member));
  }
  return info;
}

std::vector<CrewInfo> groupInfos(const std::vector<control_plane::PaneEntry>& panes) {
  std::vector<CrewInfo> out;
  std::map<std::string, std::size_t> byWindow;
  for (const auto& pane : panes) {
    if (pane.crewId || !pane.windowKind) continue;
    const bool group = *pane.windowKind == "group";
    const bool loose = *pane.windowKind == "terminal";
    if (!group && !loose) continue;
    auto [it, added] = byWindow.emplace(pane.windowId, out.size());
    if (added) {
      CrewInfo info;
      info.crewId = (group ? "group:" : "window:") + pane.windowId;
      info.project = pane.cwdBasename;
      info.displayName = pane.windowName;
      info.managerPaneId = pane.paneId;
      info.lifecycle = "active";
      info.isAgentGroup = group;
      info.isLooseWindow = loose;
      info.windowId = pane.windowId;
      info.createdAt = pane.groupCreatedAt;
      if (group) info.agentGroupKind = pane.agentKind;
      out.push_back(std::move(info));
    }
    CrewMember member;
    member.paneId = pane.paneId;
    member.role = group ? "coworker" : "terminal";
    member.model = pane.model;
    member.contextPct = pane.contextPct;
    member.task = pane.task;
    std::tie(member.state, member.statusReason) = memberState(&pane);
    out[it->second].members.push_back(std::move(member));
  }
  return out;
}

std::vector<CrewInfo> crewInfos(const std::vector<control_plane::PaneEntry>& panes) {
  std::vector<CrewInfo> out;
  std::map<std::string, std::size_t> byCrew;
  for (const auto& pane : panes) {
    if (!pane.crewId || pane.crewId->empty()) continue;
    auto [it, added] = byCrew.emplace(*pane.crewId, out.size());
    if (added) {
      CrewInfo info;
      info.crewId = *pane.crewId;
      info.project = pane.crewProject.value_or(pane.crew ? pane.crew->project : "");
      info.managerPaneId = pane.crew ? pane.crew->managerPaneId : "";
      info.managerModel = pane.managerModel.value_or("");
      info.lifecycle = pane.crew ? pane.crew->lifecycle : "active";
      info.windowId = pane.windowId;
      info.createdAt = pane.crewCreatedAt;
      info.displayName = pane.windowName;
      out.push_back(std::move(info));
    }
    CrewMember member;
    member.paneId = pane.paneId;
    member.role = pane.role.value_or("worker");
    member.model = pane.model;
    member.contextPct = pane.contextPct;
    member.task = pane.task;
    std::tie(member.state, member.statusReason) = memberState(&pane);
    auto& info = out[it->second];
    if (member.role == "manager") {
      info.managerPaneId = pane.paneId;
      info.members.insert(info.members.begin(), std::move(member));
    } else {
      info.members.push_back(std::move(member));
    }
  }
  return out;
}

void sortRoster(std::vector<CrewInfo>& crews) {
  auto rank = [](const CrewInfo& info) { return info.isLooseWindow ? 2 : info.isAgentGroup ? 1 : 0; };
  std::stable_sort(crews.begin(), crews.end(), [&](const CrewInfo& a, const CrewInfo& b) {
    if (rank(a) != rank(b)) return rank(a) < rank(b);
    if (a.project != b.project) return a.project < b.project;
    return a.createdAt.value_or(0) < b.createdAt.value_or(0);
  });
}

std::string displayableTaskLabel(const std::string& task) {
  std::string out;
  bool space = false;
  for (const char c : task) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      space = !out.empty();
      continue;
    }
    if (space) out += ' ';
    space = false;
    out += c;
  }
  if (out.size() > 80) {
    std::size_t cut = 79;
    while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xc0) == 0x80) --cut;  // not inside a character
    out = out.substr(0, cut) + "\u2026";
  }
  return out;
}

bool isAgentKind(const std::string& kind) {
  return kind == "claude" || kind == "codex" || kind == "gemini" || kind == "opencode";
}

}  // namespace vesket::crew::CrewControl
