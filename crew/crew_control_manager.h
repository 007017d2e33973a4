#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include <nlohmann/json.hpp>

#include "crew/core/crew_info.h"

namespace vesket::control_plane {
class ControlPlaneClient;
}
namespace vesket::relay {
class RelayClient;
}

namespace vesket::crew {

// The machine whose teams are shown: this machine (none) or another one of the account,
// reached through the relay.
struct CrewMachineTarget {
  std::int64_t daemonId = 0;
  std::string machineName;
};

// The teams, agent groups and loose terminal windows of the active machine, and every
// action on them. On this machine it runs the product tool (`vesket crew|agent-group`),
// the crew tools under `<home>/crew/bin` and control commands; for another machine it calls
// the relay, which forwards to that machine's daemon. All state lives on the main thread;
// tools and relay calls are awaited without blocking it.
class CrewControlManager : public QObject {
  Q_OBJECT

 public:
  enum class LoadState { idle, loading, loaded, empty, failed };
  enum class SpawnState { idle, spawning, done, failed };

  // Tool runs and relay calls come in as collaborators so that the manager can be used
  // with any daemon and relay (the tests use real ones).
  struct Collaborators {
    std::shared_ptr<control_plane::ControlPlaneClient> client;
    QString home;                          // the product home
    // A client of the account's relay; none without an account.
    std::function<std::optional<relay::RelayClient>()> relayClient;
    std::function<bool()> hasUsableRelayCredential;
  };

  explicit CrewControlManager(Collaborators collaborators, QObject* parent = nullptr);
  ~CrewControlManager() override;

  // --- published state (changed() after every change) ------------------------------------
  const std::vector<CrewInfo>& crews() const { return m_crews; }
  LoadState loadState() const { return m_loadState; }
  const QString& loadMessage() const { return m_loadMessage; }
  SpawnState spawnState() const { return m_spawnState; }
  SpawnState groupSpawnState() const { return m_groupSpawnState; }
  SpawnState plainTerminalSpawnState() const { return m_plainTerminalSpawnState; }
  const QString& spawnMessage() const { return m_spawnMessage; }
  const std::optional<QString>& actionMessage() const { return m_actionMessage; }
  bool mutationInFlight() const { return m_mutationInFlight; }
  bool mutationSucceeded() const { return m_mutationSucceeded; }
  bool crossDeviceNeedsApproval() const { return m_crossDeviceNeedsApproval; }
  const std::optional<QString>& removingCrewId() const { return m_removingCrewId; }
  const std::optional<QString>& addingWorkersCrewId() const { return m_addingWorkersCrewId; }
  const std::optional<CrewMachineTarget>& target() const { return m_target; }

  // Switches the active machine (none: this machine) and reloads.
  void setTarget(std::optional<CrewMachineTarget> target);

  // --- actions: each returns when done; the outcome is in the published state ---------
  QCoro::Task<void> refresh();
  QCoro::Task<void> spawn(QString project, int workerCount, QString model, QString task, QString kind);
  QCoro::Task<void> addWorkers(QString crewId, int count);
  QCoro::Task<void> spawnAgentGroup(int count, QString kind, QString name);
  QCoro::Task<void> addToAgentGroup(QString windowId, QString kind);
  QCoro::Task<void> spawnPlainTerminal(QString label);
  QCoro::Task<void> renameTeam(QString crewId, QString name);
  QCoro::Task<void> renameAgentGroup(QString paneId, QString name);
  QCoro::Task<void> closeAgentGroup(QString windowId, QString paneId);
  QCoro::Task<void> closeLooseWindow(QString crewId, QString windowId);
  QCoro::Task<void> remove(QString crewId, QString project);
  QCoro::Task<void> route(QString crewId, QString taskId, QString brief);
  QCoro::Task<void> stopTask(QString crewId, QString paneId);

  // The message of an action not yet possible on another machine.
  QString refusalForRemoteOnlyAction(const QString& action) const;

  // The localised message of a window name that is refused, or nothing.
  static std::optional<QString> windowNameError(const QString& name);

  QString registryScript() const { return m_home + QStringLiteral("/crew/bin/crew-registry.sh"); }
  QString routerScript() const { return m_home + QStringLiteral("/crew/bin/crew-router.sh"); }
  QString productTool() const { return m_home + QStringLiteral("/bin/vesket"); }

  struct RunResult {
    int exitCode = -1;
    QString stdoutText;
    QString stderrText;
  };
  // Runs a script (through /bin/bash) or a program with the crew environment.
  QCoro::Task<RunResult> run(QString script, QString launchPath, QStringList args);

 signals:
  void changed();

 private:
  QCoro::Task<void> loadRoster();
  QCoro::Task<void> loadRemoteRoster();
  QCoro::Task<nlohmann::json> relayCall(QString path, QByteArray method, nlohmann::json body);
  void beginMutation();
  QCoro::Task<void> endMutation(bool ok);
  QCoro::Task<bool> renameTeamAction(QString crewId, QString name);
  QCoro::Task<bool> renameAgentGroupAction(QString paneId, QString name);
  QCoro::Task<bool> closeAgentGroupAction(QString windowId, QString paneId);
  QCoro::Task<bool> closeLooseWindowAction(QString windowId);
  void setAction(std::optional<QString> message);
  void publish();
  bool isRemote() const { return m_target.has_value(); }
  // A relay failure as a message; notes a refusal of this device's approval.
  QString relayFailure(const std::exception& error);
  static QString shortened(const QString& text);

  Collaborators m_collaborators;
  QString m_home;
  std::vector<CrewInfo> m_crews;
  LoadState m_loadState = LoadState::idle;
  QString m_loadMessage;
  SpawnState m_spawnState = SpawnState::idle;
  SpawnState m_groupSpawnState = SpawnState::idle;
  SpawnState m_plainTerminalSpawnState = SpawnState::idle;
  QString m_spawnMessage;
  std::optional<QString> m_actionMessage;
  bool m_mutationInFlight = false;
  bool m_mutationSucceeded = false;
  bool m_crossDeviceNeedsApproval = false;
  std::optional<QString> m_removingCrewId;
  std::optional<QString> m_addingWorkersCrewId;
  std::optional<CrewMachineTarget> m_target;
  std::uint64_t m_loadSerial = 0;
};

}  // namespace vesket::crew
