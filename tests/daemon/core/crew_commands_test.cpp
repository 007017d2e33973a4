#include <gtest/gtest.h>

#include "daemon/core/agent_command_table.h"
#include "daemon/core/cli_command.h"
#include "daemon/core/crew_cli_request.h"
#include "daemon/core/two_row_layout.h"

namespace vesket::daemon {
namespace {

TEST(CrewCommandsTest, AgentCommandLinesPerKind) {
  AgentCommandTable table;
  EXPECT_EQ(table.commandLine("claude", "sonnet"), "claude --model 'sonnet'");
  EXPECT_EQ(table.commandLine("claude", ""), "claude");
  EXPECT_EQ(table.commandLine("codex", "it's; rm -rf"), "codex --model 'it'\\''s; rm -rf'");
  EXPECT_EQ(table.commandLine("shell", "x"), "");
  EXPECT_EQ(table.program("cursor"), "cursor-agent");
  EXPECT_FALSE(table.program("shell"));
  EXPECT_FALSE(table.knows("aider"));

  table.applyOverrides(nlohmann::json::parse(
      R"({"claude": "/opt/fake claude -m {model} --yes", "aider": {"command": "aider"}})"));
  EXPECT_EQ(table.commandLine("claude", "opus"), "/opt/fake claude -m 'opus' --yes");
  EXPECT_EQ(table.commandLine("claude", ""), "/opt/fake claude --yes");
  EXPECT_EQ(table.program("claude"), "/opt/fake");
  EXPECT_EQ(table.commandLine("aider", "m"), "aider");

  // A bad file changes nothing.
  const char* bad[] = {R"([])", R"({"x y": "a"})", R"({"a": 1})", R"({"a": {"cmd": "a"}})", "{\"a\": \"a\\nb\"}",
                       R"({"ok": "fine", "b": 2})"};
  for (const char* json : bad) {
    EXPECT_THROW(table.applyOverrides(nlohmann::json::parse(json)), std::invalid_argument) << json;
  }
  EXPECT_FALSE(table.knows("ok"));
}

TEST(CrewCommandsTest, TwoRowLayoutsAreWhatTmuxAccepts) {
  // The checksum of a layout tmux 3.3a printed itself ("#{window_layout}").
  EXPECT_EQ(TwoRowLayout::checksum("160x40,0,0,0"), 0xabfdu);
  const std::string four = TwoRowLayout::layout(81, 24, 4);
  EXPECT_EQ(four.substr(5), "81x24,0,0[81x11,0,0{40x11,0,0,0,40x11,41,0,1},81x12,0,12{40x12,0,12,2,40x12,41,12,3}]");
  const std::string two = TwoRowLayout::layout(80, 24, 2);
  EXPECT_EQ(two.substr(5), "80x24,0,0[80x11,0,0,0,80x12,0,12,1]");
  const std::string six = TwoRowLayout::layout(100, 30, 6);
  EXPECT_NE(six.find("{32x14,0,0,0,32x14,33,0,1,34x14,66,0,2}"), std::string::npos) << six;
}

TEST(CrewCommandsTest, CrewCommandLinesBecomeRequests) {
  auto parsed = CrewCliRequest::parse({"crew", "create", "--project", "/p", "--size", "3", "--model", "m", "--agent", "codex"});
  EXPECT_EQ(parsed.cmd, "crew");
  EXPECT_EQ(parsed.args, (nlohmann::json{{"action", "create"}, {"project", "/p"}, {"size", 3}, {"model", "m"}, {"agent", "codex"}}));
  parsed = CrewCliRequest::parse({"crew", "list"});
  EXPECT_TRUE(parsed.printJson);
  parsed = CrewCliRequest::parse({"crew", "stop", "--crew", "c", "--pane", "%4"});
  EXPECT_EQ(parsed.args, (nlohmann::json{{"action", "complete"}, {"crewId", "c"}, {"paneId", "%4"}}));
  parsed = CrewCliRequest::parse({"agent-group", "rename", "--pane", "%1", "--name", "G"});
  EXPECT_EQ(parsed.cmd, "agent-group-rename");
  parsed = CrewCliRequest::parse({"window", "close", "--window", "@3"});
  EXPECT_EQ(parsed.cmd, "kill");
  EXPECT_EQ(parsed.args, (nlohmann::json{{"windowId", "@3"}}));
  parsed = CrewCliRequest::parse({"window", "create"});
  EXPECT_EQ(parsed.args, nlohmann::json::object());

  const std::vector<std::vector<std::string>> bad = {
      {"crew"},
      {"crew", "create", "--size", "3"},
      {"crew", "create", "--project", "/p", "--size", "three"},
      {"crew", "create", "--project", "/p", "--size"},
      {"crew", "create", "--project", "/p", "--project", "/q", "--size", "1"},
      {"crew", "disband"},
      {"crew", "disband", "--project", "/p", "--crew", "c"},
      {"crew", "list", "--all", "x"},
      {"crew", "launch"},
      {"agent-group", "create"},
      {"window", "close"},
  };
  for (const auto& args : bad) EXPECT_THROW(CrewCliRequest::parse(args), CliUsageError) << args.size();
}

}  // namespace
}  // namespace vesket::daemon
