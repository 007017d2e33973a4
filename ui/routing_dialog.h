#pragma once

// The routing rules of one project (or the global ones) as an editable table: which agent
// kind leads, each kind's share of routed tasks, the hardest work it takes and whether it
// takes any, and whether tags may override the weights. Edits stay local until "Save";
// "Follow global rules" writes an empty rule set for the project.

#include <QDialog>

#include <vector>

#include "crew/routing_config_store.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace vesket::ui {

class RoutingDialog : public QDialog {
  Q_OBJECT

 public:
  RoutingDialog(crew::RoutingConfigStore::ClientFactory client, const QString& project, QWidget* parent = nullptr);

  crew::RoutingConfigStore& store() { return *m_store; }
  QPushButton* saveButton() const { return m_save; }
  QPushButton* resetButton() const { return m_reset; }
  QLabel* summary() const { return m_summary; }

 private:
  struct AgentRow {
    crew::RoutingAgentKind kind;
    QCheckBox* enabled;
    QSpinBox* weight;
    QComboBox* difficulty;
  };

  void render();

  crew::RoutingConfigStore* m_store;
  QLabel* m_summary = nullptr;
  QComboBox* m_main = nullptr;
  std::vector<AgentRow> m_rows;
  QCheckBox* m_capabilityFit = nullptr;
  QPushButton* m_save = nullptr;
  QPushButton* m_reset = nullptr;
  QLabel* m_status = nullptr;
  bool m_rendering = false;
};

}  // namespace vesket::ui
