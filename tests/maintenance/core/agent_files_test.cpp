#include <gtest/gtest.h>

#include "maintenance/core/agent_integration.h"
#include "maintenance/core/claude_settings.h"
#include "maintenance/core/text_block.h"
#include "maintenance/core/uninstall_plan.h"

namespace vesket::maintenance {
namespace {

const std::string kBlock = TextBlock::wrap("vesket", "Ask through Vesket.\n");

TEST(TextBlock, AddsReplacesAndRemovesOnlyItsOwnLines) {
  for (const std::string& text : {std::string(), std::string("# Mine\n"), std::string("# Mine, no final line feed"),
                                 std::string("a\n\nb\n")}) {
    const std::string with = TextBlock::upsert(text, "vesket", kBlock);
    EXPECT_EQ(TextBlock::find(with, "vesket"), kBlock) << text;
    EXPECT_EQ(TextBlock::upsert(with, "vesket", kBlock), with) << "idempotent: " << text;
    const std::string newer = TextBlock::wrap("vesket", "Newer text.\n");
    const std::string updated = TextBlock::upsert(with, "vesket", newer);
    EXPECT_EQ(TextBlock::find(updated, "vesket"), newer);
    EXPECT_EQ(updated.substr(0, text.size()), text);  // the user's text stays in front
    EXPECT_EQ(TextBlock::find(TextBlock::remove(updated, "vesket"), "vesket"), std::nullopt);
  }
  // A marker quoted inside a line is not a block.
  EXPECT_EQ(TextBlock::find("see `" + TextBlock::beginLine("vesket") + "`\n", "vesket"), std::nullopt);
}

TEST(ClaudeSettings, HookEntriesGoInBesideTheUsersOwnAndComeOutAgain) {
  const std::string text = R"({
  "model": "opus",
  "hooks": {"Stop": [{"hooks": [{"type": "command", "command": "notify-send done"}]}]},
  "zeta": {"unknown": [1, 2]}
})";
  auto settings = ClaudeSettings::parse(text);
  const auto group = ClaudeSettings::hookGroup({"Stop", ""}, ClaudeSettings::hookCommand("/opt/v/vesket", "/h/.vesket"));
  EXPECT_EQ(group["hooks"][0]["command"], "VESKET_HOME='/h/.vesket' '/opt/v/vesket' hook claude");
  ClaudeSettings::putGroup(settings, "Stop", group);
  ClaudeSettings::putGroup(settings, "Stop", group);
  ClaudeSettings::putGroup(settings, "PostToolUse", group);
  EXPECT_EQ(settings["hooks"]["Stop"].size(), 2u);  // the user's entry and one of ours
  EXPECT_EQ(ClaudeSettings::vesketGroups(settings, "Stop"), std::vector<nlohmann::json>{group});
  const std::string written = ClaudeSettings::serialize(settings);
  EXPECT_LT(written.find("\"model\""), written.find("\"zeta\""));  // the user's key order survives

  EXPECT_EQ(ClaudeSettings::removeGroup(settings, "Stop", group, false), 1);
  EXPECT_EQ(ClaudeSettings::removeGroup(settings, "PostToolUse", group, true), 1);
  EXPECT_EQ(nlohmann::json::parse(ClaudeSettings::serialize(settings)), nlohmann::json::parse(text));
}

TEST(ClaudeSettings, SaysWhatIsWrongWithABrokenFile) {
  EXPECT_TRUE(ClaudeSettings::parse("  \n").empty());
  for (const char* broken : {"{\"model\": }", "[1, 2]", R"({"hooks": [] })", "{\"a\": 1,}"}) {
    EXPECT_THROW(ClaudeSettings::parse(broken), InvalidSettings) << broken;
  }
}

TEST(SyncDecision, WritesWhatIsMissingOrStaleAndRespectsTheUsersChanges) {
  const auto v1 = MutationValue::string("v1");
  const auto v2 = MutationValue::string("v2");
  MutationRecord recordOfV1;
  recordOfV1.after = {v1, hashValue(v1)};
  struct Case {
    std::optional<MutationValue> current;
    const MutationRecord* record;
    SyncVerdict verdict;
  };
  const std::vector<Case> cases = {
      {std::nullopt, nullptr, SyncVerdict::install},
      {v2, nullptr, SyncVerdict::unchanged},
      {v2, &recordOfV1, SyncVerdict::unchanged},
      {v1, &recordOfV1, SyncVerdict::update},
      {MutationValue::string("edited"), &recordOfV1, SyncVerdict::userChanged},
      {MutationValue::string("someone's"), nullptr, SyncVerdict::foreign},
      {std::nullopt, &recordOfV1, SyncVerdict::userRemoved},
  };
  for (const auto& c : cases) {
    const SyncVerdict verdict = decideSync(c.current, c.record, v2);
    EXPECT_EQ(verdict, c.verdict) << verdictText(c.verdict);
    EXPECT_EQ(writes(verdict, false), c.verdict == SyncVerdict::install || c.verdict == SyncVerdict::update);
    EXPECT_EQ(writes(verdict, true), c.verdict != SyncVerdict::unchanged);
  }
}

// A manifest as the installer leaves it, and the files as they are now.
struct Installed {
  InstallManifest manifest;
  std::map<std::string, std::string> files;

  void add(const std::string& path, const std::string& id, const std::string& locator, const std::string& kind,
           MutationState before, MutationValue after, const std::string& content) {
    MutationObservation o{id, locator, kind, std::move(before), std::move(after), {0, 1}, false};
    o.owned = !o.before.exists;
    manifest.record(path, {o}, "test", "now");
    files[path] = content;
  }
  UninstallPlan plan() const {
    return UninstallPlan::build(manifest, [&](const std::string& path) -> std::optional<std::string> {
      const auto found = files.find(path);
      return found == files.end() ? std::nullopt : std::optional(found->second);
    });
  }
};

TEST(UninstallPlan, PutsBackExactlyWhatWasThereAndLeavesTheUsersChanges) {
  Installed installed;
  installed.manifest.installId = "i";
  const std::string skill = "---\nname: vesket\n---\n";
  installed.add("/h/.claude/skills/vesket/SKILL.md", "claude-skill", "$file", "file", {}, MutationValue::fileContent(skill),
                skill);
  const std::string agents = "# My rules\n";
  const std::string withBlock = TextBlock::upsert(agents, "vesket", kBlock);
  installed.add("/h/.codex/AGENTS.md", "codex-instructions", "$block:vesket", "text-block",
                {true, MutationValue::fileContent(agents)}, MutationValue::string(kBlock), withBlock);
  const std::string settingsBefore = "{\n    \"model\": \"opus\"\n}\n";  // four spaces: the user's style
  installed.add("/h/.vesket/backups/claude-settings.json", "claude-settings-backup", "$file", "backup", {},
                MutationValue::fileContent(settingsBefore), settingsBefore);
  auto settings = ClaudeSettings::parse(settingsBefore);
  const auto group = ClaudeSettings::hookGroup({"Stop", ""}, "VESKET_HOME='/h/.vesket' '/v' hook claude");
  ClaudeSettings::putGroup(settings, "Stop", group);
  installed.add("/h/.claude/settings.json", "claude-hook-Stop", "/hooks/Stop", "json-array-entry", {},
                MutationValue::fromJson(group), ClaudeSettings::serialize(settings));
  installed.files["/h/.gemini/GEMINI.md"] = "edited by the user";
  installed.add("/h/.gemini/GEMINI.md", "gemini-instructions", "$block:vesket", "text-block", {},
                MutationValue::string(kBlock), "the user replaced everything");

  const UninstallPlan plan = installed.plan();
  std::map<std::string, std::optional<std::string>> outcome;
  for (const auto& file : plan.files) outcome[file.path] = file.content;
  EXPECT_EQ(outcome.at("/h/.claude/skills/vesket/SKILL.md"), std::nullopt);          // created by Vesket: deleted
  EXPECT_EQ(outcome.at("/h/.codex/AGENTS.md"), agents);                             // byte for byte
  EXPECT_EQ(outcome.at("/h/.claude/settings.json"), settingsBefore);                // the backup's exact bytes
  EXPECT_EQ(outcome.at("/h/.vesket/backups/claude-settings.json"), std::nullopt);
  EXPECT_FALSE(outcome.contains("/h/.gemini/GEMINI.md"));                           // the user's now: untouched
  int kept = 0;
  for (const auto& step : plan.steps) kept += step.dropsRecord() ? 0 : 1;
  EXPECT_EQ(kept, 0);  // GEMINI.md lost its block entirely: nothing of it is left to undo
  EXPECT_EQ(plan.steps.size(), 5u);
  EXPECT_NE(plan.listing().find("remove   hook entry /hooks/Stop from /h/.claude/settings.json"), std::string::npos);

  installed.files["/h/.claude/skills/vesket/SKILL.md"] = skill + "my own notes\n";
  const UninstallPlan second = installed.plan();
  for (const auto& step : second.steps) {
    if (step.record.id == "claude-skill") {
      EXPECT_EQ(step.action, UninstallStep::Action::keepChanged);
    }
  }
  for (const auto& file : second.files) EXPECT_NE(file.path, "/h/.claude/skills/vesket/SKILL.md");
}

TEST(AgentIntegration, EachAgentReadsItsOwnFile) {
  const auto locations = AgentLocations::from("/h", {{"CODEX_HOME", "/c"}});
  std::map<std::string, std::string> paths;
  for (const auto& file : AgentIntegration::instructionsFiles(locations, "/opt/vesket")) paths[file.id] = file.path;
  EXPECT_EQ(paths.at("claude-skill"), "/h/.claude/skills/vesket/SKILL.md");
  EXPECT_EQ(paths.at("codex-instructions"), "/c/AGENTS.md");
  EXPECT_EQ(paths.at("gemini-instructions"), "/h/.gemini/GEMINI.md");
  EXPECT_EQ(paths.at("opencode-instructions"), "/h/.config/opencode/AGENTS.md");
  EXPECT_NE(AgentIntegration::claudeSkill("/opt/vesket").find("/opt/vesket ask \""), std::string::npos);
}

}  // namespace
}  // namespace vesket::maintenance
