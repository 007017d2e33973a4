#pragma once

// What one of Claude Code's hook events means for the pane it came from. `vesket hook
// claude` passes the event's JSON (as Claude Code wrote it on the hook's standard input)
// to the daemon, which turns it into one of:
//
//   raise   the agent now waits: a permission dialog (PermissionRequest, or a
//           "permission_prompt" Notification when no dialog is known yet), a question
//           (PreToolUse of AskUserQuestion, an MCP elicitation) or its idle input prompt
//           (Stop, an "idle_prompt" Notification)
//   clear   the agent moved on (PostToolUse, UserPromptSubmit, PreToolUse of another
//           tool, SessionStart, SessionEnd)
//   ignore  nothing to tell (other notifications, unknown events)
//
// Unknown fields are ignored everywhere; events come from a program that grows new ones.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "control_plane/core/pane_entry.h"

namespace vesket::daemon {

// A prompt with the keys that answer each option (tmux key names, e.g. "1", "Escape").
struct AgentPrompt {
  control_plane::AgentPromptRow row;
  std::vector<std::vector<std::string>> optionKeys;  // per option, in option order

  friend bool operator==(const AgentPrompt&, const AgentPrompt&) = default;
};

struct AgentHookAction {
  enum class Kind { raise, clear, ignore };
  Kind kind = Kind::ignore;
  std::optional<AgentPrompt> prompt;  // for raise
  // A "permission_prompt" notification only raises a prompt when none is open (the
  // PermissionRequest that came first knows the options better).
  bool onlyIfNoneOpen = false;

  friend bool operator==(const AgentHookAction&, const AgentHookAction&) = default;
};

namespace ClaudeHookEvent {

// `event` is the hook's JSON object; `id` names the prompt it may raise; `nowMs` stamps it.
// Throws std::invalid_argument when `event` is not an object with a "hook_event_name" text.
AgentHookAction interpret(const nlohmann::json& event, const std::string& id, double nowMs);

}  // namespace ClaudeHookEvent
}  // namespace vesket::daemon
