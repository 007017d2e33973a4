#include "supervision/core/environment_readiness.h"

#include <algorithm>

namespace vesket::supervision {
namespace {

std::string_view trim(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (true) {
    const std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text = text.substr(at + 1);
  }
}

std::string join(const std::vector<std::string>& words, std::string_view separator) {
  std::string out;
  for (const auto& word : words) {
    if (!out.empty()) out += separator;
    out += word;
  }
  return out;
}

}  // namespace

std::vector<std::string> SafePathProbe::candidateDirectories(const std::string& home,
                                                             const std::vector<std::string>& nvmVersionDirs) {
  std::vector<std::string> dirs = {
      home + "/.local/bin",        home + "/bin",          home + "/.npm-global/bin",
      home + "/.bun/bin",          home + "/.cargo/bin",   home + "/.local/share/mise/shims",
      home + "/.asdf/shims",       home + "/.fnm/current/bin", "/opt/homebrew/bin",
      "/usr/local/bin",
  };
  for (const auto& version : nvmVersionDirs) dirs.push_back(version + "/bin");
  return dirs;
}

std::string SafePathProbe::augmentedPATH(const std::vector<std::string>& candidates, std::string_view loginShellPath,
                                         std::string_view base) {
  std::vector<std::string> entries;
  const auto add = [&](std::string_view entry) {
    entry = trim(entry);
    if (entry.empty() || std::find(entries.begin(), entries.end(), entry) != entries.end()) return;
    entries.emplace_back(entry);
  };
  for (const auto& candidate : candidates) add(candidate);
  for (const auto part : split(loginShellPath, ':')) add(part);
  for (const auto part : split(base, ':')) add(part);
  return join(entries, ":");
}

std::optional<std::string> SafePathProbe::executablePathWithoutProcess(
    std::string_view name, std::string_view path, const std::function<bool(const std::string&)>& isExecutable) {
  if (name.empty() || name.find('/') != std::string_view::npos) return std::nullopt;
  for (const auto dir : split(path, ':')) {
    if (dir.empty()) continue;
    std::string candidate(dir);
    if (candidate.back() != '/') candidate += '/';
    candidate += name;
    if (isExecutable(candidate)) return candidate;
  }
  return std::nullopt;
}

const std::vector<AgentCliCandidate>& MacReadinessProbe::agentCliCandidates() {
  static const std::vector<AgentCliCandidate> candidates = {
      {"claude", {"claude"}, "npm install -g @anthropic-ai/claude-code"},
      {"codex", {"codex"}, "npm install -g @openai/codex"},
      {"cursor", {"agent", "cursor-agent", "cursor"}, "curl https://cursor.com/install -fsS | bash"},
      {"gemini", {"gemini", "gemini-cli"}, "npm install -g @google/gemini-cli"},
      {"agy", {"agy"}, ""},
      {"codebuddy", {"codebuddy"}, "npm install -g @tencent-ai/codebuddy-code"},
      {"opencode", {"opencode"}, "npm install -g opencode-ai"},
  };
  return candidates;
}

MacReadiness MacReadinessProbe::probe(bool tmuxFallbackAvailable, const std::function<bool(const std::string&)>& check) {
  MacReadiness readiness;
  readiness.tmuxInstalled = check("tmux") || tmuxFallbackAvailable;
  for (const auto& candidate : agentCliCandidates()) {
    if (std::any_of(candidate.executables.begin(), candidate.executables.end(), check)) {
      readiness.agentCliFound = candidate.name;
      break;
    }
  }
  return readiness;
}

std::string_view CrewDeps::detailKey() const {
  if (ready()) return "checklist.row.crew_deps.detail.ready";
  if (!jqAvailable && developerToolsAvailable()) return "checklist.row.crew_deps.detail.jq_missing";
  if (jqAvailable && !developerToolsAvailable()) return "checklist.row.crew_deps.detail.developer_tools_missing";
  return "checklist.row.crew_deps.detail.both_missing";
}

bool CrewDepsProbe::developerToolAvailable(const std::string& name, const Environment& environment) {
  // Linux has no developer-tools stubs that only work once another package is installed:
  // a tool that resolves to an executable is there.
  const auto path = environment.resolve(name);
  return path && environment.isExecutable(*path);
}

CrewDeps CrewDepsProbe::probe(const Environment& environment) {
  CrewDeps deps;
  const auto bundled = environment.bundledJqPath();
  const bool bundledJq = environment.crewScriptsUseBundledJq() && bundled && environment.isExecutable(*bundled);
  const auto jq = environment.resolve("jq");
  deps.jqAvailable = bundledJq || (jq && environment.isExecutable(*jq));
  deps.python3Available = developerToolAvailable("python3", environment);
  deps.gitAvailable = developerToolAvailable("git", environment);
  return deps;
}

OsRelease OsRelease::parse(std::string_view text) {
  OsRelease os;
  for (const auto rawLine : split(text, '\n')) {
    const auto line = trim(rawLine);
    const std::size_t equals = line.find('=');
    if (line.empty() || line.front() == '#' || equals == std::string_view::npos) continue;
    const auto key = line.substr(0, equals);
    auto value = trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    if (key == "ID") os.id = std::string(value);
    else if (key == "PRETTY_NAME") os.prettyName = std::string(value);
    else if (key == "ID_LIKE") {
      for (const auto word : split(value, ' ')) {
        if (!word.empty()) os.idLike.emplace_back(word);
      }
    }
  }
  return os;
}

bool OsRelease::isLike(std::string_view family) const {
  return id == family || std::find(idLike.begin(), idLike.end(), family) != idLike.end();
}

PackageInstallPlan PackageInstallPlan::forPackages(const OsRelease& os, const std::vector<std::string>& packages,
                                                   bool pkexecAvailable) {
  PackageInstallPlan plan;
  const std::string names = join(packages, " ");
  if (os.isLike("debian") || os.isLike("ubuntu")) {
    plan.copyableCommand = "sudo apt-get install -y " + names;
    if (pkexecAvailable) {
      plan.oneClick = true;
      plan.arguments = {"pkexec", "apt-get", "install", "-y"};
      plan.arguments.insert(plan.arguments.end(), packages.begin(), packages.end());
    }
  } else if (os.isLike("fedora") || os.isLike("rhel")) {
    plan.copyableCommand = "sudo dnf install -y " + names;
  } else if (os.isLike("arch")) {
    plan.copyableCommand = "sudo pacman -S --needed " + names;
  } else if (os.isLike("suse")) {
    plan.copyableCommand = "sudo zypper install " + names;
  } else if (os.isLike("alpine")) {
    plan.copyableCommand = "sudo apk add " + names;
  } else {
    // No command Vesket knows for this system: the view says to use its package manager.
  }
  return plan;
}

std::string TmuxConfiguration::text() {
  return R"(# tmux configuration written by Vesket. Your own ~/.tmux.conf always takes precedence:
# Vesket never writes one and never replaces it.

# Plugins (the plugin manager is cloned into ~/.tmux/plugins/tpm when the network allows)
set-environment -g TMUX_PLUGIN_MANAGER_PATH '~/.tmux/plugins/'
set -g @plugin 'tmux-plugins/tpm'
set -g @plugin 'tmux-plugins/tmux-sensible'
set -g @plugin 'tmux-plugins/tmux-resurrect'
set -g @plugin 'tmux-plugins/tmux-continuum'
set -g @plugin 'tmux-plugins/tmux-yank'
set -g @continuum-restore 'on'
set -g @resurrect-capture-pane-contents 'on'

# Terminal and behaviour. The history limit matches the Vesket daemon's own tmux server:
# larger limits make teams of seven or more panes bloat memory and render badly.
set -g default-terminal 'tmux-256color'
set -as terminal-features ',xterm-256color:RGB'
set -g history-limit 3000
set -g renumber-windows on
set -g base-index 1
setw -g pane-base-index 1
set -sg escape-time 0
set -g focus-events on
set -g mouse on

# Keys
bind r source-file ~/.config/tmux/tmux.conf \; display 'tmux configuration reloaded'
unbind '"'
unbind %
bind | split-window -h -c '#{pane_current_path}'
bind - split-window -v -c '#{pane_current_path}'
bind c new-window -c '#{pane_current_path}'
bind h select-pane -L
bind j select-pane -D
bind k select-pane -U
bind l select-pane -R
bind a run-shell "tmux select-pane -t \"\$(tmux list-panes -a -F '#{pane_id} #{pane_title}' | grep -i claude | head -n 1 | cut -d' ' -f1)\""
bind g run-shell "tmux select-pane -t \"\$(tmux list-panes -a -F '#{pane_id} #{pane_title}' | grep -i gemini | head -n 1 | cut -d' ' -f1)\""
bind ? new-window -n help "sh -c 'printf \"prefix r  reload\\nprefix |  split right\\nprefix -  split below\\nprefix c  new window\\nprefix h/j/k/l  move between panes\\nprefix a  first Claude pane\\nprefix g  first Gemini pane\\n\"; read -r _'"

# Status bar
set -g status-position bottom
set -g status-interval 5
set -g status-style 'bg=colour235,fg=colour252'
set -g status-left '#[fg=colour39,bold] #S #[default]'
set -g status-right '#(~/.config/tmux/scripts/agent-status.sh) #[fg=colour39]%H:%M #[default]#H '
set -g status-right-length 80
set -g pane-border-style 'fg=colour238'
set -g pane-active-border-style 'fg=colour39'

if-shell 'test -x ~/.tmux/plugins/tpm/tpm' "run '~/.tmux/plugins/tpm/tpm'"
)";
}

std::string TmuxConfiguration::agentStatusScript() {
  return R"(#!/bin/sh
# Written by Vesket: counts the panes that run a coding agent, for tmux's status bar.
count=$(tmux list-panes -a -F '#{pane_current_command}' 2>/dev/null |
  grep -c -E '^(claude|codex|gemini|gemini-cli|opencode|cursor-agent|agent)$')
if [ "${count:-0}" -gt 0 ]; then printf 'agents %s ' "$count"; fi
)";
}

std::string_view envComponentStateName(EnvComponents::State state) {
  switch (state) {
    case EnvComponents::State::installed: return "installed";
    case EnvComponents::State::willInstall: return "willInstall";
    case EnvComponents::State::notApplicable: return "notApplicable";
  }
  return "notApplicable";
}

std::vector<EnvComponents::Component> EnvComponents::detect(const std::function<bool(const std::string&)>& present,
                                                            const std::function<bool(const std::string&)>& packaged) {
  std::vector<Component> components;
  components.push_back({"homebrew", State::notApplicable, "macos.environment_installer.homebrew_not_applicable"});
  for (const char* id : {"tmux", "starship", "fish"}) {
    if (present(id)) components.push_back({id, State::installed, ""});
    else if (packaged(id)) components.push_back({id, State::willInstall, ""});
    else components.push_back({id, State::notApplicable, "macos.environment_installer.not_packaged"});
  }
  components.push_back({"ghostty", State::notApplicable, "macos.environment_installer.ghostty_not_applicable"});
  return components;
}

std::vector<std::string> EnvComponents::packagesToInstall(const std::vector<Component>& components) {
  std::vector<std::string> packages;
  for (const auto& component : components) {
    if (component.state == State::willInstall) packages.push_back(component.id);
  }
  return packages;
}

}  // namespace vesket::supervision
