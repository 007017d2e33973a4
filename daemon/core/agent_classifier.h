#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vesket::daemon {

// One process as the process table shows it.
struct ProcessInfo {
  std::int64_t pid = 0;
  std::int64_t ppid = 0;
  std::string comm;               // the kernel's short name (15 characters at most)
  std::vector<std::string> argv;  // the command line; empty when unreadable

  bool operator==(const ProcessInfo&) const = default;
};

// The process table indexed by pid and parent, built once per pane-list read and shared
// by every pane's classification.
class ProcessTree {
 public:
  explicit ProcessTree(std::vector<ProcessInfo> processes);

  const ProcessInfo* find(std::int64_t pid) const;
  // The children of a process, in pid order.
  const std::vector<const ProcessInfo*>& children(std::int64_t pid) const;

 private:
  std::vector<ProcessInfo> m_processes;
  std::unordered_map<std::int64_t, const ProcessInfo*> m_byPid;
  std::unordered_map<std::int64_t, std::vector<const ProcessInfo*>> m_children;
};

// Which agent runs in a pane, from tmux's current command and the pane's process tree.
//
// Agents are usually not the pane's foreground command as tmux names it: Claude Code,
// gemini and cursor run under node ("node /usr/lib/node_modules/.../cli.js"), codex's npm
// wrapper starts a native binary, and while an agent runs a tool its foreground process is
// a bash or a grep. So every process below the pane's first process is looked at, its
// executable name and, for script interpreters, the script it runs; the agent nearest to
// the pane's shell wins (an agent started by another agent is a helper, not the pane's
// agent). Without an agent the pane is a "shell" when its current command is a shell and
// "unknown" otherwise.
namespace AgentClassifier {

// The agent kind one process is, if any ("claude", "codex", "gemini", "opencode",
// "cursor", "agy", "codebuddy").
std::optional<std::string> kindOfProcess(const ProcessInfo& process);

// The agent kind a command name alone suggests (tmux's pane_current_command).
std::optional<std::string> kindOfCommand(std::string_view command);

// Whether the name (or path) is an interactive shell.
bool isShell(std::string_view command);

// The pane's kind: an agent kind, "shell" or "unknown". `processes` may hold the whole
// process table or only the pane's subtree; it may be empty when unreadable.
std::string classify(std::string_view currentCommand, std::int64_t panePid, const ProcessTree& tree);
std::string classify(std::string_view currentCommand, std::int64_t panePid,
                     const std::vector<ProcessInfo>& processes);

}  // namespace AgentClassifier

}  // namespace vesket::daemon
