#include "maintenance/core/agent_integration.h"

#include <fmt/format.h>

#include "maintenance/core/text_block.h"

namespace vesket::maintenance {

AgentLocations AgentLocations::from(std::string_view userHome, const std::map<std::string, std::string>& environment) {
  auto variable = [&](const char* name) -> std::string {
    const auto found = environment.find(name);
    return found == environment.end() ? std::string() : found->second;
  };
  const std::string home(userHome);
  AgentLocations locations;
  locations.claudeHome = home + "/.claude";
  locations.codexHome = variable("CODEX_HOME").empty() ? home + "/.codex" : variable("CODEX_HOME");
  locations.geminiHome = home + "/.gemini";
  const std::string config = variable("XDG_CONFIG_HOME").empty() ? home + "/.config" : variable("XDG_CONFIG_HOME");
  locations.opencodeConfig = config + "/opencode";
  return locations;
}

namespace AgentIntegration {

std::string instructions(std::string_view vesket) {
  return fmt::format(R"(# Asking the user through Vesket

The user watches this terminal, and many others, in Vesket. When you need them (an
approval, a decision, a question only they can answer), ask through Vesket so that the
question reaches them wherever they are, instead of only writing it into your reply.

1. Ask with one command; give each choice as `--option`:

       {0} ask "Deploy the release branch to production now?" --option "1: Deploy now" --option "2: Wait until tomorrow"

   It prints one marker line and, on the next line, the question's id. Leave the marker
   line as it is in the command's output: do not quote, shorten or summarise it.
   Styles (`--style`): `numbered` (the default with options), `yes-no`,
   `free-text-prompt` (the default without options: the user types the answer),
   `free-text-options` (choices, or their own words). `--id ID` picks the id yourself.
2. Then stop and wait. The answer arrives as the user's next message: the number of the
   option they chose (the part before ":"), or their own words.
3. As soon as you have the answer, before anything else, run `{0} resolve ID` with the
   id from step 1, so that Vesket stops showing the question.

Ask only when you cannot go on without the user; one question at a time.
When you work as a member of an agent team, tell the team's lead instead:
`{0} signal needs-you --kind approval|review|question|go-ahead --reason "what you need"`,
and `{0} signal done` once you have it.
)",
                     vesket);
}

std::string claudeSkill(std::string_view vesket) {
  return "---\n"
         "name: vesket\n"
         "description: Ask the user through Vesket when you need their approval, a decision or an "
         "answer before you can go on, and wait for it. Use this whenever you would stop to ask the "
         "user something.\n"
         "---\n\n" +
         instructions(vesket);
}

std::vector<InstructionsFile> instructionsFiles(const AgentLocations& locations, std::string_view vesket) {
  const std::string block = TextBlock::wrap(kBlockName, instructions(vesket));
  const std::string blockLocator = "$block:" + std::string(kBlockName);
  return {
      {"claude-skill", "Claude Code", locations.claudeHome, locations.claudeHome + "/skills/vesket/SKILL.md", "$file",
       claudeSkill(vesket)},
      {"codex-instructions", "codex", locations.codexHome, locations.codexHome + "/AGENTS.md", blockLocator, block},
      {"gemini-instructions", "gemini", locations.geminiHome, locations.geminiHome + "/GEMINI.md", blockLocator, block},
      {"opencode-instructions", "opencode", locations.opencodeConfig, locations.opencodeConfig + "/AGENTS.md",
       blockLocator, block},
  };
}

std::string hookId(std::string_view event) { return "claude-hook-" + std::string(event); }

}  // namespace AgentIntegration

SyncVerdict decideSync(const std::optional<MutationValue>& current, const MutationRecord* record,
                       const MutationValue& desired) {
  if (current && *current == desired) return SyncVerdict::unchanged;
  if (!current) return record ? SyncVerdict::userRemoved : SyncVerdict::install;
  if (!record) return SyncVerdict::foreign;
  return hashValue(*current) == record->after.hash ? SyncVerdict::update : SyncVerdict::userChanged;
}

bool writes(SyncVerdict verdict, bool force) {
  switch (verdict) {
    case SyncVerdict::install:
    case SyncVerdict::update: return true;
    case SyncVerdict::unchanged: return false;
    case SyncVerdict::userChanged:
    case SyncVerdict::foreign:
    case SyncVerdict::userRemoved: return force;
  }
  return false;
}

std::string_view verdictText(SyncVerdict verdict) {
  switch (verdict) {
    case SyncVerdict::install: return "installed";
    case SyncVerdict::update: return "updated";
    case SyncVerdict::unchanged: return "up to date";
    case SyncVerdict::userChanged: return "changed by you since Vesket wrote it; left as it is (--force replaces it)";
    case SyncVerdict::foreign: return "not written by Vesket; left as it is (--force replaces it)";
    case SyncVerdict::userRemoved: return "removed by you; not put back (--force puts it back)";
  }
  return "";
}

}  // namespace vesket::maintenance
