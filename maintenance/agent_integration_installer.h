#pragma once

// Installs and updates what makes agents tell Vesket that they wait: the instructions
// files of each agent (AgentIntegration) and Claude Code's hook entries in its settings
// file, every change through TrackedMutation. Run at the application's start-up and by
// `vesket skills sync`. Idempotent: a second run changes nothing. A piece the user changed
// or removed since Vesket wrote it is left alone (and reported) unless forced; a settings
// file that is not valid JSON, a read-only folder or an unreadable manifest leave every
// file as it was, with a message saying why.

#include <QString>

#include <map>
#include <string>
#include <vector>

namespace vesket::maintenance {

class TrackedMutation;

struct AgentIntegrationOptions {
  QString userHome;      // where the agents' folders are
  QString vesketBinary;  // absolute path of the `vesket` the hooks and instructions run
  std::map<std::string, std::string> environment;  // CODEX_HOME, XDG_CONFIG_HOME
  bool force = false;    // replace pieces the user changed or removed
};

struct AgentIntegrationReport {
  std::vector<std::string> lines;  // one per piece, for the user
  int written = 0;                 // files written
  int problems = 0;                // pieces that could not be installed (errors, not choices)
};

class AgentIntegrationInstaller {
 public:
  AgentIntegrationInstaller(TrackedMutation& mutation, AgentIntegrationOptions options);

  // Throws TrackedMutationError only for what stops everything (an invalid manifest).
  AgentIntegrationReport sync();

 private:
  void syncInstructions(AgentIntegrationReport& report);
  void syncClaudeHooks(AgentIntegrationReport& report);

  TrackedMutation& m_mutation;
  AgentIntegrationOptions m_options;
};

}  // namespace vesket::maintenance
