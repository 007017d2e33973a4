#pragma once

// The dialog that starts agents on the active machine: an agent team (project folder,
// workers, agent kind, model, first task), an agent group (two rows of 2-8 panes of one
// kind) or a plain terminal window. It checks what it can before anything is run.

#include <QDialog>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QPushButton;

namespace vesket::ui {

class CrewCreateDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Mode { team, agentGroup, plainTerminal };

  explicit CrewCreateDialog(QWidget* parent = nullptr);

  Mode mode() const;
  void setMode(Mode mode);
  QString project() const;
  void setProject(const QString& project);
  int size() const;
  void setSize(int size);
  QString kind() const;
  void setKind(const QString& kind);
  QString model() const;
  void setModel(const QString& model);
  QString task() const;
  void setTask(const QString& task);
  QString name() const;
  void setName(const QString& name);

  // What is wrong with the entries, localised, or nothing when they can be used.
  std::optional<QString> validationError() const;

  // The agent kinds offered, in order.
  static QStringList agentKinds();

 private:
  void syncMode();
  void tryAccept();

  QComboBox* m_mode = nullptr;
  QLineEdit* m_project = nullptr;
  QPushButton* m_browse = nullptr;
  QSpinBox* m_size = nullptr;
  QComboBox* m_kind = nullptr;
  QLineEdit* m_model = nullptr;
  QLineEdit* m_task = nullptr;
  QLineEdit* m_name = nullptr;
  QLabel* m_error = nullptr;
  QList<QWidget*> m_teamOnly;
  QList<QWidget*> m_agentOnly;
  QList<QWidget*> m_namedOnly;
};

}  // namespace vesket::ui
