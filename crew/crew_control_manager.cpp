#include "crew/crew_control_manager.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include <qcoro/qcoroprocess.h>

#include "control_plane/control_plane_client.h"
#include "crew/core/window_name.h"
#include "relay/core/relay_error.h"
#include "relay/relay_client.h"
#include "relay/relay_error_presentation.h"
#include "shell/desktop_isolation.h"

namespace vesket::crew {
namespace {

using relay::localizedText;

QString q(const std::string& text) { return QString::fromStdString(text); }
std::string s(const QString& text) { return text.toStdString(); }

QStringList qList(const std::vector<std::string>& items) {
  QStringList out;
  for (const auto& item : items) out << q(item);
  return out;
}

constexpr int kToolTimeoutMs = 90000;

std::optional<nlohmann::json> readJsonFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  auto parsed = nlohmann::json::parse(file.read(4 * 1024 * 1024).toStdString(), nullptr, false);
  if (parsed.is_discarded()) return std::nullopt;
  return parsed;
}

}  // namespace

CrewControlManager::CrewControlManager(Collaborators collaborators, QObject* parent)
    : QObject(parent), m_collaborators(std::move(collaborators)), m_home(m_collaborators.home) {}

CrewControlManager::~CrewControlManager() = default;

void CrewControlManager::publish() { emit changed(); }

void CrewControlManager::setAction(std::optional<QString> message) {
  m_actionMessage = std::move(message);
  publish();
}

QString CrewControlManager::shortened(const QString& text) {
  QString trimmed = text.trimmed();
  if (trimmed.size() > 300) trimmed = trimmed.left(299) + QChar(0x2026);
  return trimmed;
}

std::optional<QString> CrewControlManager::windowNameError(const QString& name) {
  const auto key = WindowName::error(s(name));
  if (!key) return std::nullopt;
  if (*key == "window.name.length_error") return localizedText(*key, QStringLiteral("Names are at most 40 characters."));
  return localizedText(*key, QStringLiteral("Names can’t hold control characters or any of ( ) [ ] { } < > : . ; ' \" ` $ \\ | & * ? ! # %."));
}

QString CrewControlManager::refusalForRemoteOnlyAction(const QString& action) const {
  const QString machine = m_target ? q(m_target->machineName) : QString();
  return localizedText("macos.crew_control_view.remote_only_refusal",
                       QStringLiteral("%1 isn’t available yet for a remote machine (%2) — switch to it directly, or select This Mac."),
                       {action, machine});
}

void CrewControlManager::setTarget(std::optional<CrewMachineTarget> target) {
  const bool same = (!target && !m_target) ||
                    (target && m_target && target->daemonId == m_target->daemonId);
  m_target = std::move(target);
  if (same) return;
  m_crews.clear();
  m_crossDeviceNeedsApproval = false;
  m_loadState = LoadState::idle;
  publish();
}

QCoro::Task<CrewControlManager::RunResult> CrewControlManager::run(QString script, QString launchPath, QStringList args) {
  QProcess process;
  QProcessEnvironment environment = shell::DesktopIsolation::childProcessEnvironment();
  environment.insert(QStringLiteral("VESKET_HOME"), m_home);
  environment.insert(QStringLiteral("VESKET_CREW_IMPL_BIN"), productTool());
  const QString inherited = environment.value(QStringLiteral("PATH"));
  environment.insert(QStringLiteral("PATH"),
                     QStringLiteral("/opt/homebrew/bin:/usr/local/bin:") +
                         (inherited.isEmpty() ? QStringLiteral("/usr/bin:/bin:/usr/sbin:/sbin") : inherited));
  process.setProcessEnvironment(environment);
  if (!script.isEmpty()) {
    process.setProgram(QStringLiteral("/bin/bash"));
    process.setArguments(QStringList{script} + args);
  } else {
    process.setProgram(launchPath);
    process.setArguments(args);
  }
  RunResult result;
  auto coProcess = qCoro(process);
  const bool started = co_await coProcess.start(QIODevice::ReadOnly, std::chrono::milliseconds(5000));
  if (!started) {
    result.stderrText = QStringLiteral("launch failed: ") + process.errorString();
    co_return result;
  }
  const bool finished = co_await coProcess.waitForFinished(std::chrono::milliseconds(kToolTimeoutMs));
  if (!finished) {
    process.kill();
    process.waitForFinished(1000);
  }
  result.exitCode = finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.stdoutText = QString::fromUtf8(process.readAllStandardOutput());
  result.stderrText = QString::fromUtf8(process.readAllStandardError());
  co_return result;
}

QString CrewControlManager::relayFailure(const std::exception& error) {
  if (const auto* relayError = dynamic_cast<const relay::RelayError*>(&error)) {
    if (relayError->message == "device_not_approved" || relayError->reason == "device_not_approved") {
      m_crossDeviceNeedsApproval = true;
    }
    return q(relayError->message);
  }
  return QString::fromUtf8(error.what());
}

QCoro::Task<nlohmann::json> CrewControlManager::relayCall(QString path, QByteArray method, nlohmann::json body) {
  std::optional<relay::RelayClient> client;
  if (m_collaborators.relayClient) client = m_collaborators.relayClient();
  if (!client) throw relay::RelayError(401, "Sign in to reach your other machines.");
  if (!body.is_null()) body["daemonId"] = m_target ? m_target->daemonId : 0;
  std::optional<nlohmann::json> sent;
  if (!body.is_null()) sent = std::move(body);
  auto calling = client->call(path, method, std::move(sent));
  nlohmann::json answer = co_await std::move(calling);
  co_return answer;
}

QCoro::Task<void> CrewControlManager::refresh() {
  if (isRemote()) co_await loadRemoteRoster();
  else co_await loadRoster();
}

QCoro::Task<void> CrewControlManager::loadRoster() {
  QPointer<CrewControlManager> self(this);
  const std::uint64_t serial = ++m_loadSerial;
  m_loadState = LoadState::loading;
  publish();
  auto fail = [this](QString message) {
    m_loadState = LoadState::failed;
    m_loadMessage = std::move(message);
    publish();
  };
  if (!QFileInfo::exists(registryScript())) {
    fail(localizedText("macos.crew_control_view.crew_bin_missing", QStringLiteral("crew bin not found at %1 — is the daemon installed?"),
                       {registryScript()}));
    co_return;
  }
  const QStringList listArgs{QStringLiteral("list")};
  const RunResult listed = co_await run(registryScript(), QString(), listArgs);
  if (self.isNull() || serial != m_loadSerial) co_return;
  if (listed.exitCode != 0) {
    if (listed.stderrText.contains(QLatin1String("local_crew_update_required"))) {
      fail(QStringLiteral("local_crew_update_required"));
    } else {
      fail(localizedText("macos.crew_control_view.registry_failed", QStringLiteral("crew-registry list failed")) +
           QStringLiteral(": ") + shortened(listed.stderrText));
    }
    co_return;
  }
  RegistryList registry;
  try {
    registry = RegistryList::fromJson(nlohmann::json::parse(listed.stdoutText.toStdString()));
  } catch (const std::exception&) {
    fail(localizedText("macos.crew_control_view.registry_unreadable", QStringLiteral("couldn't parse crew registry output")));
    co_return;
  }
  std::vector<control_plane::PaneEntry> live;
  try {
    auto listing = m_collaborators.client->listPanes();
    live = co_await std::move(listing);
  } catch (const std::exception&) {
    // Members then read as "unknown": the daemon's live status is not available.
  }
  if (self.isNull() || serial != m_loadSerial) co_return;
  std::vector<CrewInfo> crews;
  for (const auto& team : registry.crews) {
    std::vector<std::optional<PaneStatus>> statuses;
    for (const auto& member : team.members) {
      std::optional<PaneStatus> status;
      if (const auto json = readJsonFile(m_home + QStringLiteral("/crew/status-") + q(member.paneId) + QStringLiteral(".json"))) {
        try {
          status = PaneStatus::fromJson(*json);
        } catch (const std::exception&) {
        }
      }
      statuses.push_back(std::move(status));
    }
    RouterState router;
    if (const auto json = readJsonFile(m_home + QStringLiteral("/crew/router-") + q(team.crewId) + QStringLiteral(".json"))) {
      try {
        router = RouterState::fromJson(*json);
      } catch (const std::exception&) {
      }
    }
    crews.push_back(CrewControl::crewInfo(team, statuses, router, live));
  }
  for (auto& group : CrewControl::groupInfos(live)) crews.push_back(std::move(group));
  CrewControl::sortRoster(crews);
  m_crews = std::move(crews);
  m_loadState = m_crews.empty() ? LoadState::empty : LoadState::loaded;
  m_loadMessage.clear();
  publish();
}

QCoro::Task<void> CrewControlManager::loadRemoteRoster() {
  QPointer<CrewControlManager> self(this);
  const std::uint64_t serial = ++m_loadSerial;
  m_loadState = LoadState::loading;
  publish();
  const QString path = QStringLiteral("/api/crew/sessions?daemonId=") + QString::number(m_target->daemonId);
  nlohmann::json answer;
  std::optional<QString> failure;
  try {
    auto calling = relayCall(path, QByteArrayLiteral("GET"), nullptr);
    answer = co_await std::move(calling);
  } catch (const std::exception& error) {
    failure = relayFailure(error);
  }
  if (self.isNull() || serial != m_loadSerial) co_return;
  if (failure) {
    m_loadState = LoadState::failed;
    m_loadMessage = *failure;
    publish();
    co_return;
  }
  std::vector<control_plane::PaneEntry> rows;
  if (answer.is_object() && answer.contains("sessions") && answer["sessions"].is_array()) {
    for (const auto& row : answer["sessions"]) {
      try {
        rows.push_back(control_plane::PaneEntry::fromJson(row));
      } catch (const std::exception&) {
        // A row this version cannot read is left out, not the whole roster.
      }
    }
  }
  std::vector<CrewInfo> crews = CrewControl::crewInfos(rows);
  for (auto& group : CrewControl::groupInfos(rows)) crews.push_back(std::move(group));
  CrewControl::sortRoster(crews);
  m_crews = std::move(crews);
  m_crossDeviceNeedsApproval = false;
  m_loadState = m_crews.empty() ? LoadState::empty : LoadState::loaded;
  m_loadMessage.clear();
  publish();
}

QCoro::Task<void> CrewControlManager::spawn(QString project, int workerCount, QString model, QString task, QString kind) {
  if (m_spawnState == SpawnState::spawning) co_return;
  QPointer<CrewControlManager> self(this);
  m_spawnState = SpawnState::spawning;
  publish();
  bool ok = false;
  QString error;
  if (isRemote()) {
    nlohmann::json body = {{"project", s(project)}, {"size", workerCount}, {"model", s(model)},
                           {"agent", s(kind)},       {"task", s(task.trimmed())}};
    try {
      auto calling = relayCall(QStringLiteral("/api/crew/create"), QByteArrayLiteral("POST"), std::move(body));
      const nlohmann::json answer = co_await std::move(calling);
      const CrewCreateResult result = CrewCreateResult::fromJson(answer);
      ok = result.ok;
      error = q(result.error.value_or(""));
    } catch (const std::exception& failure) {
      error = relayFailure(failure);
    }
  } else if (!QFileInfo::exists(productTool())) {
    error = localizedText("macos.crew_control_view.cli_missing", QStringLiteral("vesket CLI not found at %1 — install the daemon first."),
                          {productTool()});
  } else {
    const QStringList args = qList(CrewControl::crewCreateArgs(s(project), workerCount, s(model), s(task), s(kind)));
    const RunResult result = co_await run(QString(), productTool(), args);
    ok = result.exitCode == 0;
    error = shortened(result.stderrText);
  }
  if (self.isNull()) co_return;
  if (ok) {
    m_spawnState = SpawnState::done;
    m_spawnMessage = localizedText("macos.crew_control_view.team_created",
                                   QStringLiteral("Agent team created for “%1” (1 mgr + %2 %3 workers, %4)."),
                                   {project, QString::number(workerCount), kind, model});
  } else {
    m_spawnState = SpawnState::failed;
    m_spawnMessage = localizedText("macos.crew_control_view.create_failed", QStringLiteral("crew create failed")) +
                     (error.isEmpty() ? QString() : QStringLiteral(": ") + error);
  }
  publish();
  if (ok) co_await refresh();
}

QCoro::Task<void> CrewControlManager::addWorkers(QString crewId, int count) {
  QPointer<CrewControlManager> self(this);
  m_addingWorkersCrewId = crewId;
  publish();
  bool ok = false;
  QString error;
  if (isRemote()) {
    try {
      auto calling = relayCall(QStringLiteral("/api/crew/add-worker"), QByteArrayLiteral("POST"),
                               nlohmann::json{{"crewId", s(crewId)}, {"count", count}});
      const nlohmann::json answer = co_await std::move(calling);
      const CrewCreateResult result = CrewCreateResult::fromJson(answer);
      ok = result.ok;
      error = q(result.error.value_or(""));
    } catch (const std::exception& failure) {
      error = relayFailure(failure);
    }
  } else {
    const RunResult result = co_await run(QString(), productTool(), qList(CrewControl::addWorkersArgs(s(crewId), count)));
    ok = result.exitCode == 0;
    error = shortened(result.stderrText);
  }
  if (self.isNull()) co_return;
  m_addingWorkersCrewId.reset();
  if (ok) {
    setAction(localizedText("macos.crew_control_view.workers_added", QStringLiteral("Added %1 agents to the team."), {QString::number(count)}));
    co_await refresh();
  } else {
    setAction(localizedText("macos.crew_control_view.add_workers_failed", QStringLiteral("Couldn’t add agents")) +
              QStringLiteral(" — add-worker failed: ") + error);
  }
}

QCoro::Task<void> CrewControlManager::spawnAgentGroup(int count, QString kind, QString name) {
  if (m_groupSpawnState == SpawnState::spawning) co_return;
  QPointer<CrewControlManager> self(this);
  if (!CrewControl::isValidAgentGroupSize(count)) {
    m_groupSpawnState = SpawnState::failed;
    m_spawnMessage = localizedText("macos.crew_control_view.group_size_error",
                                   QStringLiteral("Agent groups grow by 2 (2–8) to keep the two-row layout."));
    publish();
    co_return;
  }
  m_groupSpawnState = SpawnState::spawning;
  publish();
  bool ok = false;
  QString error;
  if (isRemote()) {
    try {
      auto calling = relayCall(QStringLiteral("/api/agent-group/create"), QByteArrayLiteral("POST"),
                               nlohmann::json{{"count", count}, {"model", s(kind)}, {"windowName", s(name.trimmed())}});
      const nlohmann::json answer = co_await std::move(calling);
      const CrewCreateResult result = CrewCreateResult::fromJson(answer);
      ok = result.ok;
      error = q(result.error.value_or(""));
    } catch (const std::exception& failure) {
      error = relayFailure(failure);
    }
  } else {
    const RunResult result = co_await run(QString(), productTool(), qList(CrewControl::agentGroupCreateArgs(count, s(kind), s(name))));
    ok = result.exitCode == 0;
    error = shortened(result.stderrText);
  }
  if (self.isNull()) co_return;
  m_groupSpawnState = ok ? SpawnState::done : SpawnState::failed;
  m_spawnMessage = ok ? localizedText("macos.crew_control_view.group_created", QStringLiteral("Agent Group created (%1 panes, no manager)."),
                                      {QString::number(count)})
                      : localizedText("macos.crew_control_view.group_create_failed", QStringLiteral("agent-group create failed")) +
                            QStringLiteral(": ") + error;
  publish();
  if (ok) co_await refresh();
}

QCoro::Task<void> CrewControlManager::addToAgentGroup(QString windowId, QString kind) {
  QPointer<CrewControlManager> self(this);
  bool ok = false;
  QString error;
  if (isRemote()) {
    try {
      auto calling = relayCall(QStringLiteral("/api/agent-group/add"), QByteArrayLiteral("POST"),
                               nlohmann::json{{"windowId", s(windowId)}, {"model", s(kind)}, {"count", 2}});
      const nlohmann::json answer = co_await std::move(calling);
      ok = answer.value("ok", false);
      error = q(answer.value("error", ""));
    } catch (const std::exception& failure) {
      error = relayFailure(failure);
    }
  } else {
    const RunResult result = co_await run(QString(), productTool(), qList(CrewControl::agentGroupAddArgs(s(windowId), s(kind))));
    ok = result.exitCode == 0;
    error = shortened(result.stderrText);
  }
  if (self.isNull()) co_return;
  setAction(ok ? localizedText("macos.crew_control_view.workers_added", QStringLiteral("Added %1 agents to the team."), {QStringLiteral("2")})
               : localizedText("macos.crew_control_view.add_workers_failed", QStringLiteral("Couldn’t add agents")) +
                     QStringLiteral(" — ") + error);
  if (ok) co_await refresh();
}

QCoro::Task<void> CrewControlManager::spawnPlainTerminal(QString label) {
  if (m_plainTerminalSpawnState == SpawnState::spawning) co_return;
  QPointer<CrewControlManager> self(this);
  const QString name = label.trimmed().isEmpty() ? QStringLiteral("Terminal") : label.trimmed();
  if (isRemote() && !(m_collaborators.hasUsableRelayCredential && m_collaborators.hasUsableRelayCredential())) {
    m_plainTerminalSpawnState = SpawnState::failed;
    m_spawnMessage = localizedText(
        "macos.crew_control_view.terminal_needs_sign_in",
        QStringLiteral("Sign in to create a terminal on a remote machine — without a relay account the pane would land on This Mac instead."));
    publish();
    co_return;
  }
  m_plainTerminalSpawnState = SpawnState::spawning;
  publish();
  bool ok = false;
  QString error;
  try {
    if (isRemote()) {
      auto calling = relayCall(QStringLiteral("/api/spawn-agent"), QByteArrayLiteral("POST"),
                               nlohmann::json{{"model", "shell"}, {"windowName", s(name)}});
      const nlohmann::json answer = co_await std::move(calling);
      ok = answer.value("ok", false);
      error = q(answer.value("error", ""));
    } else {
      auto spawning = m_collaborators.client->spawnPersistentPlainTerminal(s(name));
      co_await std::move(spawning);
      ok = true;
    }
  } catch (const std::exception& failure) {
    error = isRemote() ? relayFailure(failure) : QString::fromUtf8(failure.what());
  }
  if (self.isNull()) co_return;
  m_plainTerminalSpawnState = ok ? SpawnState::done : SpawnState::failed;
  m_spawnMessage = ok ? localizedText("macos.crew_control_view.terminal_opened", QStringLiteral("Opened terminal window “%1”."), {name})
                      : localizedText("macos.crew_control_view.terminal_failed", QStringLiteral("Couldn’t open a terminal: %1"), {error});
  publish();
  if (ok) co_await refresh();
}

void CrewControlManager::beginMutation() {
  m_mutationInFlight = true;
  publish();
}

QCoro::Task<void> CrewControlManager::endMutation(bool ok) {
  m_mutationInFlight = false;
  m_mutationSucceeded = ok;
  publish();
  if (ok) co_await refresh();
}

QCoro::Task<void> CrewControlManager::renameTeam(QString crewId, QString name) {
  if (const auto problem = windowNameError(name)) {
    setAction(*problem);
    co_return;
  }
  QPointer<CrewControlManager> self(this);
  beginMutation();
  auto acting = renameTeamAction(crewId, name);
  const bool ok = co_await acting;
  if (self.isNull()) co_return;
  co_await endMutation(ok);
}

QCoro::Task<void> CrewControlManager::renameAgentGroup(QString paneId, QString name) {
  if (const auto problem = windowNameError(name)) {
    setAction(*problem);
    co_return;
  }
  QPointer<CrewControlManager> self(this);
  beginMutation();
  auto acting = renameAgentGroupAction(paneId, name);
  const bool ok = co_await acting;
  if (self.isNull()) co_return;
  co_await endMutation(ok);
}

QCoro::Task<void> CrewControlManager::closeAgentGroup(QString windowId, QString paneId) {
  QPointer<CrewControlManager> self(this);
  beginMutation();
  auto acting = closeAgentGroupAction(windowId, paneId);
  const bool ok = co_await acting;
  if (self.isNull()) co_return;
  co_await endMutation(ok);
}

QCoro::Task<void> CrewControlManager::closeLooseWindow(QString crewId, QString windowId) {
  Q_UNUSED(crewId);
  if (isRemote()) {
    setAction(refusalForRemoteOnlyAction(localizedText("macos.crew_control_view.close_terminal_action", QStringLiteral("Closing a terminal"))));
    co_return;
  }
  QPointer<CrewControlManager> self(this);
  beginMutation();
  auto acting = closeLooseWindowAction(windowId);
  const bool ok = co_await acting;
  if (self.isNull()) co_return;
  co_await endMutation(ok);
}

QCoro::Task<bool> CrewControlManager::renameTeamAction(QString crewId, QString name) {
  QString error;
  bool ok = false;
  try {
    if (isRemote()) {
      nlohmann::json body = {{"crewId", s(crewId)}, {"displayName", s(name.trimmed())}};
      auto calling = relayCall(QStringLiteral("/api/crew/rename"), QByteArrayLiteral("POST"), std::move(body));
      const nlohmann::json answer = co_await std::move(calling);
      ok = answer.value("ok", false);
      error = q(answer.value("error", ""));
    } else {
      nlohmann::json args = {{"action", "rename"}, {"crewId", s(crewId)}, {"displayName", s(name.trimmed())}};
      auto asking = m_collaborators.client->request<nlohmann::json>("crew", std::move(args));
      const nlohmann::json answer = co_await std::move(asking);
      ok = answer.value("ok", false);
    }
  } catch (const std::exception& failure) {
    error = isRemote() ? relayFailure(failure) : QString::fromUtf8(failure.what());
  }
  setAction(ok ? localizedText("window.name.renamed", QStringLiteral("Renamed."))
               : localizedText("macos.crew_control_view.rename_team_failed", QStringLiteral("Couldn’t rename team")) +
                     QStringLiteral(": ") + error);
  co_return ok;
}

QCoro::Task<bool> CrewControlManager::renameAgentGroupAction(QString paneId, QString name) {
  QString error;
  bool ok = false;
  try {
    if (isRemote()) {
      nlohmann::json body = {{"paneId", s(paneId)}, {"name", s(name.trimmed())}};
      auto calling = relayCall(QStringLiteral("/api/agent-group/rename"), QByteArrayLiteral("POST"), std::move(body));
      const nlohmann::json answer = co_await std::move(calling);
      ok = answer.value("ok", false);
      error = q(answer.value("error", ""));
    } else {
      nlohmann::json args = {{"paneId", s(paneId)}, {"name", s(name.trimmed())}};
      auto asking = m_collaborators.client->request<nlohmann::json>("agent-group-rename", std::move(args));
      const nlohmann::json answer = co_await std::move(asking);
      ok = answer.value("ok", false);
    }
  } catch (const std::exception& failure) {
    error = isRemote() ? relayFailure(failure) : QString::fromUtf8(failure.what());
  }
  setAction(ok ? localizedText("window.name.renamed", QStringLiteral("Renamed."))
               : localizedText("window.name.rename_failed", QStringLiteral("Couldn’t rename group")) + QStringLiteral(": ") + error);
  co_return ok;
}

QCoro::Task<bool> CrewControlManager::closeAgentGroupAction(QString windowId, QString paneId) {
  QString error;
  bool ok = false;
  try {
    if (isRemote()) {
      nlohmann::json body = {{"paneId", s(paneId)}};
      auto calling = relayCall(QStringLiteral("/api/window/kill"), QByteArrayLiteral("POST"), std::move(body));
      const nlohmann::json answer = co_await std::move(calling);
      ok = answer.value("ok", false);
      error = q(answer.value("error", ""));
    } else {
      nlohmann::json args = {{"windowId", s(windowId)}};
      auto asking = m_collaborators.client->request<control_plane::KillResult>("kill", std::move(args));
      const control_plane::KillResult answer = co_await std::move(asking);
      ok = answer.killed.has_value();
    }
  } catch (const std::exception& failure) {
    error = isRemote() ? relayFailure(failure) : QString::fromUtf8(failure.what());
  }
  setAction(ok ? localizedText("window.name.mutation_succeeded", QStringLiteral("Done."))
               : localizedText("macos.crew_control_view.close_group_failed", QStringLiteral("Couldn’t close group")) +
                     QStringLiteral(": ") + error);
  co_return ok;
}

QCoro::Task<bool> CrewControlManager::closeLooseWindowAction(QString windowId) {
  QString error;
  bool ok = false;
  try {
    nlohmann::json args = {{"windowId", s(windowId)}};
    auto asking = m_collaborators.client->request<control_plane::KillResult>("kill", std::move(args));
    const control_plane::KillResult answer = co_await std::move(asking);
    ok = answer.killed.has_value();
  } catch (const std::exception& failure) {
    error = QString::fromUtf8(failure.what());
  }
  setAction(ok ? localizedText("macos.crew_control_view.terminal_closed", QStringLiteral("Closed terminal window."))
               : localizedText("macos.crew_control_view.close_terminal_failed", QStringLiteral("Close terminal failed: %1"), {error}));
  co_return ok;
}

QCoro::Task<void> CrewControlManager::remove(QString crewId, QString project) {
  if (isRemote()) {
    setAction(refusalForRemoteOnlyAction(localizedText("macos.crew_control_view.remove_action", QStringLiteral("Removing a team"))));
    co_return;
  }
  QPointer<CrewControlManager> self(this);
  m_removingCrewId = crewId;
  publish();
  QString error;
  bool ok = false;
  try {
    auto disbanding = m_collaborators.client->disbandCrew(s(project));
    const control_plane::CrewDisbandResult result = co_await std::move(disbanding);
    ok = result.ok;
    error = q(result.error.value_or(""));
  } catch (const std::exception& failure) {
    error = QString::fromUtf8(failure.what());
  }
  if (self.isNull()) co_return;
  m_removingCrewId.reset();
  setAction(ok ? localizedText("macos.crew_control_view.removed", QStringLiteral("Removed agent team for “%1”"), {project})
               : localizedText("macos.crew_control_view.remove_failed", QStringLiteral("Remove failed: %1"), {error}));
  co_await refresh();
}

QCoro::Task<void> CrewControlManager::route(QString crewId, QString taskId, QString brief) {
  if (taskId.trimmed().isEmpty()) {
    setAction(localizedText("macos.crew_control_view.task_id_required", QStringLiteral("A task id is required to route.")));
    co_return;
  }
  QPointer<CrewControlManager> self(this);
  setAction(localizedText("macos.crew_control_view.routing", QStringLiteral("Routing a task")));
  bool ok = false;
  QString pane;
  QString error;
  if (isRemote()) {
    try {
      nlohmann::json body = {{"crewId", s(crewId)}, {"taskId", s(taskId.trimmed())}, {"brief", s(brief)}};
      auto calling = relayCall(QStringLiteral("/api/crew/route"), QByteArrayLiteral("POST"), std::move(body));
      const nlohmann::json answer = co_await std::move(calling);
      ok = answer.value("ok", false);
      pane = q(answer.value("paneId", ""));
      error = q(answer.value("error", ""));
    } catch (const std::exception& failure) {
      error = relayFailure(failure);
    }
  } else {
    const QStringList args{QStringLiteral("route"), crewId, taskId.trimmed(), brief};
    const RunResult result = co_await run(routerScript(), QString(), args);
    ok = result.exitCode == 0;
    error = shortened(result.stderrText);
    // The tool's last line is the router's answer.
    const auto answer = nlohmann::json::parse(result.stdoutText.trimmed().section(QLatin1Char('\n'), -1).toStdString(), nullptr, false);
    if (answer.is_object()) pane = q(answer.value("paneId", ""));
  }
  if (self.isNull()) co_return;
  setAction(ok ? localizedText("macos.crew_control_view.routed", QStringLiteral("Routed %1 to %2."), {taskId.trimmed(), pane})
               : localizedText("macos.crew_control_view.route_failed", QStringLiteral("route failed")) + QStringLiteral(": ") + error);
  co_await refresh();
}

QCoro::Task<void> CrewControlManager::stopTask(QString crewId, QString paneId) {
  QPointer<CrewControlManager> self(this);
  setAction(localizedText("macos.crew_control_view.stopping", QStringLiteral("Stopping a task")));
  bool ok = false;
  QString error;
  if (isRemote()) {
    try {
      nlohmann::json body = {{"crewId", s(crewId)}, {"paneId", s(paneId)}};
      auto calling = relayCall(QStringLiteral("/api/crew/stop"), QByteArrayLiteral("POST"), std::move(body));
      const nlohmann::json answer = co_await std::move(calling);
      ok = answer.value("ok", false);
      error = q(answer.value("error", ""));
    } catch (const std::exception& failure) {
      error = relayFailure(failure);
    }
  } else {
    const QStringList args{QStringLiteral("complete"), crewId, paneId};
    const RunResult result = co_await run(routerScript(), QString(), args);
    ok = result.exitCode == 0;
    error = shortened(result.stderrText);
  }
  if (self.isNull()) co_return;
  setAction(ok ? localizedText("macos.crew_control_view.stopped", QStringLiteral("Stopped the task of %1."), {paneId})
               : localizedText("macos.crew_control_view.stop_failed", QStringLiteral("stop failed")) + QStringLiteral(": ") + error);
  co_await refresh();
}

}  // namespace vesket::crew
