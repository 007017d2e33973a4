#pragma once

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <vector>

namespace vesket::control_plane {

// The records the daemon sends about a pane: the pane itself and the rows it carries.
// Each decodes strictly from the JSON object keyed by its field names (required fields
// present with their type, optional ones missing or null) and throws DecodingError
// otherwise; toJson writes the same keys and leaves absent fields out. Times are numbers in
// the daemon's own unit and epoch: compare and order them, nothing more.

// A task assigned to a pane.
struct AssignmentRow {
  std::string paneId;
  std::optional<std::string> crewId;
  std::string task;
  std::string state;  // as the daemon names it
  double assignedAt = 0;
  std::int64_t queuePos = 0;  // position in the pane's task queue

  static AssignmentRow fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const AssignmentRow&, const AssignmentRow&) = default;
};

// An agent team (crew).
struct CrewRow {
  std::string crewId;
  std::string project;
  std::string managerPaneId;
  std::string lifecycle;  // as the daemon names it
  std::string createdBy;
  double createdAt = 0;

  static CrewRow fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const CrewRow&, const CrewRow&) = default;
};

// Labels the user gave a pane.
struct PaneLabelRow {
  std::string paneId;
  std::optional<std::string> role;
  std::optional<std::string> customName;  // when non-empty, wins over every other label
  std::optional<std::string> topicTag;

  static PaneLabelRow fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const PaneLabelRow&, const PaneLabelRow&) = default;
};

// One choice of an agent prompt; `value` is what the option stands for (its number, or the
// key the agent takes for it).
struct AgentPromptOption {
  std::int64_t index = 0;  // 1-based, the number the application answers with
  std::string label;
  std::string value;

  static AgentPromptOption fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const AgentPromptOption&, const AgentPromptOption&) = default;
};

// What an agent waits for, as its own hooks told the daemon (Claude Code's permission
// dialog, its questions, its idle prompt): the daemon's second source of awaiting prompts
// beside the marker lines the application reads from pane text. Answering option n with
// the "answer" command (choice n, promptId = `id`) makes the daemon press that option's keys.
struct AgentPromptRow {
  std::string id;        // unique per prompt; contains ":" so it never equals a marker id
  std::string kind;      // "permission", "question" or "waiting" (for its next message)
  std::string question;
  std::vector<AgentPromptOption> options;
  std::string style;     // an approval selection style ("numbered", "free-text-prompt", ...)
  std::string source;    // which hook reported it ("claude-hook")
  double raisedAt = 0;   // milliseconds since the epoch

  static AgentPromptRow fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const AgentPromptRow&, const AgentPromptRow&) = default;
};

// One tmux pane as the daemon reports it. `paneId` ("%" and a number) is the pane's
// identity everywhere in the application.
struct PaneEntry {
  std::string paneId;
  std::string label;  // the daemon's short label, the last-resort sidebar label
  double registeredAt = 0;
  std::string sessionName;
  std::int64_t windowIndex = 0;
  std::string windowId;  // panes are grouped by it
  std::string windowName;
  std::optional<std::string> windowKind;  // "group" marks an agent-group window
  std::optional<bool> soloWindow;         // the window holds one stand-alone agent
  std::optional<double> groupCreatedAt;
  std::int64_t paneIndex = 0;
  std::string paneTitle;
  std::string cwdBasename;  // last path component of the working directory
  std::string cmd;          // the pane's current command
  std::string topicPreview;
  std::int64_t paneWidth = 0;        // columns
  std::optional<std::string> role;   // "manager", "worker", "coworker" (not normalised)
  std::optional<std::string> crewId;
  std::optional<std::string> crewProject;
  std::optional<std::string> managerModel;
  std::optional<double> crewCreatedAt;
  std::optional<double> contextPct;  // context usage in per cent, as reported
  std::optional<std::string> model;
  std::optional<std::string> modelLabel;  // the model chip
  std::optional<std::string> modelReason;
  std::optional<std::string> modelObservation;
  std::optional<std::string> modelSource;
  std::optional<std::string> task;
  std::optional<std::string> load;  // "light" and "heavy" mean the agent is running
  std::optional<std::string> crewAlert;
  std::optional<std::string> crewAlertSummary;
  std::optional<std::string> fdaBlockedPath;  // a path denied for lack of full disk access
  std::optional<AssignmentRow> assignment;
  std::optional<CrewRow> crew;
  std::optional<PaneLabelRow> paneLabel;
  std::optional<std::string> takeoverHomeWindowId;  // home window of a parked pane
  std::optional<std::string> agentKind;  // "claude", "codex", "gemini", "opencode", "shell"...
  std::optional<AgentPromptRow> agentPrompt;  // what the agent waits for, from its hooks

  static PaneEntry fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const PaneEntry&, const PaneEntry&) = default;
};

}  // namespace vesket::control_plane
