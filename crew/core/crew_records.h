#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace vesket::crew {

// The records the crew tools print and write, and the relay's answers about teams. Each
// decodes strictly by its field names (control_plane's json_codec): required fields must be
// present, optional ones may be missing or null.

struct RegistryMember {
  std::string paneId;
  std::optional<std::string> role;       // "manager" or "worker"
  std::optional<std::string> model;
  std::optional<std::string> agentKind;  // the agent kind the pane was started with

  static RegistryMember fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const RegistryMember&, const RegistryMember&) = default;
};

// One agent team: a manager pane and its workers in one tmux window.
struct RegistryCrew {
  std::string crewId;
  std::string project;
  std::optional<std::string> displayName;
  std::string managerPaneId;
  std::optional<std::string> managerModel;
  std::optional<std::string> workerModel;
  std::optional<std::string> lifecycle;  // "active"; "disbanded" in a disband record
  std::vector<RegistryMember> members;
  std::optional<std::string> windowId;
  std::optional<std::string> agentKind;  // the workers' agent kind at creation
  std::optional<double> createdAt;       // milliseconds since the epoch
  std::optional<double> disbandedAt;

  static RegistryCrew fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const RegistryCrew&, const RegistryCrew&) = default;
};

// What `crew-registry.sh list` prints.
struct RegistryList {
  std::vector<RegistryCrew> crews;

  static RegistryList fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const RegistryList&, const RegistryList&) = default;
};

// A window of agent panes without a manager, laid out in two rows.
struct AgentGroupRecord {
  std::string windowId;
  std::string kind;  // the agent kind of its panes
  std::optional<std::string> name;
  std::vector<std::string> panes;
  double createdAt = 0;

  static AgentGroupRecord fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const AgentGroupRecord&, const AgentGroupRecord&) = default;
};

// One pane's status file.
struct PaneStatus {
  std::string paneId;
  std::optional<std::string> role;
  std::optional<std::string> model;
  std::optional<std::string> state;
  std::optional<double> contextPct;
  std::optional<std::string> task;

  static PaneStatus fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const PaneStatus&, const PaneStatus&) = default;
};

struct RouterAssignment {
  std::optional<std::string> taskId;
  std::optional<double> assignedAt;

  static RouterAssignment fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const RouterAssignment&, const RouterAssignment&) = default;
};

struct RouterTaskMeta {
  std::optional<std::string> matchedTag;
  std::optional<std::string> difficulty;
  std::optional<std::string> paneId;
  std::optional<std::string> brief;
  std::optional<std::string> reason;  // why the router chose that worker

  static RouterTaskMeta fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const RouterTaskMeta&, const RouterTaskMeta&) = default;
};

// One team's router file: which pane holds which task, and what each task was matched to.
struct RouterState {
  std::map<std::string, RouterAssignment> assignments;  // by pane id
  std::map<std::string, RouterTaskMeta> taskMeta;       // by task id

  static RouterState fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const RouterState&, const RouterState&) = default;
};

// The relay's answer to a team, group or spawn request.
struct CrewCreateResult {
  bool ok = false;
  std::optional<std::string> crewId;
  std::optional<std::vector<std::string>> panes;
  std::optional<std::string> error;

  static CrewCreateResult fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const CrewCreateResult&, const CrewCreateResult&) = default;
};

struct CrewErrorBody {
  std::optional<std::string> error;
  std::optional<std::string> machineName;
  std::optional<std::string> currentVersion;
  std::optional<std::string> requiredVersion;

  static CrewErrorBody fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const CrewErrorBody&, const CrewErrorBody&) = default;
};

}  // namespace vesket::crew
