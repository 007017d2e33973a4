#pragma once

// The Teams window: the teams, agent groups and loose terminal windows of the active
// machine (this one, or the one chosen in the sidebar's machine picker) with each member's
// role, state and task, and the actions on them: start agents, grow, rename, route a task,
// stop a task, close a group or terminal, disband a team, edit a project's routing rules.

#include <QWidget>

#include "crew/routing_config_store.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vesket::crew {
class CrewControlManager;
struct CrewInfo;
}  // namespace vesket::crew

namespace vesket::ui {

class TeamsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TeamsWindow(crew::CrewControlManager& manager, QWidget* parent = nullptr);

  QTreeWidget* roster() const { return m_roster; }
  QLabel* statusLabel() const { return m_status; }
  // Opens the dialog that starts a team, group or terminal.
  void startAgents();
  // Where routing rules are read and written; the "Routing…" button shows once this is set.
  void setRoutingClient(crew::RoutingConfigStore::ClientFactory client);
  // Opens the routing rules of the selected team's project (the global ones when no team is
  // selected) and returns the dialog.
  QWidget* editRouting();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void render();
  void syncButtons();
  // The selected team, group or window, and the selected member pane (if any).
  const crew::CrewInfo* selectedCrew() const;
  QString selectedPane() const;
  void grow();
  void rename();
  void routeTask();
  void stopTask();
  void closeWindow();
  void disband();

  crew::CrewControlManager& m_manager;
  QLabel* m_machine = nullptr;
  QTreeWidget* m_roster = nullptr;
  QLabel* m_status = nullptr;
  QPushButton* m_new = nullptr;
  QPushButton* m_grow = nullptr;
  QPushButton* m_rename = nullptr;
  QPushButton* m_route = nullptr;
  QPushButton* m_stop = nullptr;
  QPushButton* m_close = nullptr;
  QPushButton* m_disband = nullptr;
  QPushButton* m_routing = nullptr;
  crew::RoutingConfigStore::ClientFactory m_routingClient;
};

}  // namespace vesket::ui
