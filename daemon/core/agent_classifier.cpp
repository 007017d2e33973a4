#include "daemon/core/agent_classifier.h"

#include <algorithm>
#include <array>

namespace vesket::daemon::AgentClassifier {

namespace {

std::string_view baseName(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (auto& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool startsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }
bool contains(std::string_view s, std::string_view p) { return s.find(p) != std::string_view::npos; }

// Executable names (lower-cased, without directory) and what they are.
std::optional<std::string> kindOfExecutable(std::string_view name) {
  const std::string n = lower(name);
  if (n == "claude" || n == "claude.exe" || n == "claude-code") return "claude";
  if (n == "codex" || startsWith(n, "codex-")) return "codex";
  if (n == "gemini") return "gemini";
  if (n == "opencode" || startsWith(n, "opencode-")) return "opencode";
  if (n == "cursor-agent" || n == "cursor") return "cursor";
  if (n == "agy") return "agy";
  if (n == "codebuddy") return "codebuddy";
  return std::nullopt;
}

// A script path run by an interpreter: the package directory tells more than the name.
std::optional<std::string> kindOfScript(std::string_view script) {
  const std::string s = lower(script);
  if (contains(s, "@anthropic-ai/claude-code") || contains(s, "/claude-code/")) return "claude";
  if (contains(s, "@openai/codex")) return "codex";
  if (contains(s, "@google/gemini-cli") || contains(s, "/gemini-cli/")) return "gemini";
  if (contains(s, "opencode-ai") || contains(s, "/opencode/")) return "opencode";
  if (contains(s, "cursor-agent")) return "cursor";
  if (contains(s, "codebuddy")) return "codebuddy";
  return kindOfExecutable(baseName(script));
}

bool isInterpreter(std::string_view name) {
  const std::string n = lower(name);
  return n == "node" || n == "nodejs" || n == "bun" || n == "deno" || startsWith(n, "python") ||
         n == "npx" || n == "npm" || n == "pnpm" || n == "env";
}

}  // namespace

bool isShell(std::string_view command) {
  std::string n = lower(baseName(command));
  if (!n.empty() && n.front() == '-') n.erase(0, 1);  // login shells: "-bash"
  static constexpr std::array kShells = {"bash", "zsh", "fish", "sh", "dash", "ksh", "mksh",
                                         "tcsh", "csh", "nu", "elvish", "xonsh", "ash", "yash"};
  return std::find(kShells.begin(), kShells.end(), n) != kShells.end();
}

std::optional<std::string> kindOfCommand(std::string_view command) {
  return kindOfExecutable(baseName(command));
}

std::optional<std::string> kindOfProcess(const ProcessInfo& process) {
  if (!process.argv.empty()) {
    const std::string_view argv0 = baseName(process.argv.front());
    if (auto kind = kindOfExecutable(argv0)) return kind;
    if (isInterpreter(argv0)) {
      // The first argument that is not an option is the script (node --flag cli.js).
      for (std::size_t i = 1; i < process.argv.size(); ++i) {
        const std::string_view arg = process.argv[i];
        if (arg.empty() || arg.front() == '-') continue;
        if (auto kind = kindOfScript(arg)) return kind;
        break;
      }
    }
    // A program that renamed itself keeps its name in argv[0] with arguments appended
    // ("claude --resume" as one string after process.title was set).
    const auto space = argv0.find(' ');
    if (space != std::string_view::npos) {
      if (auto kind = kindOfExecutable(argv0.substr(0, space))) return kind;
    }
  }
  return kindOfExecutable(process.comm);
}

std::string classify(std::string_view currentCommand, std::int64_t panePid, const ProcessTree& tree) {
  // Walk the pane's subtree breadth first, so the agent nearest the pane's first process
  // is found first.
  std::vector<const ProcessInfo*> level;
  const ProcessInfo* root = tree.find(panePid);
  if (root != nullptr) level.push_back(root);
  std::size_t visited = 0;
  while (!level.empty() && visited < 4096) {  // the bound guards against a ppid cycle
    std::vector<const ProcessInfo*> next;
    for (const auto* p : level) {
      ++visited;
      if (auto kind = kindOfProcess(*p)) return *kind;
      for (const auto* child : tree.children(p->pid)) {
        if (child->pid != p->pid) next.push_back(child);
      }
    }
    level = std::move(next);
  }
  if (auto kind = kindOfCommand(currentCommand)) return *kind;
  if (isShell(currentCommand)) return "shell";
  if (currentCommand.empty() && root != nullptr && isShell(root->comm)) return "shell";
  return "unknown";
}

std::string classify(std::string_view currentCommand, std::int64_t panePid,
                     const std::vector<ProcessInfo>& processes) {
  return classify(currentCommand, panePid, ProcessTree(processes));
}

}  // namespace vesket::daemon::AgentClassifier

namespace vesket::daemon {

ProcessTree::ProcessTree(std::vector<ProcessInfo> processes) : m_processes(std::move(processes)) {
  std::sort(m_processes.begin(), m_processes.end(), [](const auto& a, const auto& b) { return a.pid < b.pid; });
  m_byPid.reserve(m_processes.size());
  for (const auto& p : m_processes) {
    m_byPid.emplace(p.pid, &p);
    m_children[p.ppid].push_back(&p);
  }
}

const ProcessInfo* ProcessTree::find(std::int64_t pid) const {
  const auto it = m_byPid.find(pid);
  return it == m_byPid.end() ? nullptr : it->second;
}

const std::vector<const ProcessInfo*>& ProcessTree::children(std::int64_t pid) const {
  static const std::vector<const ProcessInfo*> none;
  const auto it = m_children.find(pid);
  return it == m_children.end() ? none : it->second;
}

}  // namespace vesket::daemon
