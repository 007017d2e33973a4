#include "daemon/crew_service.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>

#include <algorithm>
#include <memory>
#include <set>

#include <fmt/format.h>
#include <qcoro/qcoronetworkreply.h>

#include "control_plane/core/command_results.h"
#include "crew/core/task_router.h"
#include "crew/core/window_name.h"
#include "daemon/core/agent_command_table.h"
#include "daemon/core/agent_root.h"
#include "daemon/core/command_args.h"
#include "daemon/core/command_error.h"
#include "daemon/core/env_file.h"
#include "daemon/core/pane_query.h"
#include "daemon/core/tmux_command.h"
#include "daemon/core/two_row_layout.h"
#include "daemon/private_file.h"
#include "daemon/tmux_engine.h"

namespace vesket::daemon {
namespace {

constexpr int kMaxWorkers = 9;
constexpr int kMaxGroupPanes = 8;
constexpr int kRoutingFetchTimeoutMs = 5000;

QString q(const std::string& text) { return QString::fromStdString(text); }
std::string s(const QString& text) { return text.toStdString(); }
double nowMs() { return static_cast<double>(QDateTime::currentMSecsSinceEpoch()); }

std::optional<nlohmann::json> readJsonFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  auto parsed = nlohmann::json::parse(file.read(8 * 1024 * 1024).toStdString(), nullptr, false);
  if (parsed.is_discarded()) return std::nullopt;
  return parsed;
}

QByteArray jsonBytes(const nlohmann::json& json) {
  return QByteArray::fromStdString(json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace)) + '\n';
}

std::string quotedTarget(const QString& target) { return TmuxCommand::quote(s(target)); }

// The crew tools: the stable entry points of the agents' and the application's calls,
// each handing its arguments to `vesket crew`.
constexpr const char* kRegistryTool = R"(#!/bin/bash
# Agent team registry: `crew-registry.sh list` prints the teams of this machine as JSON.
set -euo pipefail
home="${VESKET_HOME:-$HOME/.vesket}"
bin="${VESKET_CREW_IMPL_BIN:-$home/bin/vesket}"
case "${1:-}" in
  list) exec "$bin" crew list ;;
  *) echo "usage: crew-registry.sh list" >&2; exit 2 ;;
esac
)";

constexpr const char* kRouterTool = R"(#!/bin/bash
# Agent team router: `crew-router.sh route CREW_ID TASK_ID BRIEF` gives a task to the
# worker the routing configuration picks; `crew-router.sh complete|stop CREW_ID PANE_ID`
# ends a worker's task.
set -euo pipefail
home="${VESKET_HOME:-$HOME/.vesket}"
bin="${VESKET_CREW_IMPL_BIN:-$home/bin/vesket}"
case "${1:-}" in
  route)
    [ $# -ge 3 ] || { echo "usage: crew-router.sh route CREW_ID TASK_ID [BRIEF]" >&2; exit 2; }
    exec "$bin" crew route --crew "$2" --task "$3" --brief "${4:-}" ;;
  complete|stop)
    [ $# -eq 3 ] || { echo "usage: crew-router.sh $1 CREW_ID PANE_ID" >&2; exit 2; }
    exec "$bin" crew complete --crew "$2" --pane "$3" ;;
  *) echo "usage: crew-router.sh route|complete|stop ..." >&2; exit 2 ;;
esac
)";

std::string interruptKeyFor(const std::string& kind) { return kind == "claude" ? "Escape" : "C-c"; }

}  // namespace

// Lets one creation run at a time; the flag drops when the creation ends, however it ends.
class CrewService::CreationGuard {
 public:
  explicit CreationGuard(bool& flag) : m_flag(flag) { m_flag = true; }
  ~CreationGuard() { m_flag = false; }
  CreationGuard(const CreationGuard&) = delete;
  CreationGuard& operator=(const CreationGuard&) = delete;

 private:
  bool& m_flag;
};

CrewService::CrewService(TmuxEngine& engine, DaemonPaths paths) : m_engine(engine), m_paths(std::move(paths)) {}

void CrewService::load() {
  if (auto failed = PrivateFile::makeDirectory(crewDir())) {
    qWarning().noquote() << "crew: cannot create" << crewDir() << ":" << *failed;
    return;
  }
  if (const auto registry = readJsonFile(crewDir() + QStringLiteral("/registry.json"))) {
    try {
      for (const auto& each : registry->value("crews", nlohmann::json::array())) m_crews.push_back(crew::RegistryCrew::fromJson(each));
      for (const auto& each : registry->value("groups", nlohmann::json::array())) m_groups.push_back(crew::AgentGroupRecord::fromJson(each));
      for (const auto& each : registry->value("terminals", nlohmann::json::array())) {
        m_terminals.push_back({each.value("windowId", ""), each.value("paneId", ""), each.value("name", ""),
                               each.value("createdAt", 0.0)});
      }
    } catch (const std::exception& error) {
      qWarning().noquote() << "crew: the registry does not read, starting without teams:" << error.what();
      m_crews.clear();
      m_groups.clear();
      m_terminals.clear();
    }
  }
  for (const auto& team : m_crews) {
    m_routers[team.crewId] = routerState(team.crewId);
    for (const auto& member : team.members) {
      if (auto status = readStatus(member.paneId)) m_statuses[member.paneId] = *status;
    }
  }
  writeTools();
}

void CrewService::writeTools() const {
  const QString bin = crewDir() + QStringLiteral("/bin");
  if (auto failed = PrivateFile::makeDirectory(bin)) {
    qWarning().noquote() << "crew: cannot create" << bin << ":" << *failed;
    return;
  }
  const std::pair<QString, const char*> tools[] = {{QStringLiteral("crew-registry.sh"), kRegistryTool},
                                                   {QStringLiteral("crew-router.sh"), kRouterTool}};
  for (const auto& [name, text] : tools) {
    const QString path = bin + QLatin1Char('/') + name;
    if (auto failed = PrivateFile::write(path, QByteArray(text))) {
      qWarning().noquote() << "crew: cannot write" << path << ":" << *failed;
      continue;
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
}

void CrewService::save() const {
  nlohmann::json registry = {{"crews", nlohmann::json::array()}, {"groups", nlohmann::json::array()},
                             {"terminals", nlohmann::json::array()}};
  for (const auto& team : m_crews) registry["crews"].push_back(team.toJson());
  for (const auto& group : m_groups) registry["groups"].push_back(group.toJson());
  for (const auto& terminal : m_terminals) {
    registry["terminals"].push_back({{"windowId", terminal.windowId}, {"paneId", terminal.paneId},
                                     {"name", terminal.name}, {"createdAt", terminal.createdAt}});
  }
  if (auto failed = PrivateFile::write(crewDir() + QStringLiteral("/registry.json"), jsonBytes(registry))) {
    throw CommandError("cannot write the team registry: " + s(*failed));
  }
}

std::optional<crew::PaneStatus> CrewService::readStatus(const std::string& paneId) const {
  const auto json = readJsonFile(crewDir() + QStringLiteral("/status-") + q(paneId) + QStringLiteral(".json"));
  if (!json) return std::nullopt;
  try {
    return crew::PaneStatus::fromJson(*json);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

void CrewService::writeStatus(const crew::PaneStatus& status) const {
  const QString path = crewDir() + QStringLiteral("/status-") + q(status.paneId) + QStringLiteral(".json");
  if (auto failed = PrivateFile::write(path, jsonBytes(status.toJson()))) {
    qWarning().noquote() << "crew: cannot write" << path << ":" << *failed;
  }
}

void CrewService::removeStatus(const std::string& paneId) const {
  QFile::remove(crewDir() + QStringLiteral("/status-") + q(paneId) + QStringLiteral(".json"));
}

crew::RouterState CrewService::routerState(const std::string& crewId) const {
  if (const auto known = m_routers.find(crewId); known != m_routers.end()) return known->second;
  const auto json = readJsonFile(crewDir() + QStringLiteral("/router-") + q(crewId) + QStringLiteral(".json"));
  if (!json) return {};
  try {
    return crew::RouterState::fromJson(*json);
  } catch (const std::exception&) {
    return {};
  }
}

void CrewService::writeRouterState(const std::string& crewId, const crew::RouterState& state) {
  const QString path = crewDir() + QStringLiteral("/router-") + q(crewId) + QStringLiteral(".json");
  if (auto failed = PrivateFile::write(path, jsonBytes(state.toJson()))) {
    throw CommandError("cannot write the router state: " + s(*failed));
  }
  m_routers[crewId] = state;
}

void CrewService::decorate(std::vector<control_plane::PaneEntry>& panes) const {
  std::map<std::string, std::pair<const crew::RegistryCrew*, const crew::RegistryMember*>> members;
  for (const auto& team : m_crews) {
    for (const auto& member : team.members) members[member.paneId] = {&team, &member};
  }
  std::map<std::string, const crew::AgentGroupRecord*> groups;
  for (const auto& group : m_groups) groups[group.windowId] = &group;
  std::map<std::string, const Terminal*> terminals;
  for (const auto& terminal : m_terminals) terminals[terminal.windowId] = &terminal;

  for (auto& pane : panes) {
    if (const auto found = members.find(pane.paneId); found != members.end()) {
      const auto& [team, member] = found->second;
      pane.role = member->role.value_or("worker");
      pane.crewId = team->crewId;
      pane.crewProject = team->project;
      pane.managerModel = team->managerModel;
      pane.crewCreatedAt = team->createdAt;
      pane.crew = control_plane::CrewRow{team->crewId, team->project, team->managerPaneId,
                                         team->lifecycle.value_or("active"), "vesket", team->createdAt.value_or(0)};
      if (!pane.model && member->model && !member->model->empty()) pane.model = member->model;
      const auto router = m_routers.find(team->crewId);
      if (router != m_routers.end()) {
        if (const auto held = router->second.assignments.find(pane.paneId); held != router->second.assignments.end()) {
          const std::string taskId = held->second.taskId.value_or("");
          std::string brief = taskId;
          if (const auto meta = router->second.taskMeta.find(taskId); meta != router->second.taskMeta.end() && meta->second.brief) {
            brief = *meta->second.brief;
          }
          pane.task = brief;
          pane.assignment = control_plane::AssignmentRow{pane.paneId, team->crewId, brief, "assigned",
                                                         held->second.assignedAt.value_or(0), 0};
        }
      }
      continue;
    }
    if (const auto group = groups.find(pane.windowId); group != groups.end()) {
      pane.windowKind = "group";
      pane.groupCreatedAt = group->second->createdAt;
    } else if (terminals.count(pane.windowId)) {
      pane.windowKind = "terminal";
    }
  }
}

void CrewService::prune() {
  if (!m_engine.isConnected()) return;
  std::set<std::string> live;
  for (const auto& pane : m_engine.panes()) live.insert(pane.paneId);
  bool changed = false;
  for (auto it = m_crews.begin(); it != m_crews.end();) {
    const auto before = it->members.size();
    std::erase_if(it->members, [&](const crew::RegistryMember& member) { return !live.count(member.paneId); });
    if (it->members.size() != before) changed = true;
    if (!it->members.empty()) {
      ++it;
      continue;
    }
    // Every pane of the team is gone (closed in tmux): it ended without a disband.
    crew::RegistryCrew ended = *it;
    ended.lifecycle = "ended";
    ended.disbandedAt = nowMs();
    PrivateFile::makeDirectory(crewDir() + QStringLiteral("/disbanded"));
    PrivateFile::write(crewDir() + QStringLiteral("/disbanded/") + q(ended.crewId) + QStringLiteral(".json"),
                       jsonBytes(ended.toJson()));
    QFile::remove(crewDir() + QStringLiteral("/router-") + q(ended.crewId) + QStringLiteral(".json"));
    m_routers.erase(ended.crewId);
    it = m_crews.erase(it);
  }
  for (auto it = m_statuses.begin(); it != m_statuses.end();) {
    if (live.count(it->first)) {
      ++it;
    } else {
      removeStatus(it->first);
      it = m_statuses.erase(it);
    }
  }
  for (auto& group : m_groups) {
    const auto before = group.panes.size();
    std::erase_if(group.panes, [&](const std::string& pane) { return !live.count(pane); });
    changed = changed || group.panes.size() != before;
  }
  const auto groupsBefore = m_groups.size();
  std::erase_if(m_groups, [](const crew::AgentGroupRecord& group) { return group.panes.empty(); });
  const auto terminalsBefore = m_terminals.size();
  std::erase_if(m_terminals, [&](const Terminal& terminal) { return !live.count(terminal.paneId); });
  changed = changed || groupsBefore != m_groups.size() || terminalsBefore != m_terminals.size();
  if (changed) {
    try {
      save();
    } catch (const std::exception& error) {
      qWarning().noquote() << "crew:" << error.what();
    }
  }
}

crew::RegistryCrew* CrewService::findCrew(const std::string& crewId) {
  const auto it = std::find_if(m_crews.begin(), m_crews.end(), [&](const auto& team) { return team.crewId == crewId; });
  return it == m_crews.end() ? nullptr : &*it;
}

crew::AgentGroupRecord* CrewService::findGroup(const std::string& windowId) {
  const auto it = std::find_if(m_groups.begin(), m_groups.end(), [&](const auto& group) { return group.windowId == windowId; });
  return it == m_groups.end() ? nullptr : &*it;
}

void CrewService::beginCreation(const CommandArgs& a) {
  if (m_creating) a.fail("another team, group or terminal is being created; try again when it is done");
}

std::string CrewService::checkedCommand(const CommandArgs& a, const std::string& kind, const std::string& model) const {
  AgentCommandTable table;
  if (const auto overrides = readJsonFile(crewDir() + QStringLiteral("/agents.json"))) {
    try {
      table.applyOverrides(*overrides);
    } catch (const std::exception& error) {
      a.fail(fmt::format("{}/agents.json: {}", s(crewDir()), error.what()));
    }
  }
  if (!table.knows(kind)) {
    std::string known;
    for (const auto& each : table.kinds()) known += (known.empty() ? "" : ", ") + each;
    a.fail(fmt::format("unknown agent kind '{}' (known: {})", kind, known));
  }
  if (const auto program = table.program(kind)) {
    if (QStandardPaths::findExecutable(q(*program)).isEmpty()) {
      a.fail(fmt::format("the {} command '{}' is not installed (not found on PATH)", kind, *program));
    }
  }
  return table.commandLine(kind, model);
}

QString CrewService::resolveProject(const std::string& project) const {
  QString path = q(project);
  if (path.startsWith(QLatin1String("~/"))) path = m_paths.userHome + path.mid(1);
  if (QFileInfo(path).isRelative()) {
    QFile rootFile(m_paths.agentRootFile());
    QString root = m_paths.userHome;
    if (rootFile.open(QIODevice::ReadOnly)) {
      const QString line = QString::fromUtf8(rootFile.readLine(4096)).trimmed();
      if (!line.isEmpty()) root = line;
    }
    path = root + QLatin1Char('/') + path;
  }
  const QFileInfo info(path);
  if (!info.isDir()) return {};
  return info.canonicalFilePath();
}

QCoro::Task<QString> CrewService::newWindow(QString name, QString directory) {
  co_return co_await m_engine.spawnShell(name, directory);
}

QCoro::Task<QString> CrewService::splitPane(QString besidePane, QString directory) {
  const std::string line = "split-window -d -t " + quotedTarget(besidePane) + " -c " +
                           TmuxCommand::quote(TmuxCommand::unexpanded(s(directory))) + " -P -F " +
                           TmuxCommand::quote(PaneQuery::newPaneFormat());
  const auto answer = co_await m_engine.command(line);
  const auto paneId = PaneQuery::newPaneId(answer);
  if (!paneId || !TmuxCommand::isPaneId(*paneId)) throw CommandError("tmux did not report the new pane");
  co_return q(*paneId);
}

QCoro::Task<QString> CrewService::windowOf(QString paneId) {
  const std::string line = "display-message -p -t " + quotedTarget(paneId) + " " + TmuxCommand::quote("#{window_id}");
  const auto answer = co_await m_engine.command(line);
  if (answer.empty() || !TmuxCommand::isWindowId(answer.front())) throw CommandError("tmux did not report the pane's window");
  co_return q(answer.front());
}

QCoro::Task<void> CrewService::startAgent(QString paneId, std::string commandLine) {
  if (commandLine.empty()) co_return;
  co_await m_engine.sendText(paneId, commandLine);
  const QStringList enter{QStringLiteral("Enter")};
  co_await m_engine.sendKeys(paneId, enter);
}

QCoro::Task<void> CrewService::layOutTwoRows(QString windowId, int panes) {
  const std::string sizeLine = "display-message -p -t " + quotedTarget(windowId) + " " +
                               TmuxCommand::quote("#{window_width} #{window_height}");
  const auto answer = co_await m_engine.command(sizeLine);
  int width = 80;
  int height = 24;
  if (!answer.empty()) std::sscanf(answer.front().c_str(), "%d %d", &width, &height);
  const std::string layout = TwoRowLayout::layout(width, height, panes);
  const std::string line = "select-layout -t " + quotedTarget(windowId) + " " + TmuxCommand::quote(layout);
  co_await m_engine.command(line);
}

QCoro::Task<void> CrewService::undo(QString windowId, std::vector<QString> panes) {
  try {
    if (!windowId.isEmpty()) {
      const std::string line = "kill-window -t " + quotedTarget(windowId);
      co_await m_engine.command(line);
    } else {
      for (const QString& pane : panes) {
        const std::string line = "kill-pane -t " + quotedTarget(pane);
        co_await m_engine.command(line);
      }
    }
  } catch (const std::exception& error) {
    qWarning().noquote() << "crew: cannot remove what a failed creation made:" << error.what();
  }
}

QCoro::Task<nlohmann::json> CrewService::crew(nlohmann::json args) {
  const CommandArgs a("crew", args);
  const std::string action = a.requireString("action");
  if (action == "create") co_return co_await create(a);
  if (action == "add-worker") co_return co_await addWorker(a);
  if (action == "rename") co_return co_await rename(a);
  if (action == "disband") co_return co_await disband(a);
  if (action == "list") co_return co_await list();
  if (action == "route") co_return co_await route(a);
  if (action == "complete" || action == "stop") co_return co_await complete(a);
  a.fail(fmt::format("unknown action '{}'", action));
}

QCoro::Task<nlohmann::json> CrewService::create(const CommandArgs& a) {
  const std::string project = a.requireString("project");
  const auto size = static_cast<int>(a.requireInteger("size", 1, kMaxWorkers));
  const std::string model = a.optionalString("model").value_or("");
  const std::string task = crew::WindowName::trimmed(a.optionalString("task").value_or(""));
  const std::string kind = a.optionalString("agent").value_or("claude");
  const std::string managerKind = a.optionalString("managerAgent").value_or(kind);
  beginCreation(a);
  if (crew::WindowName::trimmed(project).empty()) a.fail("argument 'project' must name the project directory");
  const QString directory = resolveProject(project);
  if (directory.isEmpty()) a.fail(fmt::format("project directory '{}' does not exist", project));
  const std::string workerLine = checkedCommand(a, kind, model);
  const std::string managerLine = checkedCommand(a, managerKind, model);
  CreationGuard guard(m_creating);
  QPointer<TmuxEngine> engine(&m_engine);

  crew::RegistryCrew team;
  team.crewId = "crew-" + s(QUuid::createUuid().toString(QUuid::Id128).left(10));
  team.project = project;
  team.managerModel = model;
  team.workerModel = model;
  team.lifecycle = "active";
  team.agentKind = kind;
  team.createdAt = nowMs();
  const QString windowName = QFileInfo(directory).fileName().left(static_cast<int>(crew::WindowName::maxLength));
  QString windowId;
  std::vector<QString> made;
  std::optional<std::string> failure;
  try {
    const QString manager = co_await newWindow(windowName, directory);
    made.push_back(manager);
    windowId = co_await windowOf(manager);
    for (int i = 0; i < size; ++i) {
      const QString& beside = made.back();
      const QString worker = co_await splitPane(beside, directory);
      made.push_back(worker);
      const std::string tiled = "select-layout -t " + quotedTarget(windowId) + " tiled";
      co_await m_engine.command(tiled);
    }
    const std::string layout = "select-layout -t " + quotedTarget(windowId) + " main-vertical";
    co_await m_engine.command(layout);
    co_await startAgent(made.front(), managerLine);
    for (std::size_t i = 1; i < made.size(); ++i) co_await startAgent(made[i], workerLine);
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (failure) {
    const std::string reason = *failure;
    co_await undo(windowId, made);
    throw CommandError("crew create: " + reason + " (nothing was kept)");
  }
  team.managerPaneId = s(made.front());
  team.windowId = s(windowId);
  for (std::size_t i = 0; i < made.size(); ++i) {
    const bool isManager = i == 0;
    team.members.push_back({s(made[i]), isManager ? "manager" : "worker", model, isManager ? managerKind : kind});
  }
  m_crews.push_back(team);
  std::optional<std::string> saveFailure;
  try {
    save();
  } catch (const std::exception& error) {
    saveFailure = error.what();
  }
  if (saveFailure) {
    m_crews.pop_back();
    co_await undo(windowId, made);
    throw CommandError(*saveFailure);
  }
  m_routers[team.crewId] = {};
  writeRouterState(team.crewId, {});
  for (const auto& member : team.members) {
    crew::PaneStatus status{member.paneId, member.role, member.model, "starting", std::nullopt, std::nullopt};
    if (member.role == "manager" && !task.empty()) {
      status.task = task;
    }
    m_statuses[member.paneId] = status;
    writeStatus(status);
  }
  // The manager gets the team's task as its first message.
  if (!task.empty()) {
    try {
      co_await m_engine.pasteText(made.front(), task);
      const QStringList enter{QStringLiteral("Enter")};
      co_await m_engine.sendKeys(made.front(), enter);
    } catch (const std::exception& error) {
      qWarning().noquote() << "crew: the team's task did not reach its manager:" << error.what();
    }
  }
  if (!engine.isNull()) co_await m_engine.refreshNow();
  nlohmann::json panes = nlohmann::json::array();
  for (const auto& pane : made) panes.push_back(s(pane));
  co_return nlohmann::json{{"ok", true}, {"crewId", team.crewId}, {"panes", panes}, {"windowId", s(windowId)},
                           {"project", project}, {"directory", s(directory)}};
}

QCoro::Task<nlohmann::json> CrewService::addWorker(const CommandArgs& a) {
  const std::string crewId = a.requireString("crewId");
  const auto count = static_cast<int>(a.optionalInteger("count", 1, kMaxWorkers).value_or(1));
  beginCreation(a);
  prune();
  crew::RegistryCrew* team = findCrew(crewId);
  if (!team) a.fail(fmt::format("no agent team '{}' on this daemon", crewId));
  const auto workers = std::count_if(team->members.begin(), team->members.end(),
                                     [](const auto& member) { return member.role != "manager"; });
  if (workers + count > kMaxWorkers) {
    a.fail(fmt::format("a team has at most {} workers; this one has {}", kMaxWorkers, workers));
  }
  const std::string kind = a.optionalString("agent").value_or(team->agentKind.value_or("claude"));
  const std::string model = a.optionalString("model").value_or(team->workerModel.value_or(""));
  const std::string line = checkedCommand(a, kind, model);
  const QString directory = resolveProject(team->project);
  if (directory.isEmpty()) a.fail(fmt::format("project directory '{}' no longer exists", team->project));
  CreationGuard guard(m_creating);
  QString beside = q(team->members.back().paneId);
  const QString windowId = q(team->windowId.value_or(""));
  std::vector<QString> made;
  std::optional<std::string> failure;
  try {
    for (int i = 0; i < count; ++i) {
      const QString worker = co_await splitPane(beside, directory);
      made.push_back(worker);
      beside = worker;
      const std::string tiled = "select-layout -t " + quotedTarget(beside) + " tiled";
      co_await m_engine.command(tiled);
    }
    const std::string layout = "select-layout -t " + quotedTarget(beside) + " main-vertical";
    co_await m_engine.command(layout);
    for (const QString& pane : made) co_await startAgent(pane, line);
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (failure) {
    const std::string reason = *failure;
    co_await undo(QString(), made);
    throw CommandError("crew add-worker: " + reason + " (nothing was kept)");
  }
  team = findCrew(crewId);  // the registry may have changed while tmux worked
  if (!team) {
    co_await undo(QString(), made);
    a.fail(fmt::format("agent team '{}' was disbanded meanwhile", crewId));
  }
  nlohmann::json panes = nlohmann::json::array();
  for (const QString& pane : made) {
    team->members.push_back({s(pane), "worker", model, kind});
    crew::PaneStatus status{s(pane), "worker", model, "starting", std::nullopt, std::nullopt};
    m_statuses[status.paneId] = status;
    writeStatus(status);
    panes.push_back(s(pane));
  }
  save();
  co_await m_engine.refreshNow();
  co_return nlohmann::json{{"ok", true}, {"crewId", crewId}, {"panes", panes}};
}

QCoro::Task<nlohmann::json> CrewService::rename(const CommandArgs& a) {
  const std::string crewId = a.requireString("crewId");
  const std::string name = crew::WindowName::trimmed(a.optionalString("displayName").value_or(""));
  if (const auto problem = crew::WindowName::error(name)) {
    a.fail(*problem == "window.name.length_error" ? "the name is longer than 40 characters"
                                                   : "the name holds characters a window name cannot have");
  }
  crew::RegistryCrew* team = findCrew(crewId);
  if (!team) a.fail(fmt::format("no agent team '{}' on this daemon", crewId));
  const std::string windowId = team->windowId.value_or("");
  if (!windowId.empty()) {
    const std::string shown = name.empty() ? s(QFileInfo(resolveProject(team->project)).fileName()) : name;
    const std::string line = "rename-window -t " + TmuxCommand::quote(windowId) + " " +
                             TmuxCommand::quote(TmuxCommand::unexpanded(shown));
    co_await m_engine.command(line);
  }
  team = findCrew(crewId);
  if (!team) a.fail(fmt::format("agent team '{}' was disbanded meanwhile", crewId));
  const auto before = team->displayName;
  if (name.empty()) team->displayName.reset();
  else team->displayName = name;
  try {
    save();
  } catch (const std::exception&) {
    team->displayName = before;
    throw;
  }
  co_await m_engine.refreshNow();
  co_return nlohmann::json{{"ok", true}};
}

QCoro::Task<nlohmann::json> CrewService::disband(const CommandArgs& a) {
  const auto project = a.optionalString("project");
  const auto crewId = a.optionalString("crewId");
  if (!project && !crewId) a.fail("give 'project' or 'crewId'");
  const QString directory = project ? resolveProject(*project) : QString();
  std::vector<crew::RegistryCrew> leaving;
  for (const auto& team : m_crews) {
    const bool byId = crewId && team.crewId == *crewId;
    const bool byProject = project && (team.project == *project || (!directory.isEmpty() && resolveProject(team.project) == directory));
    if (byId || byProject) leaving.push_back(team);
  }
  if (leaving.empty()) {
    const std::string what = crewId ? "'" + *crewId + "'" : "for project '" + *project + "'";
    co_return control_plane::CrewDisbandResult{"disband", false, "no agent team " + what + " exists on this daemon"}.toJson();
  }
  if (auto failed = PrivateFile::makeDirectory(crewDir() + QStringLiteral("/disbanded"))) a.fail(s(*failed));
  for (auto team : leaving) {
    for (const auto& member : team.members) {
      try {
        const std::string line = "kill-pane -t " + TmuxCommand::quote(member.paneId);
        co_await m_engine.command(line);
      } catch (const std::exception&) {
        // Gone already.
      }
      m_statuses.erase(member.paneId);
      removeStatus(member.paneId);
    }
    team.lifecycle = "disbanded";
    team.disbandedAt = nowMs();
    PrivateFile::write(crewDir() + QStringLiteral("/disbanded/") + q(team.crewId) + QStringLiteral(".json"), jsonBytes(team.toJson()));
    QFile::remove(crewDir() + QStringLiteral("/router-") + q(team.crewId) + QStringLiteral(".json"));
    m_routers.erase(team.crewId);
    std::erase_if(m_crews, [&](const auto& each) { return each.crewId == team.crewId; });
  }
  save();
  co_await m_engine.refreshNow();
  co_return control_plane::CrewDisbandResult{"disband", true, std::nullopt}.toJson();
}

QCoro::Task<nlohmann::json> CrewService::list() {
  if (m_engine.isConnected()) {
    co_await m_engine.refreshNow();
    prune();
  }
  crew::RegistryList registry{m_crews};
  nlohmann::json answer = registry.toJson();
  nlohmann::json groups = nlohmann::json::array();
  for (const auto& group : m_groups) groups.push_back(group.toJson());
  answer["groups"] = groups;
  co_return answer;
}

QCoro::Task<crew::RoutingConfig> CrewService::routingConfig(std::string project) {
  // Paired: the account's configuration on the relay, the project's own when it has
  // rules, else the global one. Unpaired (or the relay not answering): routing.json in
  // the crew folder, else the defaults.
  QFile envFile(m_paths.envFile());
  std::optional<std::string> base;
  std::optional<std::string> token;
  if (envFile.open(QIODevice::ReadOnly)) {
    const EnvFile env = EnvFile::parse(envFile.read(1024 * 1024).toStdString());
    base = env.get("BOARD_PUSH_API");
    token = env.get("DAEMON_TOKEN");
  }
  if (base && !base->empty() && token && !token->empty()) {
    QUrl url(q(*base + "/api/agent/routing-config"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("project"), QString::fromUtf8(QUrl::toPercentEncoding(q(project))));
    url.setQuery(query);
    QNetworkRequest request(url);
    request.setRawHeader("Authorization", QByteArray("Bearer ") + QByteArray::fromStdString(*token));
    request.setTransferTimeout(kRoutingFetchTimeoutMs);
    std::unique_ptr<QNetworkReply> reply(m_network.get(request));
    co_await qCoro(reply.get()).waitForFinished();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const auto answer = nlohmann::json::parse(reply->readAll().toStdString(), nullptr, false);
    if (status == 200 && answer.is_object() && answer.contains("config")) {
      co_return crew::RoutingConfig::fromJson(answer["config"]);
    }
    qWarning().noquote() << "crew: the relay gave no routing configuration (" << status << "); using the local one";
  }
  if (const auto local = readJsonFile(crewDir() + QStringLiteral("/routing.json")); local && local->is_object()) {
    crew::RoutingConfig config = crew::RoutingConfig::fromJson(*local);
    if (!config.agents.empty()) co_return config;
  }
  co_return crew::RoutingConfig::defaults(project);
}

QCoro::Task<nlohmann::json> CrewService::route(const CommandArgs& a) {
  const std::string crewId = a.requireString("crewId");
  const std::string taskId = crew::WindowName::trimmed(a.requireString("taskId"));
  const std::string brief = a.optionalString("brief").value_or("");
  if (taskId.empty()) a.fail("A task id is required to route.");
  if (taskId.size() > 200) a.fail("the task id is longer than 200 characters");
  if (!findCrew(crewId)) a.fail(fmt::format("no agent team '{}' on this daemon", crewId));
  const std::string project = findCrew(crewId)->project;
  const crew::RoutingConfig config = co_await routingConfig(project);
  prune();
  crew::RegistryCrew* team = findCrew(crewId);
  if (!team) a.fail(fmt::format("agent team '{}' ended meanwhile", crewId));
  crew::RouterState state = routerState(crewId);
  for (const auto& [pane, held] : state.assignments) {
    if (held.taskId == taskId) a.fail(fmt::format("task '{}' is already with {}", taskId, pane));
  }
  std::vector<crew::RoutableWorker> workers;
  for (const auto& member : team->members) {
    if (member.role == "manager") continue;
    workers.push_back({member.paneId, member.agentKind.value_or(team->agentKind.value_or("claude")),
                       state.assignments.count(member.paneId) != 0});
  }
  const crew::TaskProfile profile = crew::TaskProfile::of(brief);
  const crew::RoutingChoice choice = crew::chooseWorker(config, workers, profile);
  if (!choice.paneId) a.fail("no worker can take the task: " + choice.reason);
  const std::string paneId = *choice.paneId;
  std::optional<std::string> tag;
  if (profile.tag) tag = crew::tagKeyRaw(*profile.tag);
  state.assignments[paneId] = {taskId, nowMs()};
  state.taskMeta[taskId] = {tag, crew::routingDifficultyRaw(profile.difficulty), paneId, brief, choice.reason};
  writeRouterState(crewId, state);
  crew::PaneStatus status = m_statuses.count(paneId) ? m_statuses[paneId] : crew::PaneStatus{paneId};
  status.state = "working";
  status.task = brief.empty() ? taskId : brief;
  m_statuses[paneId] = status;
  writeStatus(status);
  const std::string message = brief.empty() ? taskId : brief;
  try {
    co_await m_engine.pasteText(q(paneId), message);
    const QStringList enter{QStringLiteral("Enter")};
    co_await m_engine.sendKeys(q(paneId), enter);
  } catch (const std::exception& error) {
    // The worker did not get it: the assignment goes again.
    state.assignments.erase(paneId);
    state.taskMeta.erase(taskId);
    writeRouterState(crewId, state);
    throw CommandError(fmt::format("the task did not reach {}: {}", paneId, error.what()));
  }
  co_await m_engine.refreshNow();
  nlohmann::json answer = {{"ok", true},         {"crewId", crewId},
                           {"taskId", taskId},   {"paneId", paneId},
                           {"difficulty", crew::routingDifficultyRaw(profile.difficulty)},
                           {"reason", choice.reason}};
  if (tag) answer["matchedTag"] = *tag;
  co_return answer;
}

QCoro::Task<nlohmann::json> CrewService::complete(const CommandArgs& a) {
  const std::string crewId = a.requireString("crewId");
  const std::string paneId = a.requirePaneId();
  const crew::RegistryCrew* team = findCrew(crewId);
  if (!team) a.fail(fmt::format("no agent team '{}' on this daemon", crewId));
  const auto member = std::find_if(team->members.begin(), team->members.end(), [&](const auto& each) { return each.paneId == paneId; });
  if (member == team->members.end()) a.fail(fmt::format("{} is not a member of team '{}'", paneId, crewId));
  const std::string kind = member->agentKind.value_or(team->agentKind.value_or("claude"));
  crew::RouterState state = routerState(crewId);
  const auto held = state.assignments.find(paneId);
  if (held == state.assignments.end()) a.fail(fmt::format("{} holds no routed task", paneId));
  const std::string taskId = held->second.taskId.value_or("");
  state.assignments.erase(held);
  state.taskMeta.erase(taskId);
  writeRouterState(crewId, state);
  crew::PaneStatus status = m_statuses.count(paneId) ? m_statuses[paneId] : crew::PaneStatus{paneId};
  status.state = "idle";
  status.task.reset();
  m_statuses[paneId] = status;
  writeStatus(status);
  try {
    const QStringList interrupt{q(interruptKeyFor(kind))};
    co_await m_engine.sendKeys(q(paneId), interrupt);
  } catch (const std::exception& error) {
    qWarning().noquote() << "crew: cannot interrupt" << q(paneId) << ":" << error.what();
  }
  co_await m_engine.refreshNow();
  co_return nlohmann::json{{"ok", true}, {"crewId", crewId}, {"paneId", paneId}, {"taskId", taskId}};
}

QCoro::Task<nlohmann::json> CrewService::agentGroup(nlohmann::json args) {
  const CommandArgs a("agent-group", args);
  const std::string action = a.requireString("action");
  if (action == "create") co_return co_await createGroup(a);
  if (action == "add") co_return co_await addToGroup(a);
  a.fail(fmt::format("unknown action '{}'", action));
}

QCoro::Task<nlohmann::json> CrewService::createGroup(const CommandArgs& a) {
  const auto count = static_cast<int>(a.requireInteger("count", 2, kMaxGroupPanes));
  if (count % 2 != 0) a.fail("Agent groups grow by 2 (2–8) to keep the two-row layout.");
  // The group's agent kind comes as "model" (the application's word for it) or "agent".
  const std::string kind = a.optionalString("agent").value_or(a.optionalString("model").value_or("claude"));
  const std::string name = crew::WindowName::trimmed(a.optionalString("name").value_or(a.optionalString("windowName").value_or("")));
  if (const auto problem = crew::WindowName::error(name)) a.fail("the group name is not allowed: " + *problem);
  const std::string directoryArg = a.optionalString("directory").value_or("");
  beginCreation(a);
  QString directory = directoryArg.empty() ? QString() : resolveProject(directoryArg);
  if (!directoryArg.empty() && directory.isEmpty()) a.fail(fmt::format("directory '{}' does not exist", directoryArg));
  if (directory.isEmpty()) directory = resolveProject(".");
  const std::string line = checkedCommand(a, kind, "");
  CreationGuard guard(m_creating);
  QString windowId;
  std::vector<QString> made;
  std::optional<std::string> failure;
  try {
    const QString windowName = name.empty() ? q(kind + " group") : q(name);
    const QString first = co_await newWindow(windowName, directory);
    made.push_back(first);
    windowId = co_await windowOf(first);
    for (int i = 1; i < count; ++i) {
      const QString& beside = made.back();
      const QString pane = co_await splitPane(beside, directory);
      made.push_back(pane);
      const std::string tiled = "select-layout -t " + quotedTarget(windowId) + " tiled";
      co_await m_engine.command(tiled);
    }
    co_await layOutTwoRows(windowId, count);
    for (const QString& pane : made) co_await startAgent(pane, line);
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (failure) {
    const std::string reason = *failure;
    co_await undo(windowId, made);
    throw CommandError("agent-group create: " + reason + " (nothing was kept)");
  }
  crew::AgentGroupRecord group{s(windowId), kind, name.empty() ? std::nullopt : std::optional(name), {}, nowMs()};
  for (const QString& pane : made) group.panes.push_back(s(pane));
  m_groups.push_back(group);
  save();
  co_await m_engine.refreshNow();
  co_return nlohmann::json{{"ok", true}, {"windowId", group.windowId}, {"panes", group.panes}};
}

QCoro::Task<nlohmann::json> CrewService::addToGroup(const CommandArgs& a) {
  const std::string windowId = a.requireString("windowId");
  const auto count = static_cast<int>(a.optionalInteger("count", 2, kMaxGroupPanes).value_or(2));
  if (count % 2 != 0) a.fail("Agent groups grow by 2 (2–8) to keep the two-row layout.");
  beginCreation(a);
  prune();
  crew::AgentGroupRecord* group = findGroup(windowId);
  if (!group) a.fail(fmt::format("no agent group in window '{}'", windowId));
  const int total = static_cast<int>(group->panes.size()) + count;
  if (total > kMaxGroupPanes) a.fail(fmt::format("an agent group holds at most {} panes; this one has {}", kMaxGroupPanes, group->panes.size()));
  const std::string kind = a.optionalString("agent").value_or(a.optionalString("model").value_or(group->kind));
  const std::string line = checkedCommand(a, kind, "");
  CreationGuard guard(m_creating);
  const QString directory = resolveProject(".");
  QString beside = q(group->panes.back());
  std::vector<QString> made;
  std::optional<std::string> failure;
  try {
    for (int i = 0; i < count; ++i) {
      const QString pane = co_await splitPane(beside, directory);
      made.push_back(pane);
      beside = pane;
      const std::string tiled = "select-layout -t " + quotedTarget(q(windowId)) + " tiled";
      co_await m_engine.command(tiled);
    }
    co_await layOutTwoRows(q(windowId), total);
    for (const QString& pane : made) co_await startAgent(pane, line);
  } catch (const std::exception& error) {
    failure = error.what();
  }
  if (failure) {
    const std::string reason = *failure;
    co_await undo(QString(), made);
    throw CommandError("agent-group add: " + reason + " (nothing was kept)");
  }
  group = findGroup(windowId);
  if (!group) a.fail("the agent group was closed meanwhile");
  nlohmann::json panes = nlohmann::json::array();
  for (const QString& pane : made) {
    group->panes.push_back(s(pane));
    panes.push_back(s(pane));
  }
  save();
  co_await m_engine.refreshNow();
  co_return nlohmann::json{{"ok", true}, {"windowId", windowId}, {"panes", panes}};
}

QCoro::Task<nlohmann::json> CrewService::renameAgentGroup(nlohmann::json args) {
  const CommandArgs a("agent-group-rename", args);
  const std::string paneId = a.requirePaneId();
  const std::string name = crew::WindowName::trimmed(a.optionalString("name").value_or(""));
  if (const auto problem = crew::WindowName::error(name)) a.fail("the group name is not allowed: " + *problem);
  const QString windowId = co_await windowOf(q(paneId));
  crew::AgentGroupRecord* group = findGroup(s(windowId));
  const std::string shown = name.empty() ? (group ? group->kind + " group" : std::string("group")) : name;
  const std::string line = "rename-window -t " + quotedTarget(windowId) + " " + TmuxCommand::quote(TmuxCommand::unexpanded(shown));
  co_await m_engine.command(line);
  group = findGroup(s(windowId));
  if (group) {
    if (name.empty()) group->name.reset();
    else group->name = name;
    save();
  }
  co_await m_engine.refreshNow();
  co_return nlohmann::json{{"ok", true}};
}

QCoro::Task<QString> CrewService::spawnPlainTerminal(QString windowName, std::string agentKind) {
  // Any name is taken as it is (tmux gets it unexpanded); the application checks names
  // before it asks.
  const std::string name = s(windowName);
  std::string line;
  if (!agentKind.empty()) {
    const nlohmann::json none = nlohmann::json::object();
    const CommandArgs a("spawn-plain-terminal", none);
    line = checkedCommand(a, agentKind, "");
  }
  const QString pane = co_await m_engine.spawnShell(q(name));
  if (!line.empty()) co_await startAgent(pane, line);
  const QString windowId = co_await windowOf(pane);
  m_terminals.push_back({s(windowId), s(pane), name, nowMs()});
  try {
    save();
  } catch (const std::exception& error) {
    qWarning().noquote() << "crew:" << error.what();
  }
  co_await m_engine.refreshNow();
  co_return pane;
}

QCoro::Task<void> CrewService::killWindow(QString windowId) {
  if (!TmuxCommand::isWindowId(s(windowId))) throw CommandError("kill: argument 'windowId' must be a tmux window id");
  const std::string line = "kill-window -t " + quotedTarget(windowId);
  co_await m_engine.command(line);
  const auto groupsBefore = m_groups.size();
  const auto terminalsBefore = m_terminals.size();
  std::erase_if(m_groups, [&](const auto& group) { return group.windowId == s(windowId); });
  std::erase_if(m_terminals, [&](const auto& terminal) { return terminal.windowId == s(windowId); });
  if (groupsBefore != m_groups.size() || terminalsBefore != m_terminals.size()) save();
  co_await m_engine.refreshNow();
  prune();
}

}  // namespace vesket::daemon
