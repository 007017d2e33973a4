#pragma once

// Claude Code's settings file (~/.claude/settings.json) as far as Vesket edits it: the
// hook entries that run `vesket hook claude`. Everything else in the file is the user's:
// it is read and written back in its own key order, unknown fields included.
//
// Hooks live under "hooks", one array of matcher groups per event:
//   "hooks": { "Stop": [ { "hooks": [ { "type": "command", "command": "...", "timeout": 10 } ] } ] }
// A group is Vesket's when one of its commands runs `... hook claude` of a vesket binary.

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::maintenance {

// The settings file is not a JSON object; the message says where it broke.
class InvalidSettings : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

namespace ClaudeSettings {

using Json = nlohmann::ordered_json;

// One hook Vesket installs: the event, its matcher (empty: none, every occasion).
struct VesketHook {
  std::string event;
  std::string matcher;
};

// PermissionRequest and Notification raise prompts, PreToolUse of AskUserQuestion raises a
// question, Stop says the agent waits for its next message; PostToolUse, UserPromptSubmit
// and SessionEnd say it moved on.
const std::vector<VesketHook>& vesketHooks();

// The shell command a hook runs: `VESKET_HOME='<home>' '<vesket>' hook claude`.
std::string hookCommand(std::string_view vesketBinary, std::string_view productHome);

// The matcher group Vesket puts into the event's array.
nlohmann::json hookGroup(const VesketHook& hook, std::string_view command);
bool isVesketGroup(const Json& group);

// Text to settings: an empty file is an empty object. Throws InvalidSettings.
Json parse(std::string_view text);
std::string serialize(const Json& settings);

// The event's array pointer in the install manifest ("/hooks/Stop").
std::string locator(std::string_view event);

// Vesket's groups in the event's array (as plain JSON values, in order).
std::vector<nlohmann::json> vesketGroups(const Json& settings, std::string_view event);
// Replaces Vesket's groups of the event by `group` (at the place of the first one, or at the
// end). Creates "hooks" and the array when missing.
void putGroup(Json& settings, std::string_view event, const nlohmann::json& group);
// Removes the groups equal to `group`; with `dropEmpty` an array (and then "hooks") that
// became empty goes too. Returns how many were removed.
int removeGroup(Json& settings, std::string_view event, const nlohmann::json& group, bool dropEmpty);
// Whether the event's array exists.
bool hasEventArray(const Json& settings, std::string_view event);
// The event's array as plain JSON (null when missing).
nlohmann::json eventArray(const Json& settings, std::string_view event);

}  // namespace ClaudeSettings
}  // namespace vesket::maintenance
