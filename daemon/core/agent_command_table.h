#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace vesket::daemon {

// The command line each agent kind is started with in a team, group or terminal pane.
//
// Defaults: claude, codex, gemini, opencode and cursor start their own CLI with the model
// (`{model}`, shell-quoted, dropped with its option when no model is given); "shell" starts
// nothing (the pane's own shell). `<home>/crew/agents.json` overrides or adds kinds:
//   {"claude": "claude --model {model}", "aider": {"command": "aider --model {model}"}}
// The first word of a command is the program that must be installed.
class AgentCommandTable {
 public:
  AgentCommandTable();

  // Merges overrides from the file's JSON; a malformed file or entry is an error naming
  // it, and nothing of the file is taken then.
  void applyOverrides(const nlohmann::json& file);

  bool knows(const std::string& kind) const { return m_commands.count(kind) != 0; }
  std::vector<std::string> kinds() const;

  // The line typed into a new pane; empty for a plain shell.
  std::string commandLine(const std::string& kind, const std::string& model) const;
  // The program that must be installed for the kind (the command's first word); none for
  // a plain shell.
  std::optional<std::string> program(const std::string& kind) const;

  // Single-quotes `text` for a POSIX shell.
  static std::string shellQuoted(const std::string& text);

 private:
  std::map<std::string, std::string> m_commands;
};

}  // namespace vesket::daemon
