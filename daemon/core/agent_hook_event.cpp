#include "daemon/core/agent_hook_event.h"

#include <stdexcept>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace vesket::daemon {

namespace {

using Json = nlohmann::json;
using control_plane::AgentPromptOption;

constexpr std::size_t kDetailLimit = 300;

std::string text(const Json& object, const char* key) {
  if (!object.is_object()) return {};
  const auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get<std::string>() : std::string();
}

std::string shortened(std::string value) {
  if (value.size() <= kDetailLimit) return value;
  std::size_t cut = kDetailLimit;
  while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
  return value.substr(0, cut) + "…";
}

// What the tool is about to do, in the words the agent's own dialog uses.
std::string toolDetail(const std::string& tool, const Json& input) {
  for (const char* key : {"command", "file_path", "notebook_path", "url", "pattern", "query", "path"}) {
    if (const std::string value = text(input, key); !value.empty()) return shortened(value);
  }
  if (input.is_object() && !input.empty()) return shortened(input.dump(-1, ' ', false, Json::error_handler_t::replace));
  return tool;
}

AgentHookAction raise(AgentPrompt prompt) {
  AgentHookAction action;
  action.kind = AgentHookAction::Kind::raise;
  action.prompt = std::move(prompt);
  return action;
}

AgentHookAction clear() { return AgentHookAction{AgentHookAction::Kind::clear, std::nullopt, false}; }
AgentHookAction ignore() { return AgentHookAction{}; }

AgentPrompt prompt(const std::string& id, const std::string& kind, std::string question, const std::string& style,
                   double nowMs) {
  AgentPrompt out;
  out.row.id = id;
  out.row.kind = kind;
  out.row.question = std::move(question);
  out.row.style = style;
  out.row.source = "claude-hook";
  out.row.raisedAt = nowMs;
  return out;
}

void addOption(AgentPrompt& prompt, const std::string& label, std::vector<std::string> keys) {
  const auto index = static_cast<std::int64_t>(prompt.row.options.size() + 1);
  prompt.row.options.push_back(AgentPromptOption{index, label, keys.empty() ? std::string() : keys.front()});
  prompt.optionKeys.push_back(std::move(keys));
}

// Claude Code's permission dialog numbers its choices: 1 allows once, 2 (when it can offer
// to remember the rule) allows from now on, the last one refuses.
AgentPrompt permissionPrompt(const Json& event, const std::string& id, double nowMs) {
  const std::string tool = text(event, "tool_name").empty() ? "a tool" : text(event, "tool_name");
  const Json input = event.is_object() && event.contains("tool_input") ? event["tool_input"] : Json::object();
  AgentPrompt out = prompt(id, "permission",
                           fmt::format("Claude Code wants to use {}: {}\nDo you want to proceed?", tool, toolDetail(tool, input)),
                           "numbered", nowMs);
  addOption(out, "Yes", {"1"});
  const auto suggestions = event.find("permission_suggestions");
  if (suggestions != event.end() && suggestions->is_array() && !suggestions->empty()) {
    addOption(out, "Yes, and don't ask again", {"2"});
  }
  addOption(out, "No, and tell Claude what to do differently", {std::to_string(out.row.options.size() + 1)});
  return out;
}

// AskUserQuestion: the first question with its choices, numbered as the agent shows them.
std::optional<AgentPrompt> questionPrompt(const Json& input, const std::string& id, double nowMs) {
  const auto questions = input.is_object() ? input.find("questions") : input.end();
  if (!input.is_object() || questions == input.end() || !questions->is_array() || questions->empty()) return std::nullopt;
  const Json& first = (*questions)[0];
  std::string question = text(first, "question");
  if (question.empty()) return std::nullopt;
  if (questions->size() > 1) question += fmt::format(" (question 1 of {})", questions->size());
  AgentPrompt out = prompt(id, "question", question, "numbered", nowMs);
  const auto options = first.find("options");
  if (options != first.end() && options->is_array()) {
    for (const Json& option : *options) {
      std::string label = option.is_string() ? option.get<std::string>() : text(option, "label");
      if (label.empty()) continue;
      addOption(out, label, {std::to_string(out.row.options.size() + 1)});
    }
  }
  if (out.row.options.empty()) out.row.style = "free-text-prompt";
  return out;
}

AgentPrompt waitingPrompt(const std::string& message, const std::string& id, double nowMs) {
  return prompt(id, "waiting", message.empty() ? "Claude Code is waiting for your next message." : message,
                "free-text-prompt", nowMs);
}

}  // namespace

AgentHookAction ClaudeHookEvent::interpret(const Json& event, const std::string& id, double nowMs) {
  if (!event.is_object()) throw std::invalid_argument("the hook event is not a JSON object");
  const std::string name = text(event, "hook_event_name");
  if (name.empty()) throw std::invalid_argument("the hook event has no \"hook_event_name\"");

  if (name == "PermissionRequest") return raise(permissionPrompt(event, id, nowMs));
  if (name == "PreToolUse") {
    if (text(event, "tool_name") != "AskUserQuestion") return clear();
    auto question = questionPrompt(event.contains("tool_input") ? event["tool_input"] : Json(), id, nowMs);
    return question ? raise(std::move(*question)) : ignore();
  }
  if (name == "Notification") {
    std::string type = text(event, "notification_type");
    const std::string message = text(event, "message");
    if (type.empty() && message.find("permission") != std::string::npos) type = "permission_prompt";
    if (type == "permission_prompt") {
      AgentPrompt out = prompt(id, "permission", message.empty() ? "Claude Code needs your permission." : message,
                               "numbered", nowMs);
      addOption(out, "Yes", {"1"});
      addOption(out, "No", {"Escape"});
      AgentHookAction action = raise(std::move(out));
      action.onlyIfNoneOpen = true;
      return action;
    }
    if (type == "idle_prompt") {
      AgentHookAction action = raise(waitingPrompt(message, id, nowMs));
      action.onlyIfNoneOpen = true;
      return action;
    }
    if (type == "elicitation_dialog") return raise(prompt(id, "question", message, "free-text-prompt", nowMs));
    return ignore();
  }
  if (name == "Stop") return raise(waitingPrompt({}, id, nowMs));
  if (name == "PostToolUse" || name == "PostToolUseFailure" || name == "UserPromptSubmit" || name == "SessionStart" ||
      name == "SessionEnd") {
    return clear();
  }
  return ignore();
}

}  // namespace vesket::daemon
