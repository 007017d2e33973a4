#pragma once

#include <QNetworkAccessManager>
#include <QString>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <qcoro/qcorotask.h>

#include "control_plane/core/pane_entry.h"
#include "crew/core/crew_records.h"
#include "crew/core/routing_config.h"
#include "daemon/daemon_paths.h"

namespace vesket::daemon {

class CommandArgs;
class TmuxEngine;

// Agent teams, agent groups and plain terminal windows: creating their tmux windows and
// panes through the engine, keeping their registry under `<home>/crew`, routing tasks to
// team workers, and filling the crew fields of the pane list.
//
// Files (all under `<home>/crew`, private to the account):
//   registry.json            {"crews": [...], "groups": [...], "terminals": [...]}
//   disbanded/<crewId>.json  the record of a disbanded team
//   status-<paneId>.json     one team member's status (role, model, state, task)
//   router-<crewId>.json     the team's router state (assignments, task metadata)
//   agents.json              agent command lines per kind (AgentCommandTable)
//   routing.json             routing configuration used while unpaired
//   bin/crew-registry.sh, bin/crew-router.sh   the crew tools (thin wrappers of `vesket crew`)
//
// A pane starts the agent by having its command typed into the pane's shell, so the shell
// stays when the agent exits. One creation runs at a time; a second one is refused while
// it runs. A creation that fails part-way kills the window it made.
class CrewService {
 public:
  CrewService(TmuxEngine& engine, DaemonPaths paths);

  // Reads the registry and writes the crew tools. Problems are logged: the daemon serves
  // on without teams rather than not at all.
  void load();

  // Fills role, crew and task fields of team members, and marks group and terminal
  // windows. Called by the engine before each pane list is published.
  void decorate(std::vector<control_plane::PaneEntry>& panes) const;

  // "crew" with its `action`: create, add-worker, rename, disband, list, route, complete.
  QCoro::Task<nlohmann::json> crew(nlohmann::json args);
  // "agent-group" with `action` create or add; "agent-group-rename".
  QCoro::Task<nlohmann::json> agentGroup(nlohmann::json args);
  QCoro::Task<nlohmann::json> renameAgentGroup(nlohmann::json args);
  // "spawn-plain-terminal": a loose terminal window, remembered as such; with an agent
  // kind other than "shell" the agent is started in it.
  QCoro::Task<QString> spawnPlainTerminal(QString windowName, std::string agentKind = {});
  // "kill" of a whole window by its id: groups and terminals leave the registry with it.
  QCoro::Task<void> killWindow(QString windowId);

  const DaemonPaths& paths() const { return m_paths; }
  QString crewDir() const { return m_paths.home + QStringLiteral("/crew"); }

 private:
  struct Terminal {
    std::string windowId;
    std::string paneId;
    std::string name;
    double createdAt = 0;
  };

  QCoro::Task<nlohmann::json> create(const CommandArgs& a);
  QCoro::Task<nlohmann::json> addWorker(const CommandArgs& a);
  QCoro::Task<nlohmann::json> rename(const CommandArgs& a);
  QCoro::Task<nlohmann::json> disband(const CommandArgs& a);
  QCoro::Task<nlohmann::json> list();
  QCoro::Task<nlohmann::json> route(const CommandArgs& a);
  QCoro::Task<nlohmann::json> complete(const CommandArgs& a);
  QCoro::Task<nlohmann::json> createGroup(const CommandArgs& a);
  QCoro::Task<nlohmann::json> addToGroup(const CommandArgs& a);

  // Opens a window in `directory` with one pane, or splits `besidePane`; returns the pane.
  QCoro::Task<QString> newWindow(QString name, QString directory);
  QCoro::Task<QString> splitPane(QString besidePane, QString directory);
  QCoro::Task<QString> windowOf(QString paneId);
  QCoro::Task<void> startAgent(QString paneId, std::string commandLine);
  QCoro::Task<void> layOutTwoRows(QString windowId, int panes);
  // Kills what a failed creation made; never throws.
  QCoro::Task<void> undo(QString windowId, std::vector<QString> panes);
  QCoro::Task<crew::RoutingConfig> routingConfig(std::string project);

  class CreationGuard;
  void beginCreation(const CommandArgs& a);

  // The agent kinds' command lines, with `<home>/crew/agents.json` applied.
  std::string checkedCommand(const CommandArgs& a, const std::string& kind, const std::string& model) const;
  QString resolveProject(const std::string& project) const;
  crew::RegistryCrew* findCrew(const std::string& crewId);
  crew::AgentGroupRecord* findGroup(const std::string& windowId);

  void save() const;
  void writeStatus(const crew::PaneStatus& status) const;
  void removeStatus(const std::string& paneId) const;
  std::optional<crew::PaneStatus> readStatus(const std::string& paneId) const;
  crew::RouterState routerState(const std::string& crewId) const;
  void writeRouterState(const std::string& crewId, const crew::RouterState& state);
  void writeTools() const;
  // Drops members, groups and terminals whose panes are gone; a team with no pane left is
  // recorded as ended.
  void prune();

  TmuxEngine& m_engine;
  DaemonPaths m_paths;
  std::vector<crew::RegistryCrew> m_crews;
  std::vector<crew::AgentGroupRecord> m_groups;
  std::vector<Terminal> m_terminals;
  std::map<std::string, crew::RouterState> m_routers;  // by crew id, as written
  std::map<std::string, crew::PaneStatus> m_statuses;  // by pane id, as written
  bool m_creating = false;
  QNetworkAccessManager m_network;
};

}  // namespace vesket::daemon
