#include "crew/core/crew_records.h"

#include "control_plane/core/json_codec.h"

namespace vesket::crew {

namespace json_codec = control_plane::json_codec;
using json_codec::defaulted;
using json_codec::field;

namespace {

constexpr auto kMember = json_codec::record<RegistryMember>(
    "RegistryMember", field("paneId", &RegistryMember::paneId), field("role", &RegistryMember::role),
    field("model", &RegistryMember::model), field("agentKind", &RegistryMember::agentKind));

constexpr auto kCrew = json_codec::record<RegistryCrew>(
    "RegistryCrew", field("crewId", &RegistryCrew::crewId), field("project", &RegistryCrew::project),
    field("displayName", &RegistryCrew::displayName), field("managerPaneId", &RegistryCrew::managerPaneId),
    field("managerModel", &RegistryCrew::managerModel), field("workerModel", &RegistryCrew::workerModel),
    field("lifecycle", &RegistryCrew::lifecycle), field("members", &RegistryCrew::members),
    field("windowId", &RegistryCrew::windowId), field("agentKind", &RegistryCrew::agentKind),
    field("createdAt", &RegistryCrew::createdAt), field("disbandedAt", &RegistryCrew::disbandedAt));

constexpr auto kList = json_codec::record<RegistryList>("RegistryList", field("crews", &RegistryList::crews));

constexpr auto kGroup = json_codec::record<AgentGroupRecord>(
    "AgentGroupRecord", field("windowId", &AgentGroupRecord::windowId), field("kind", &AgentGroupRecord::kind),
    field("name", &AgentGroupRecord::name), defaulted("panes", &AgentGroupRecord::panes),
    defaulted("createdAt", &AgentGroupRecord::createdAt));

constexpr auto kStatus = json_codec::record<PaneStatus>(
    "PaneStatus", field("paneId", &PaneStatus::paneId), field("role", &PaneStatus::role),
    field("model", &PaneStatus::model), field("state", &PaneStatus::state),
    field("contextPct", &PaneStatus::contextPct), field("task", &PaneStatus::task));

constexpr auto kAssignment = json_codec::record<RouterAssignment>(
    "RouterAssignment", field("taskId", &RouterAssignment::taskId), field("assignedAt", &RouterAssignment::assignedAt));

constexpr auto kTaskMeta = json_codec::record<RouterTaskMeta>(
    "RouterTaskMeta", field("matchedTag", &RouterTaskMeta::matchedTag),
    field("difficulty", &RouterTaskMeta::difficulty), field("paneId", &RouterTaskMeta::paneId),
    field("brief", &RouterTaskMeta::brief), field("reason", &RouterTaskMeta::reason));

constexpr auto kRouter = json_codec::record<RouterState>(
    "RouterState", defaulted("assignments", &RouterState::assignments), defaulted("taskMeta", &RouterState::taskMeta));

constexpr auto kCreate = json_codec::record<CrewCreateResult>(
    "CrewCreateResult", field("ok", &CrewCreateResult::ok), field("crewId", &CrewCreateResult::crewId),
    field("panes", &CrewCreateResult::panes), field("error", &CrewCreateResult::error));

constexpr auto kErrorBody = json_codec::record<CrewErrorBody>(
    "CrewErrorBody", field("error", &CrewErrorBody::error), field("machineName", &CrewErrorBody::machineName),
    field("currentVersion", &CrewErrorBody::currentVersion), field("requiredVersion", &CrewErrorBody::requiredVersion));

}  // namespace

RegistryMember RegistryMember::fromJson(const nlohmann::json& json) { return kMember.decode(json); }
nlohmann::json RegistryMember::toJson() const { return kMember.encode(*this); }
RegistryCrew RegistryCrew::fromJson(const nlohmann::json& json) { return kCrew.decode(json); }
nlohmann::json RegistryCrew::toJson() const { return kCrew.encode(*this); }
RegistryList RegistryList::fromJson(const nlohmann::json& json) { return kList.decode(json); }
nlohmann::json RegistryList::toJson() const { return kList.encode(*this); }
AgentGroupRecord AgentGroupRecord::fromJson(const nlohmann::json& json) { return kGroup.decode(json); }
nlohmann::json AgentGroupRecord::toJson() const { return kGroup.encode(*this); }
PaneStatus PaneStatus::fromJson(const nlohmann::json& json) { return kStatus.decode(json); }
nlohmann::json PaneStatus::toJson() const { return kStatus.encode(*this); }
RouterAssignment RouterAssignment::fromJson(const nlohmann::json& json) { return kAssignment.decode(json); }
nlohmann::json RouterAssignment::toJson() const { return kAssignment.encode(*this); }
RouterTaskMeta RouterTaskMeta::fromJson(const nlohmann::json& json) { return kTaskMeta.decode(json); }
nlohmann::json RouterTaskMeta::toJson() const { return kTaskMeta.encode(*this); }
RouterState RouterState::fromJson(const nlohmann::json& json) { return kRouter.decode(json); }
nlohmann::json RouterState::toJson() const { return kRouter.encode(*this); }
CrewCreateResult CrewCreateResult::fromJson(const nlohmann::json& json) { return kCreate.decode(json); }
nlohmann::json CrewCreateResult::toJson() const { return kCreate.encode(*this); }
CrewErrorBody CrewErrorBody::fromJson(const nlohmann::json& json) { return kErrorBody.decode(json); }
nlohmann::json CrewErrorBody::toJson() const { return kErrorBody.encode(*this); }

}  // namespace vesket::crew
