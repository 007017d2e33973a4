#include "ui/crew_create_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "crew/core/crew_info.h"
#include "crew/crew_control_manager.h"
#include "relay/relay_error_presentation.h"
#include "ui/path_field.h"

namespace vesket::ui {
namespace {

QString t(const char* key, const char* english) { return relay::localizedText(key, QString::fromUtf8(english)); }

}  // namespace

QStringList CrewCreateDialog::agentKinds() {
  return {QStringLiteral("claude"), QStringLiteral("codex"),  QStringLiteral("gemini"),
          QStringLiteral("opencode"), QStringLiteral("cursor"), QStringLiteral("shell")};
}

CrewCreateDialog::CrewCreateDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("crewCreateDialog");
  setWindowTitle(t("macos.crew_control_view.new_title", "Start agents"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout();
  layout->addLayout(form);

  m_mode = new QComboBox(this);
  m_mode->setObjectName("crewMode");
  m_mode->addItem(t("macos.crew_control_view.mode_team", "Agent team (manager + workers)"));
  m_mode->addItem(t("macos.crew_control_view.mode_group", "Agent group (two rows, no manager)"));
  m_mode->addItem(t("macos.crew_control_view.mode_terminal", "Plain terminal window"));
  form->addRow(t("macos.crew_control_view.kind_of_window", "Start"), m_mode);

  auto* projectRow = new QWidget(this);
  auto* projectLayout = new QHBoxLayout(projectRow);
  projectLayout->setContentsMargins(0, 0, 0, 0);
  // A long path shows both its ends, however narrow the dialog.
  m_project = new PathField(projectRow);
  m_project->setObjectName("crewProject");
  m_project->setPlaceholderText(t("macos.crew_control_view.project_placeholder", "Project folder"));
  m_browse = new QPushButton(t("macos.crew_control_view.choose_folder", "Choose…"), projectRow);
  projectLayout->addWidget(m_project, 1);
  projectLayout->addWidget(m_browse);
  auto* projectLabel = new QLabel(t("macos.crew_control_view.project", "Project"), this);
  form->addRow(projectLabel, projectRow);
  m_teamOnly << projectLabel << projectRow;
  connect(m_browse, &QPushButton::clicked, this, [this] {
    const QString chosen = QFileDialog::getExistingDirectory(this, t("macos.crew_control_view.project", "Project"), m_project->text());
    if (!chosen.isEmpty()) m_project->setText(chosen);
  });

  m_size = new QSpinBox(this);
  m_size->setObjectName("crewSize");
  auto* sizeLabel = new QLabel(t("macos.crew_control_view.workers", "Workers"), this);
  form->addRow(sizeLabel, m_size);
  m_agentOnly << sizeLabel << m_size;

  m_kind = new QComboBox(this);
  m_kind->setObjectName("crewAgentKind");
  m_kind->addItems(agentKinds());
  auto* kindLabel = new QLabel(t("macos.crew_control_view.agent_kind", "Agent"), this);
  form->addRow(kindLabel, m_kind);
  m_agentOnly << kindLabel << m_kind;

  m_model = new QLineEdit(this);
  m_model->setObjectName("crewModel");
  m_model->setPlaceholderText(t("macos.crew_control_view.model_placeholder", "Model (empty: the agent's default)"));
  auto* modelLabel = new QLabel(t("macos.crew_control_view.model", "Model"), this);
  form->addRow(modelLabel, m_model);
  m_teamOnly << modelLabel << m_model;

  m_task = new QLineEdit(this);
  m_task->setObjectName("crewTask");
  m_task->setPlaceholderText(t("macos.crew_control_view.task_placeholder", "First task for the manager (optional)"));
  auto* taskLabel = new QLabel(t("macos.crew_control_view.task", "Task"), this);
  form->addRow(taskLabel, m_task);
  m_teamOnly << taskLabel << m_task;

  m_name = new QLineEdit(this);
  m_name->setObjectName("crewWindowName");
  m_name->setPlaceholderText(t("macos.crew_control_view.name_placeholder", "Window name (optional)"));
  auto* nameLabel = new QLabel(t("macos.crew_control_view.name", "Name"), this);
  form->addRow(nameLabel, m_name);
  m_namedOnly << nameLabel << m_name;

  m_error = new QLabel(this);
  m_error->setObjectName("crewCreateError");
  m_error->setWordWrap(true);
  m_error->setStyleSheet(QStringLiteral("color: #d9534f;"));
  m_error->hide();
  layout->addWidget(m_error);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(t("macos.crew_control_view.create", "Create"));
  buttons->button(QDialogButtonBox::Cancel)->setText(t("macos.crew_control_view.cancel", "Cancel"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &CrewCreateDialog::tryAccept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_mode, &QComboBox::currentIndexChanged, this, &CrewCreateDialog::syncMode);
  syncMode();
  resize(460, sizeHint().height());
}

CrewCreateDialog::Mode CrewCreateDialog::mode() const { return static_cast<Mode>(m_mode->currentIndex()); }
void CrewCreateDialog::setMode(Mode mode) { m_mode->setCurrentIndex(static_cast<int>(mode)); }
QString CrewCreateDialog::project() const { return m_project->text().trimmed(); }
void CrewCreateDialog::setProject(const QString& project) { m_project->setText(project); }
int CrewCreateDialog::size() const { return m_size->value(); }
void CrewCreateDialog::setSize(int size) { m_size->setValue(size); }
QString CrewCreateDialog::kind() const { return m_kind->currentText(); }
void CrewCreateDialog::setKind(const QString& kind) { m_kind->setCurrentText(kind); }
QString CrewCreateDialog::model() const { return m_model->text().trimmed(); }
void CrewCreateDialog::setModel(const QString& model) { m_model->setText(model); }
QString CrewCreateDialog::task() const { return m_task->text(); }
void CrewCreateDialog::setTask(const QString& task) { m_task->setText(task); }
QString CrewCreateDialog::name() const { return m_name->text(); }
void CrewCreateDialog::setName(const QString& name) { m_name->setText(name); }

void CrewCreateDialog::syncMode() {
  const Mode current = mode();
  for (QWidget* widget : m_teamOnly) widget->setVisible(current == Mode::team);
  for (QWidget* widget : m_agentOnly) widget->setVisible(current != Mode::plainTerminal);
  for (QWidget* widget : m_namedOnly) widget->setVisible(current != Mode::team);
  // The spin box offers only what the mode accepts; what is typed is checked again.
  if (current == Mode::agentGroup) {
    m_size->setRange(2, 8);
    m_size->setSingleStep(2);
    if (m_size->value() % 2 != 0) m_size->setValue(m_size->value() + 1);
  } else {
    m_size->setRange(1, 9);
    m_size->setSingleStep(1);
  }
  m_error->hide();
}

std::optional<QString> CrewCreateDialog::validationError() const {
  switch (mode()) {
    case Mode::team:
      if (project().isEmpty()) return t("macos.crew_control_view.project_required", "Project name is required.");
      if (size() < 1 || size() > 9) return t("macos.crew_control_view.worker_count_range", "Worker count must be 1–9.");
      return std::nullopt;
    case Mode::agentGroup:
      if (!crew::CrewControl::isValidAgentGroupSize(size())) {
        return t("macos.crew_control_view.group_size_error", "Agent groups grow by 2 (2–8) to keep the two-row layout.");
      }
      return crew::CrewControlManager::windowNameError(name());
    case Mode::plainTerminal: return crew::CrewControlManager::windowNameError(name());
  }
  return std::nullopt;
}

void CrewCreateDialog::tryAccept() {
  if (const auto error = validationError()) {
    m_error->setText(*error);
    m_error->show();
    return;
  }
  accept();
}

}  // namespace vesket::ui
