#include "ui/teams_window.h"

#include <QHBoxLayout>
#include <algorithm>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "crew/core/crew_info.h"
#include "crew/crew_control_manager.h"
#include "relay/relay_error_presentation.h"
#include "ui/crew_create_dialog.h"
#include "ui/detached_task.h"
#include "ui/routing_dialog.h"

namespace vesket::ui {
namespace {

using crew::CrewControlManager;

QString t(const char* key, const char* english) { return relay::localizedText(key, QString::fromUtf8(english)); }
QString q(const std::string& text) { return QString::fromStdString(text); }

constexpr int kCrewRole = Qt::UserRole + 1;  // crew id on every row
constexpr int kPaneRole = Qt::UserRole + 2;  // pane id on member rows

void spawnDetached(QCoro::Task<void> task) { ui::spawnDetached(std::move(task), "teams"); }

QString stateText(const std::optional<std::string>& state) {
  const std::string value = state.value_or("unknown");
  if (value == "working") return t("macos.crew_control_view.state_working", "working");
  if (value == "idle") return t("macos.crew_control_view.state_idle", "idle");
  if (value == "blocked") return t("macos.crew_control_view.state_blocked", "blocked");
  return t("macos.crew_control_view.state_unknown", "unknown");
}

}  // namespace

TeamsWindow::TeamsWindow(CrewControlManager& manager, QWidget* parent) : QWidget(parent), m_manager(manager) {
  setObjectName("teamsWindow");
  setWindowTitle(t("macos.crew_control_view.title", "Agent teams"));
  auto* layout = new QVBoxLayout(this);
  m_machine = new QLabel(this);
  m_machine->setObjectName("teamsMachine");
  layout->addWidget(m_machine);

  m_roster = new QTreeWidget(this);
  m_roster->setObjectName("teamsRoster");
  m_roster->setColumnCount(4);
  m_roster->setHeaderLabels({t("macos.crew_control_view.column_name", "Team / pane"),
                             t("macos.crew_control_view.column_state", "State"),
                             t("macos.crew_control_view.column_model", "Model"),
                             t("macos.crew_control_view.column_task", "Task")});
  m_roster->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  m_roster->header()->setStretchLastSection(true);
  layout->addWidget(m_roster, 1);

  auto* actions = new QHBoxLayout();
  auto button = [&](const char* name, const char* key, const char* english) {
    auto* made = new QPushButton(t(key, english), this);
    made->setObjectName(name);
    actions->addWidget(made);
    return made;
  };
  m_new = button("teamsNew", "macos.crew_control_view.new", "New…");
  m_grow = button("teamsGrow", "macos.crew_control_view.grow", "Add agents");
  m_rename = button("teamsRename", "macos.crew_control_view.rename", "Rename…");
  m_route = button("teamsRoute", "macos.crew_control_view.route", "Route task…");
  m_stop = button("teamsStop", "macos.crew_control_view.stop", "Stop task");
  m_close = button("teamsClose", "macos.crew_control_view.close", "Close");
  m_disband = button("teamsDisband", "macos.crew_control_view.disband", "Disband");
  actions->addStretch(1);
  m_routing = button("teamsRouting", "macos.crew_control_view.routing", "Routing…");
  m_routing->hide();
  layout->addLayout(actions);

  m_status = new QLabel(this);
  m_status->setObjectName("teamsStatus");
  m_status->setWordWrap(true);
  layout->addWidget(m_status);

  connect(m_new, &QPushButton::clicked, this, &TeamsWindow::startAgents);
  connect(m_grow, &QPushButton::clicked, this, &TeamsWindow::grow);
  connect(m_rename, &QPushButton::clicked, this, &TeamsWindow::rename);
  connect(m_route, &QPushButton::clicked, this, &TeamsWindow::routeTask);
  connect(m_stop, &QPushButton::clicked, this, &TeamsWindow::stopTask);
  connect(m_close, &QPushButton::clicked, this, &TeamsWindow::closeWindow);
  connect(m_disband, &QPushButton::clicked, this, &TeamsWindow::disband);
  connect(m_routing, &QPushButton::clicked, this, &TeamsWindow::editRouting);
  connect(m_roster, &QTreeWidget::itemSelectionChanged, this, &TeamsWindow::syncButtons);
  connect(&m_manager, &CrewControlManager::changed, this, &TeamsWindow::render);
  resize(760, 440);
  // A few of a team's panes stay in view above the buttons.
  setMinimumHeight(300);
  render();
}

void TeamsWindow::setRoutingClient(crew::RoutingConfigStore::ClientFactory client) {
  m_routingClient = std::move(client);
  m_routing->setVisible(static_cast<bool>(m_routingClient));
}

QWidget* TeamsWindow::editRouting() {
  if (!m_routingClient) return nullptr;
  const crew::CrewInfo* crew = selectedCrew();
  const QString project = crew && !crew->isAgentGroup && !crew->isLooseWindow && !crew->project.empty()
                              ? q(crew->project)
                              : QString::fromLatin1(crew::RoutingConfig::globalProject);
  auto* dialog = new RoutingDialog(m_routingClient, project, this);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->show();
  return dialog;
}

void TeamsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  spawnDetached(m_manager.refresh());
}

void TeamsWindow::render() {
  const auto& target = m_manager.target();
  m_machine->setText(target ? relay::localizedText("macos.crew_control_view.machine_remote", QStringLiteral("On %1"),
                                                   {q(target->machineName)})
                            : t("macos.crew_control_view.machine_local", "On this machine"));
  const QString selectedCrewId = m_roster->currentItem() ? m_roster->currentItem()->data(0, kCrewRole).toString() : QString();
  const QString selectedPaneId = m_roster->currentItem() ? m_roster->currentItem()->data(0, kPaneRole).toString() : QString();
  m_roster->clear();
  QTreeWidgetItem* reselect = nullptr;
  for (const crew::CrewInfo& info : m_manager.crews()) {
    QString title;
    if (info.isLooseWindow) {
      title = relay::localizedText("macos.crew_control_view.terminal_row", QStringLiteral("Terminal “%1”"), {q(info.displayName.value_or(""))});
    } else if (info.isAgentGroup) {
      title = relay::localizedText("macos.crew_control_view.group_row", QStringLiteral("Agent group “%1”"),
                                   {q(info.displayName.value_or(info.agentGroupKind.value_or("")))});
    } else {
      const int workers = static_cast<int>(std::count_if(info.members.begin(), info.members.end(),
                                                         [](const auto& member) { return member.role != "manager"; }));
      title = q(info.displayName.value_or(info.project)) + QStringLiteral("  ·  ") + q(crew::CrewControl::crewSizeCaption(workers));
    }
    auto* row = new QTreeWidgetItem(m_roster, QStringList{title});
    row->setData(0, kCrewRole, q(info.crewId));
    row->setToolTip(0, q(info.project));
    QFont bold = row->font(0);
    bold.setBold(true);
    row->setFont(0, bold);
    if (q(info.crewId) == selectedCrewId && selectedPaneId.isEmpty()) reselect = row;
    for (const crew::CrewMember& member : info.members) {
      QString task = q(crew::CrewControl::displayableTaskLabel(member.task.value_or("")));
      if (member.tag) task = QStringLiteral("[") + q(crew::TagPoolRegistry::record(*member.tag).label) + QStringLiteral("] ") + task;
      auto* memberRow = new QTreeWidgetItem(row, QStringList{q(member.paneId) + QStringLiteral("  ") + q(member.role),
                                                             stateText(member.state), q(member.model.value_or("")), task});
      memberRow->setData(0, kCrewRole, q(info.crewId));
      memberRow->setData(0, kPaneRole, q(member.paneId));
      if (member.statusReason) memberRow->setToolTip(1, q(*member.statusReason));
      if (q(member.paneId) == selectedPaneId) reselect = memberRow;
    }
    row->setExpanded(true);
  }
  if (reselect) m_roster->setCurrentItem(reselect);

  QString status;
  using Load = CrewControlManager::LoadState;
  if (m_manager.loadState() == Load::failed) status = m_manager.loadMessage();
  else if (m_manager.loadState() == Load::empty) status = t("macos.crew_control_view.empty", "No teams, groups or terminal windows yet.");
  if (m_manager.crossDeviceNeedsApproval()) {
    status = t("macos.crew_control_view.needs_approval", "Approve this device from one of your other devices to manage that machine's teams.");
  }
  using Spawn = CrewControlManager::SpawnState;
  const bool spawning = m_manager.spawnState() == Spawn::spawning || m_manager.groupSpawnState() == Spawn::spawning ||
                        m_manager.plainTerminalSpawnState() == Spawn::spawning;
  if (spawning) status = t("macos.crew_control_view.starting", "Starting agents…");
  else if (!m_manager.spawnMessage().isEmpty() && m_manager.actionMessage() == std::nullopt) status = m_manager.spawnMessage();
  if (m_manager.actionMessage()) status = *m_manager.actionMessage();
  m_status->setText(status);
  syncButtons();
}

const crew::CrewInfo* TeamsWindow::selectedCrew() const {
  const QTreeWidgetItem* item = m_roster->currentItem();
  if (!item) return nullptr;
  const QString crewId = item->data(0, kCrewRole).toString();
  for (const auto& info : m_manager.crews()) {
    if (q(info.crewId) == crewId) return &info;
  }
  return nullptr;
}

QString TeamsWindow::selectedPane() const {
  const QTreeWidgetItem* item = m_roster->currentItem();
  return item ? item->data(0, kPaneRole).toString() : QString();
}

void TeamsWindow::syncButtons() {
  const crew::CrewInfo* info = selectedCrew();
  const bool team = info && !info->isAgentGroup && !info->isLooseWindow;
  const bool busy = m_manager.mutationInFlight();
  m_grow->setEnabled(info && !info->isLooseWindow && !busy);
  m_rename->setEnabled(info && !info->isLooseWindow && !busy);
  m_route->setEnabled(team && !busy);
  m_stop->setEnabled(team && !selectedPane().isEmpty() && !busy);
  m_close->setEnabled(info && (info->isAgentGroup || info->isLooseWindow) && !busy);
  m_disband->setEnabled(team && !busy);
}

void TeamsWindow::startAgents() {
  CrewCreateDialog dialog(this);
  if (dialog.exec() != QDialog::Accepted) return;
  switch (dialog.mode()) {
    case CrewCreateDialog::Mode::team:
      spawnDetached(m_manager.spawn(dialog.project(), dialog.size(), dialog.model(), dialog.task(), dialog.kind()));
      break;
    case CrewCreateDialog::Mode::agentGroup:
      spawnDetached(m_manager.spawnAgentGroup(dialog.size(), dialog.kind(), dialog.name()));
      break;
    case CrewCreateDialog::Mode::plainTerminal:
      spawnDetached(m_manager.spawnPlainTerminal(dialog.name()));
      break;
  }
}

void TeamsWindow::grow() {
  const crew::CrewInfo* info = selectedCrew();
  if (!info) return;
  if (info->isAgentGroup) {
    spawnDetached(m_manager.addToAgentGroup(q(info->windowId.value_or("")), q(info->agentGroupKind.value_or("claude"))));
    return;
  }
  bool ok = false;
  const int count = QInputDialog::getInt(this, t("macos.crew_control_view.grow", "Add agents"),
                                         t("macos.crew_control_view.grow_count", "How many workers?"), 1, 1, 8, 1, &ok);
  if (ok) spawnDetached(m_manager.addWorkers(q(info->crewId), count));
}

void TeamsWindow::rename() {
  const crew::CrewInfo* info = selectedCrew();
  if (!info) return;
  bool ok = false;
  const QString name = QInputDialog::getText(this, t("macos.crew_control_view.rename", "Rename…"),
                                             t("macos.crew_control_view.name", "Name"), QLineEdit::Normal,
                                             q(info->displayName.value_or("")), &ok);
  if (!ok) return;
  if (info->isAgentGroup) spawnDetached(m_manager.renameAgentGroup(q(info->managerPaneId), name));
  else spawnDetached(m_manager.renameTeam(q(info->crewId), name));
}

void TeamsWindow::routeTask() {
  const crew::CrewInfo* info = selectedCrew();
  if (!info) return;
  bool ok = false;
  const QString taskId = QInputDialog::getText(this, t("macos.crew_control_view.route", "Route task…"),
                                               t("macos.crew_control_view.task_id", "Task id"), QLineEdit::Normal, {}, &ok);
  if (!ok) return;
  const QString brief = QInputDialog::getMultiLineText(this, t("macos.crew_control_view.route", "Route task…"),
                                                       t("macos.crew_control_view.brief", "What should the worker do?"), {}, &ok);
  if (ok) spawnDetached(m_manager.route(q(info->crewId), taskId, brief));
}

void TeamsWindow::stopTask() {
  const crew::CrewInfo* info = selectedCrew();
  if (info && !selectedPane().isEmpty()) spawnDetached(m_manager.stopTask(q(info->crewId), selectedPane()));
}

void TeamsWindow::closeWindow() {
  const crew::CrewInfo* info = selectedCrew();
  if (!info) return;
  if (info->isAgentGroup) {
    spawnDetached(m_manager.closeAgentGroup(q(info->windowId.value_or("")), q(info->managerPaneId)));
  } else {
    spawnDetached(m_manager.closeLooseWindow(q(info->crewId), q(info->windowId.value_or(""))));
  }
}

void TeamsWindow::disband() {
  const crew::CrewInfo* info = selectedCrew();
  if (info) spawnDetached(m_manager.remove(q(info->crewId), q(info->project)));
}

}  // namespace vesket::ui
