#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "daemon/core/agent_hook_event.h"
#include "daemon/core/cli_command.h"
#include "daemon/core/marker_line.h"

namespace vesket::daemon {
namespace {

using Kind = CliCommand::Kind;

TEST(AgentCommandLines, ParseAndRejectWithAClearMessage) {
  const auto ask = CliCommand::parse({"ask", "Ship it?", "--option", "1: Yes", "-o", "2: No", "--style=yes-no", "--id", "rel_7"});
  EXPECT_EQ(ask.kind, Kind::Ask);
  EXPECT_EQ(ask.question, "Ship it?");
  EXPECT_EQ(ask.options, (std::vector<std::string>{"1: Yes", "2: No"}));
  EXPECT_EQ(ask.style, "yes-no");
  EXPECT_EQ(ask.id, "rel_7");
  EXPECT_EQ(CliCommand::parse({"signal", "needs-you", "--kind", "review", "--reason", "PR #4"}).signalKind, "review");
  EXPECT_EQ(CliCommand::parse({"resolve", "rel_7"}).id, "rel_7");
  EXPECT_TRUE(CliCommand::parse({"skills", "sync", "--force"}).force);
  EXPECT_TRUE(CliCommand::parse({"uninstall"}).dryRun);
  EXPECT_TRUE(CliCommand::parse({"uninstall", "--execute"}).execute);
  EXPECT_EQ(CliCommand::parse({"hook", "claude"}).kind, Kind::Hook);

  const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
      {{"ask"}, "needs the question"},
      {{"ask", "  "}, "needs the question"},
      {{"ask", "Q?", "--style", "fancy"}, "unknown style 'fancy'"},
      {{"ask", "Q?", "--id", "has space"}, "may hold only letters"},
      {{"ask", "Q?", "--option"}, "'--option' needs a value"},
      {{"ask", "Q?", "extra"}, "unknown argument"},
      {{"resolve"}, "takes the id"},
      {{"signal", "maybe"}, "'needs-you' or 'done'"},
      {{"signal", "needs-you", "--kind", "deploy"}, "unknown kind 'deploy'"},
      {{"signal", "done", "--reason", "x"}, "unknown argument"},
      {{"hook", "codex"}, "vesket hook claude"},
      {{"skills"}, "sync"},
      {{"uninstall", "--dry-run", "--execute"}, "exclude each other"},
  };
  for (const auto& [args, message] : bad) {
    try {
      CliCommand::parse(args);
      ADD_FAILURE() << "accepted " << args[0];
    } catch (const CliUsageError& error) {
      EXPECT_NE(std::string(error.what()).find(message), std::string::npos) << error.what();
    }
  }
}

TEST(MarkerLine, FieldsAreBase64OfUtf8) {
  EXPECT_EQ(MarkerLine::approval("a1", "Go?", {"1: Yes"}, "numbered"),
            "<<<DURNVALE-AWAITING id=a1 question_b64=R28/ options_b64=WyIxOiBZZXMiXQ== style=numbered>>>");
  EXPECT_EQ(MarkerLine::resolved("a1"), "<<<DURNVALE-RESOLVED id=a1>>>");
  EXPECT_EQ(MarkerLine::needsYou("review", "", "s"), "<<<CREW-SIGNAL state=needs-you kind=review reason_b64= id=s>>>");
  EXPECT_EQ(MarkerLine::done("s"), "<<<CREW-SIGNAL state=done id=s>>>");
}

AgentHookAction interpret(const std::string& json) {
  return ClaudeHookEvent::interpret(nlohmann::json::parse(json), "claude:1", 1000);
}

TEST(ClaudeHookEvent, EachEventRaisesClearsOrIsIgnored) {
  using K = AgentHookAction::Kind;
  struct Case {
    std::string json;
    K kind;
    std::string promptKind;
    std::vector<std::vector<std::string>> keys;
  };
  const std::vector<Case> cases = {
      {R"({"hook_event_name":"PermissionRequest","tool_name":"Bash","tool_input":{"command":"rm -r build"},
          "permission_suggestions":[{"type":"addRules"}],"session_id":"s","future_field":{}})",
       K::raise, "permission", {{"1"}, {"2"}, {"3"}}},
      {R"({"hook_event_name":"PermissionRequest","tool_name":"Write","tool_input":{"file_path":"/a"}})", K::raise,
       "permission", {{"1"}, {"2"}}},
      {R"({"hook_event_name":"PreToolUse","tool_name":"AskUserQuestion","tool_input":{"questions":[
          {"question":"Which database?","header":"DB","multiSelect":false,
           "options":[{"label":"Postgres","description":"x"},{"label":"SQLite"}]}]}})",
       K::raise, "question", {{"1"}, {"2"}}},
      {R"({"hook_event_name":"Notification","notification_type":"permission_prompt","message":"Claude needs your permission to use Bash"})",
       K::raise, "permission", {{"1"}, {"Escape"}}},
      {R"({"hook_event_name":"Notification","message":"Claude needs your permission to use Bash"})", K::raise,
       "permission", {{"1"}, {"Escape"}}},
      {R"({"hook_event_name":"Notification","notification_type":"idle_prompt","message":"Claude is waiting for your input"})",
       K::raise, "waiting", {}},
      {R"({"hook_event_name":"Stop","stop_hook_active":false})", K::raise, "waiting", {}},
      {R"({"hook_event_name":"Notification","notification_type":"auth_success","message":"ok"})", K::ignore, "", {}},
      {R"({"hook_event_name":"PreToolUse","tool_name":"Bash","tool_input":{}})", K::clear, "", {}},
      {R"({"hook_event_name":"PostToolUse","tool_name":"Bash"})", K::clear, "", {}},
      {R"({"hook_event_name":"UserPromptSubmit","prompt":"go on"})", K::clear, "", {}},
      {R"({"hook_event_name":"SessionEnd","reason":"exit"})", K::clear, "", {}},
      {R"({"hook_event_name":"SomethingNew"})", K::ignore, "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.json.substr(0, 70));
    const AgentHookAction action = interpret(c.json);
    ASSERT_EQ(action.kind, c.kind);
    if (c.kind != K::raise) continue;
    EXPECT_EQ(action.prompt->row.kind, c.promptKind);
    EXPECT_EQ(action.prompt->optionKeys, c.keys);
    EXPECT_EQ(action.prompt->row.options.size(), c.keys.size());
    EXPECT_EQ(action.prompt->row.style, c.keys.empty() ? "free-text-prompt" : "numbered");
    EXPECT_EQ(action.prompt->row.id, "claude:1");
  }
  EXPECT_NE(interpret(cases[0].json).prompt->row.question.find("Bash: rm -r build"), std::string::npos);
  EXPECT_EQ(interpret(cases[2].json).prompt->row.options[1].label, "SQLite");
  EXPECT_TRUE(interpret(cases[3].json).onlyIfNoneOpen);
  EXPECT_THROW(interpret("[1]"), std::invalid_argument);
  EXPECT_THROW(interpret(R"({"tool_name":"Bash"})"), std::invalid_argument);
}

}  // namespace
}  // namespace vesket::daemon
