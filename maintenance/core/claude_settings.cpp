#include "maintenance/core/claude_settings.h"

#include <fmt/format.h>

namespace vesket::maintenance::ClaudeSettings {

namespace {

nlohmann::json plain(const Json& value) { return nlohmann::json::parse(value.dump()); }

std::string shellQuote(std::string_view text) {
  std::string out = "'";
  for (const char c : text) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

Json* eventArrayOf(Json& settings, std::string_view event) {
  auto hooks = settings.find("hooks");
  if (hooks == settings.end() || !hooks->is_object()) return nullptr;
  auto array = hooks->find(std::string(event));
  if (array == hooks->end() || !array->is_array()) return nullptr;
  return &*array;
}

}  // namespace

const std::vector<VesketHook>& vesketHooks() {
  static const std::vector<VesketHook> hooks = {
      {"PermissionRequest", ""}, {"Notification", ""},     {"PreToolUse", "AskUserQuestion"},
      {"PostToolUse", ""},       {"UserPromptSubmit", ""}, {"Stop", ""},
      {"SessionEnd", ""},
  };
  return hooks;
}

std::string hookCommand(std::string_view vesketBinary, std::string_view productHome) {
  return fmt::format("VESKET_HOME={} {} hook claude", shellQuote(productHome), shellQuote(vesketBinary));
}

nlohmann::json hookGroup(const VesketHook& hook, std::string_view command) {
  nlohmann::json group = nlohmann::json::object();
  if (!hook.matcher.empty()) group["matcher"] = hook.matcher;
  // The hook only reports to the daemon and never decides anything, so it must be quick;
  // the timeout (seconds) bounds it should the daemon hang.
  group["hooks"] = nlohmann::json::array({{{"type", "command"}, {"command", std::string(command)}, {"timeout", 10}}});
  return group;
}

bool isVesketGroup(const Json& group) {
  if (!group.is_object()) return false;
  const auto hooks = group.find("hooks");
  if (hooks == group.end() || !hooks->is_array()) return false;
  for (const auto& hook : *hooks) {
    if (!hook.is_object()) continue;
    const auto command = hook.find("command");
    if (command == hook.end() || !command->is_string()) continue;
    const std::string text = command->get<std::string>();
    if (text.find("vesket") != std::string::npos && text.ends_with(" hook claude")) return true;
  }
  return false;
}

Json parse(std::string_view text) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return Json::object();
  Json settings;
  try {
    settings = Json::parse(text);
  } catch (const Json::parse_error& error) {
    // nlohmann's message says the byte offset and what it expected.
    std::string what = error.what();
    if (const auto at = what.find("parse error"); at != std::string::npos) what = what.substr(at);
    throw InvalidSettings(fmt::format("not valid JSON ({})", what));
  }
  if (!settings.is_object()) throw InvalidSettings("not a JSON object at the top level");
  if (settings.contains("hooks") && !settings["hooks"].is_object()) {
    throw InvalidSettings("its \"hooks\" member is not a JSON object");
  }
  return settings;
}

std::string serialize(const Json& settings) {
  return settings.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string locator(std::string_view event) { return "/hooks/" + std::string(event); }

std::vector<nlohmann::json> vesketGroups(const Json& settings, std::string_view event) {
  std::vector<nlohmann::json> groups;
  if (const Json* array = eventArrayOf(const_cast<Json&>(settings), event)) {
    for (const auto& group : *array) {
      if (isVesketGroup(group)) groups.push_back(plain(group));
    }
  }
  return groups;
}

bool hasEventArray(const Json& settings, std::string_view event) {
  return eventArrayOf(const_cast<Json&>(settings), event) != nullptr;
}

nlohmann::json eventArray(const Json& settings, std::string_view event) {
  const Json* array = eventArrayOf(const_cast<Json&>(settings), event);
  return array ? plain(*array) : nlohmann::json();
}

void putGroup(Json& settings, std::string_view event, const nlohmann::json& group) {
  if (!settings.contains("hooks")) settings["hooks"] = Json::object();
  Json& hooks = settings["hooks"];
  if (!hooks.contains(std::string(event)) || !hooks[std::string(event)].is_array()) {
    hooks[std::string(event)] = Json::array();
  }
  Json& array = hooks[std::string(event)];
  Json updated = Json::array();
  bool placed = false;
  for (auto& existing : array) {
    if (isVesketGroup(existing)) {
      if (!placed) updated.push_back(Json::parse(group.dump()));
      placed = true;
    } else {
      updated.push_back(std::move(existing));
    }
  }
  if (!placed) updated.push_back(Json::parse(group.dump()));
  array = std::move(updated);
}

int removeGroup(Json& settings, std::string_view event, const nlohmann::json& group, bool dropEmpty) {
  Json* array = eventArrayOf(settings, event);
  if (!array) return 0;
  int removed = 0;
  Json kept = Json::array();
  for (auto& existing : *array) {
    if (plain(existing) == group) ++removed;
    else kept.push_back(std::move(existing));
  }
  *array = std::move(kept);
  if (dropEmpty && array->empty()) {
    settings["hooks"].erase(std::string(event));
    if (settings["hooks"].empty()) settings.erase("hooks");
  }
  return removed;
}

}  // namespace vesket::maintenance::ClaudeSettings
