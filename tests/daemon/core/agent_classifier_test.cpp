#include "daemon/core/agent_classifier.h"

#include <gtest/gtest.h>

namespace vesket::daemon {
namespace {

ProcessInfo proc(std::int64_t pid, std::int64_t ppid, std::string comm, std::vector<std::string> argv) {
  return ProcessInfo{pid, ppid, std::move(comm), std::move(argv)};
}

TEST(AgentClassifier, ProcessTable) {
  struct Case {
    const char* what;
    ProcessInfo process;
    std::optional<std::string> kind;
  };
  const std::vector<Case> cases = {
      {"claude renamed itself", proc(1, 0, "claude", {"claude"}), "claude"},
      {"claude under node", proc(1, 0, "node", {"node", "/usr/lib/node_modules/@anthropic-ai/claude-code/cli.js"}), "claude"},
      {"claude via bin link", proc(1, 0, "node", {"/usr/bin/node", "--no-warnings", "/usr/local/bin/claude", "--resume"}), "claude"},
      {"codex native binary", proc(1, 0, "codex-x86_64-u", {"/opt/codex/codex-x86_64-unknown-linux-musl"}), "codex"},
      {"codex npm wrapper", proc(1, 0, "node", {"node", "/usr/lib/node_modules/@openai/codex/bin/codex.js"}), "codex"},
      {"gemini cli", proc(1, 0, "node", {"node", "/usr/lib/node_modules/@google/gemini-cli/dist/index.js"}), "gemini"},
      {"opencode", proc(1, 0, "opencode", {"/home/me/.opencode/bin/opencode"}), "opencode"},
      {"cursor agent", proc(1, 0, "cursor-agent", {"cursor-agent"}), "cursor"},
      {"codebuddy", proc(1, 0, "node", {"node", "/x/codebuddy/cli.js"}), "codebuddy"},
      {"comm only (argv unreadable)", proc(1, 0, "gemini", {}), "gemini"},
      {"title with arguments", proc(1, 0, "claude", {"claude --continue"}), "claude"},
      {"plain node script", proc(1, 0, "node", {"node", "server.js"}), std::nullopt},
      {"python script", proc(1, 0, "python3", {"python3", "-m", "http.server"}), std::nullopt},
      {"vim editing claude notes", proc(1, 0, "vim", {"vim", "claude.md"}), std::nullopt},
      {"bash", proc(1, 0, "bash", {"-bash"}), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(AgentClassifier::kindOfProcess(c.process), c.kind) << c.what;
}

TEST(AgentClassifier, PaneTree) {
  // A pane's shell (100) runs claude (101) under node, which runs a tool in bash (102)
  // that runs grep (103). Another pane's shell (200) runs vim; a third (300) is idle.
  const std::vector<ProcessInfo> table = {
      proc(1, 0, "systemd", {"/sbin/init"}),
      proc(100, 1, "bash", {"-bash"}),
      proc(101, 100, "node", {"node", "/usr/local/bin/claude"}),
      proc(102, 101, "bash", {"/bin/bash", "-c", "grep -r x"}),
      proc(103, 102, "grep", {"grep", "-r", "x"}),
      proc(104, 101, "node", {"node", "/usr/lib/node_modules/@google/gemini-cli/index.js"}),
      proc(200, 1, "zsh", {"zsh"}),
      proc(201, 200, "vim", {"vim", "codex.md"}),
      proc(300, 1, "fish", {"fish"}),
  };
  // The agent nearest the shell wins over its helpers, whatever the foreground command.
  EXPECT_EQ(AgentClassifier::classify("grep", 100, table), "claude");
  EXPECT_EQ(AgentClassifier::classify("vim", 200, table), "unknown");
  EXPECT_EQ(AgentClassifier::classify("fish", 300, table), "shell");
  EXPECT_EQ(AgentClassifier::classify("-zsh", 999, table), "shell");
  // Without a readable process table the command alone decides.
  EXPECT_EQ(AgentClassifier::classify("codex", 100, {}), "codex");
  EXPECT_EQ(AgentClassifier::classify("bash", 100, {}), "shell");
  EXPECT_EQ(AgentClassifier::classify("htop", 100, {}), "unknown");
  EXPECT_EQ(AgentClassifier::classify("", 300, table), "shell");
}

TEST(AgentClassifier, SelfParentedProcessDoesNotLoop) {
  const std::vector<ProcessInfo> table = {proc(5, 5, "bash", {"bash"}), proc(6, 5, "sleep", {"sleep"})};
  EXPECT_EQ(AgentClassifier::classify("bash", 5, table), "shell");
}

TEST(AgentClassifier, Shells) {
  for (const char* s : {"bash", "-bash", "/bin/zsh", "fish", "sh", "dash", "nu"}) EXPECT_TRUE(AgentClassifier::isShell(s)) << s;
  for (const char* s : {"", "node", "bashful", "vim"}) EXPECT_FALSE(AgentClassifier::isShell(s)) << s;
}

}  // namespace
}  // namespace vesket::daemon
