#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::supervision {

// Where tools are looked for. A desktop application started from the session's menu does
// not get the PATH of the user's shell, so the probes search the user's usual tool folders
// and the search path of their login shell ahead of the inherited one, by file-system
// checks only.
struct SafePathProbe {
  // home + "/.local/bin", "/bin", "/.npm-global/bin", "/.bun/bin", "/.cargo/bin",
  // "/.local/share/mise/shims", "/.asdf/shims", "/.fnm/current/bin", "/opt/homebrew/bin",
  // "/usr/local/bin", then "<version>/bin" of each installed nvm node version.
  static std::vector<std::string> candidateDirectories(const std::string& home,
                                                       const std::vector<std::string>& nvmVersionDirs);
  // The candidates, then the login shell's search path, then `base`, joined with ":"
  // without duplicates or empty entries.
  static std::string augmentedPATH(const std::vector<std::string>& candidates, std::string_view loginShellPath,
                                   std::string_view base);
  // The first `dir/name` in `path` for which `isExecutable` holds.
  static std::optional<std::string> executablePathWithoutProcess(
      std::string_view name, std::string_view path, const std::function<bool(const std::string&)>& isExecutable);
};

struct MacReadiness {
  bool tmuxInstalled = false;
  std::optional<std::string> agentCliFound;  // the first agent tool found
  bool operator==(const MacReadiness&) const = default;
};

struct AgentCliCandidate {
  std::string name;
  std::vector<std::string> executables;
  std::string installCommand;  // how its maker installs it
};

struct MacReadinessProbe {
  static const std::vector<AgentCliCandidate>& agentCliCandidates();
  // `check(name)`: whether an executable of that name is found.
  static MacReadiness probe(bool tmuxFallbackAvailable, const std::function<bool(const std::string&)>& check);
};

struct CrewDeps {
  bool jqAvailable = false;
  bool python3Available = false;
  bool gitAvailable = false;
  bool developerToolsAvailable() const { return python3Available && gitAvailable; }
  bool ready() const { return jqAvailable && developerToolsAvailable(); }
  std::string_view detailKey() const;
  bool operator==(const CrewDeps&) const = default;
};

struct CrewDepsProbe {
  static constexpr std::string_view crewJqHelperName = "crew-jq.sh";
  struct Environment {
    std::function<std::optional<std::string>(const std::string& name)> resolve;
    std::function<std::optional<std::string>()> bundledJqPath;
    std::function<bool()> crewScriptsUseBundledJq;
    std::function<bool(const std::string& path)> isExecutable;
  };
  static CrewDeps probe(const Environment& environment);
  static bool developerToolAvailable(const std::string& name, const Environment& environment);
};

// The distribution, from /etc/os-release.
struct OsRelease {
  std::string id;
  std::vector<std::string> idLike;
  std::string prettyName;
  static OsRelease parse(std::string_view text);
  bool isLike(std::string_view family) const;
};

// How to install system packages here: one click (through pkexec and apt-get on Debian-like
// systems) or a command the user copies into a terminal.
struct PackageInstallPlan {
  bool oneClick = false;
  std::vector<std::string> arguments;  // oneClick: the command to run
  std::string copyableCommand;         // what to run by hand; empty when no command is known here
  bool operator==(const PackageInstallPlan&) const = default;

  static PackageInstallPlan forPackages(const OsRelease& os, const std::vector<std::string>& packages,
                                        bool pkexecAvailable);
};

// One row of the readiness view: a tool, where it was found, and how to get it.
struct ToolReadiness {
  enum class Kind { tmux, agent, crewDependency };
  std::string name;
  Kind kind = Kind::agent;
  std::optional<std::string> path;  // found here
  std::string installCommand;       // missing: how to install it
  bool oneClick = false;            // missing: Vesket can install it through the package manager
  bool operator==(const ToolReadiness&) const = default;
};

// The tmux configuration Vesket offers, and the status helper it shows on the right.
struct TmuxConfiguration {
  static std::string text();
  static std::string agentStatusScript();
};

// The optional environment installer's components on this system: Homebrew and Ghostty do
// not apply on Linux; tmux, fish and starship come from the package manager when it has
// them.
struct EnvComponents {
  enum class State { installed, willInstall, notApplicable };
  struct Component {
    std::string id;  // "homebrew", "tmux", "starship", "fish", "ghostty"
    State state = State::notApplicable;
    std::string noteKey;  // notApplicable: the localisation key of why
    bool operator==(const Component&) const = default;
  };
  // `present(id)`: the component is installed; `packaged(id)`: the package manager has it.
  static std::vector<Component> detect(const std::function<bool(const std::string&)>& present,
                                       const std::function<bool(const std::string&)>& packaged);
  // The packages to install for the components marked willInstall.
  static std::vector<std::string> packagesToInstall(const std::vector<Component>& components);
};

std::string_view envComponentStateName(EnvComponents::State state);

}  // namespace vesket::supervision
