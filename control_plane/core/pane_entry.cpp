#include "control_plane/core/pane_entry.h"

#include "control_plane/core/json_codec.h"

namespace vesket::control_plane {

namespace {

using json_codec::field;

constexpr auto kAssignmentRow = json_codec::record<AssignmentRow>(
    "AssignmentRow",
    field("paneId", &AssignmentRow::paneId),
    field("crewId", &AssignmentRow::crewId),
    field("task", &AssignmentRow::task),
    field("state", &AssignmentRow::state),
    field("assignedAt", &AssignmentRow::assignedAt),
    field("queuePos", &AssignmentRow::queuePos));

constexpr auto kCrewRow = json_codec::record<CrewRow>(
    "CrewRow",
    field("crewId", &CrewRow::crewId),
    field("project", &CrewRow::project),
    field("managerPaneId", &CrewRow::managerPaneId),
    field("lifecycle", &CrewRow::lifecycle),
    field("createdBy", &CrewRow::createdBy),
    field("createdAt", &CrewRow::createdAt));

constexpr auto kPaneLabelRow = json_codec::record<PaneLabelRow>(
    "PaneLabelRow",
    field("paneId", &PaneLabelRow::paneId),
    field("role", &PaneLabelRow::role),
    field("customName", &PaneLabelRow::customName),
    field("topicTag", &PaneLabelRow::topicTag));

constexpr auto kAgentPromptOption = json_codec::record<AgentPromptOption>(
    "AgentPromptOption",
    field("index", &AgentPromptOption::index),
    field("label", &AgentPromptOption::label),
    field("value", &AgentPromptOption::value));

constexpr auto kAgentPromptRow = json_codec::record<AgentPromptRow>(
    "AgentPromptRow",
    field("id", &AgentPromptRow::id),
    field("kind", &AgentPromptRow::kind),
    field("question", &AgentPromptRow::question),
    json_codec::defaulted("options", &AgentPromptRow::options),
    field("style", &AgentPromptRow::style),
    field("source", &AgentPromptRow::source),
    field("raisedAt", &AgentPromptRow::raisedAt));

constexpr auto kPaneEntry = json_codec::record<PaneEntry>(
    "PaneEntry",
    field("paneId", &PaneEntry::paneId),
    field("label", &PaneEntry::label),
    field("registeredAt", &PaneEntry::registeredAt),
    field("sessionName", &PaneEntry::sessionName),
    field("windowIndex", &PaneEntry::windowIndex),
    field("windowId", &PaneEntry::windowId),
    field("windowName", &PaneEntry::windowName),
    field("windowKind", &PaneEntry::windowKind),
    field("soloWindow", &PaneEntry::soloWindow),
    field("groupCreatedAt", &PaneEntry::groupCreatedAt),
    field("paneIndex", &PaneEntry::paneIndex),
    field("paneTitle", &PaneEntry::paneTitle),
    field("cwdBasename", &PaneEntry::cwdBasename),
    field("cmd", &PaneEntry::cmd),
    field("topicPreview", &PaneEntry::topicPreview),
    field("paneWidth", &PaneEntry::paneWidth),
    field("role", &PaneEntry::role),
    field("crewId", &PaneEntry::crewId),
    field("crewProject", &PaneEntry::crewProject),
    field("managerModel", &PaneEntry::managerModel),
    field("crewCreatedAt", &PaneEntry::crewCreatedAt),
    field("contextPct", &PaneEntry::contextPct),
    field("model", &PaneEntry::model),
    field("modelLabel", &PaneEntry::modelLabel),
    field("modelReason", &PaneEntry::modelReason),
    field("modelObservation", &PaneEntry::modelObservation),
    field("modelSource", &PaneEntry::modelSource),
    field("task", &PaneEntry::task),
    field("load", &PaneEntry::load),
    field("crewAlert", &PaneEntry::crewAlert),
    field("crewAlertSummary", &PaneEntry::crewAlertSummary),
    field("fdaBlockedPath", &PaneEntry::fdaBlockedPath),
    field("assignment", &PaneEntry::assignment),
    field("crew", &PaneEntry::crew),
    field("paneLabel", &PaneEntry::paneLabel),
    field("takeoverHomeWindowId", &PaneEntry::takeoverHomeWindowId),
    field("agentKind", &PaneEntry::agentKind),
    field("agentPrompt", &PaneEntry::agentPrompt));

}  // namespace

AssignmentRow AssignmentRow::fromJson(const nlohmann::json& json) {
  return kAssignmentRow.decode(json);
}
nlohmann::json AssignmentRow::toJson() const { return kAssignmentRow.encode(*this); }

CrewRow CrewRow::fromJson(const nlohmann::json& json) { return kCrewRow.decode(json); }
nlohmann::json CrewRow::toJson() const { return kCrewRow.encode(*this); }

PaneLabelRow PaneLabelRow::fromJson(const nlohmann::json& json) {
  return kPaneLabelRow.decode(json);
}
nlohmann::json PaneLabelRow::toJson() const { return kPaneLabelRow.encode(*this); }

AgentPromptOption AgentPromptOption::fromJson(const nlohmann::json& json) { return kAgentPromptOption.decode(json); }
nlohmann::json AgentPromptOption::toJson() const { return kAgentPromptOption.encode(*this); }

AgentPromptRow AgentPromptRow::fromJson(const nlohmann::json& json) { return kAgentPromptRow.decode(json); }
nlohmann::json AgentPromptRow::toJson() const { return kAgentPromptRow.encode(*this); }

PaneEntry PaneEntry::fromJson(const nlohmann::json& json) { return kPaneEntry.decode(json); }
nlohmann::json PaneEntry::toJson() const { return kPaneEntry.encode(*this); }

}  // namespace vesket::control_plane
