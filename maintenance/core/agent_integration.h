#pragma once

// What Vesket puts into the agents' own folders so that they tell Vesket when they wait:
// the instructions that teach an agent to ask through `vesket ask` (a skill folder for
// Claude Code, a marked block in the global instructions file of codex, gemini and
// opencode), and the sync decision for each of them. Pure: the installer does the I/O.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "maintenance/core/install_manifest.h"

namespace vesket::maintenance {

// Where each agent keeps its files, from the user's home and the environment.
struct AgentLocations {
  std::string claudeHome;      // ~/.claude
  std::string codexHome;       // $CODEX_HOME, else ~/.codex
  std::string geminiHome;      // ~/.gemini
  std::string opencodeConfig;  // $XDG_CONFIG_HOME/opencode, else ~/.config/opencode

  static AgentLocations from(std::string_view userHome, const std::map<std::string, std::string>& environment);
};

// One instructions file Vesket keeps.
struct InstructionsFile {
  std::string id;         // the manifest id: "claude-skill", "codex-instructions", ...
  std::string agent;      // the agent's name, for messages
  std::string agentHome;  // the agent counts as set up on this machine when it exists
  std::string path;
  std::string locator;    // "$file" (a file of Vesket's own) or "$block:vesket"
  std::string content;    // the whole file, or the block with its marker lines
};

namespace AgentIntegration {

inline constexpr std::string_view kBlockName = "vesket";
inline constexpr std::string_view kBackupId = "claude-settings-backup";

// The instructions every agent gets; `vesket` is the command that runs the CLI (quoted
// for a shell when needed).
std::string instructions(std::string_view vesket);
// Claude Code's skill file: front matter, then the instructions.
std::string claudeSkill(std::string_view vesket);
std::vector<InstructionsFile> instructionsFiles(const AgentLocations& locations, std::string_view vesket);

// The manifest id of the hook entry for a Claude Code event ("claude-hook-Stop").
std::string hookId(std::string_view event);

}  // namespace AgentIntegration

// What a sync does with one piece (a file, a block, a hook entry).
enum class SyncVerdict {
  install,      // not there yet: write it
  update,       // there as Vesket last wrote it, but the shipped version differs: write it
  unchanged,    // already what Vesket ships: nothing to do
  userChanged,  // there, but changed since Vesket wrote it: left alone unless forced
  foreign,      // something Vesket did not write stands in its place: left alone unless forced
  userRemoved,  // Vesket wrote it and the user removed it: not put back unless forced
};

// `current` is the piece as it stands (none when absent), `record` the manifest's record
// of it (null when there is none), `desired` what this build ships.
SyncVerdict decideSync(const std::optional<MutationValue>& current, const MutationRecord* record,
                       const MutationValue& desired);
bool writes(SyncVerdict verdict, bool force);
std::string_view verdictText(SyncVerdict verdict);

}  // namespace vesket::maintenance
