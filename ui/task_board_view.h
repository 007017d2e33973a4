#pragma once

// The task Board: four columns (To Do, In Progress, Needs Review, Done) of the account's
// top-level tasks with their roll-ups; a card dropped on another column moves by the
// board's rules (one column at a time, not a task with subtasks; Done verifies); the
// selected card's details and timeline; a row to create a task; delete and reopen.

#include <QWidget>

#include <array>
#include <string>

#include "inbox/core/board_rules.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vesket::inbox {
class MacTaskBoardStore;
}

namespace vesket::ui {

class TaskBoardView : public QWidget {
  Q_OBJECT

 public:
  explicit TaskBoardView(inbox::MacTaskBoardStore& store, QWidget* parent = nullptr);

  QListWidget* column(inbox::BoardColumn column) const { return m_columns[static_cast<int>(column)]; }
  QLabel* notice() const { return m_notice; }
  // What dropping the card on the column does (the drop of a drag, without the mouse).
  void dropCard(const std::string& id, inbox::BoardColumn to);
  void select(const std::string& id);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void render();
  void renderDetails();
  void relayout();

  inbox::MacTaskBoardStore& m_store;
  std::array<QListWidget*, 4> m_columns{};
  std::array<QLabel*, 4> m_headers{};
  QWidget* m_columnsArea = nullptr;
  QLabel* m_notice = nullptr;
  QLineEdit* m_title = nullptr;
  QLineEdit* m_team = nullptr;
  QLabel* m_details = nullptr;
  QListWidget* m_timeline = nullptr;
  QPushButton* m_delete = nullptr;
  QPushButton* m_reopen = nullptr;
  std::string m_selected;
};

}  // namespace vesket::ui
