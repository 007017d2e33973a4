#include "ui/routing_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "relay/relay_error_presentation.h"
#include "ui/detached_task.h"

namespace vesket::ui {
namespace {

using crew::RoutingAgentKind;
using crew::RoutingConfigStore;
using crew::RoutingDifficulty;

QString t(const char* key, const char* english, const QStringList& arguments = {}) {
  return relay::localizedText(key, QString::fromUtf8(english), arguments);
}

void spawnDetached(QCoro::Task<void> task) { ui::spawnDetached(std::move(task), "routing"); }

constexpr RoutingDifficulty kDifficulties[] = {RoutingDifficulty::light, RoutingDifficulty::standard, RoutingDifficulty::heavy};

}  // namespace

RoutingDialog::RoutingDialog(RoutingConfigStore::ClientFactory client, const QString& project, QWidget* parent)
    : QDialog(parent), m_store(new RoutingConfigStore(std::move(client), project, this)) {
  setObjectName("routingDialog");
  setMinimumWidth(440);
  const bool global = project == QLatin1String(crew::RoutingConfig::globalProject);
  setWindowTitle(global ? t("macos.routing_view.title_global", "Routing rules for every project")
                        : t("macos.routing_view.title_project", "Routing rules for %1", {project}));
  auto* layout = new QVBoxLayout(this);
  m_summary = new QLabel(this);
  m_summary->setObjectName("routingSummary");
  m_summary->setWordWrap(true);
  layout->addWidget(m_summary);

  auto* mainRow = new QHBoxLayout();
  mainRow->addWidget(new QLabel(t("macos.routing_view.main_agent", "Main agent"), this));
  m_main = new QComboBox(this);
  m_main->setObjectName("routingMain");
  for (const auto& info : crew::routingAgentKinds()) m_main->addItem(QString::fromUtf8(info.label), static_cast<int>(info.kind));
  mainRow->addWidget(m_main);
  mainRow->addStretch(1);
  layout->addLayout(mainRow);

  auto* grid = new QGridLayout();
  grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(t("macos.routing_view.agent", "Agent")), this), 0, 0);
  grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(t("macos.routing_view.weight", "Share")), this), 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("<b>%1</b>").arg(t("macos.routing_view.max_difficulty", "Hardest work")), this), 0, 2);
  const QString difficultyNames[] = {t("macos.routing_view.difficulty_light", "Light"),
                                     t("macos.routing_view.difficulty_standard", "Standard"),
                                     t("macos.routing_view.difficulty_heavy", "Heavy")};
  int line = 1;
  for (const auto& info : crew::routingAgentKinds()) {
    AgentRow row{info.kind, new QCheckBox(QString::fromUtf8(info.label), this), new QSpinBox(this), new QComboBox(this)};
    const QString raw = QString::fromUtf8(info.raw);
    row.enabled->setObjectName("enabled-" + raw);
    row.weight->setObjectName("weight-" + raw);
    row.weight->setRange(0, 100);
    row.difficulty->setObjectName("difficulty-" + raw);
    for (const QString& name : difficultyNames) row.difficulty->addItem(name);
    grid->addWidget(row.enabled, line, 0);
    grid->addWidget(row.weight, line, 1);
    grid->addWidget(row.difficulty, line, 2);
    ++line;
    const RoutingAgentKind kind = info.kind;
    connect(row.enabled, &QCheckBox::toggled, this, [this, kind](bool on) {
      if (!m_rendering) m_store->setEnabled(kind, on);
    });
    connect(row.weight, &QSpinBox::valueChanged, this, [this, kind](int weight) {
      if (!m_rendering) m_store->setWeight(kind, weight);
    });
    connect(row.difficulty, &QComboBox::currentIndexChanged, this, [this, kind](int index) {
      if (!m_rendering && index >= 0 && index < 3) m_store->setMaxDifficulty(kind, kDifficulties[index]);
    });
    m_rows.push_back(row);
  }
  grid->setColumnStretch(3, 1);
  layout->addLayout(grid);

  m_capabilityFit = new QCheckBox(t("macos.routing_view.capability_fit", "Let a task's work class pick the agent that fits it"), this);
  m_capabilityFit->setObjectName("routingCapabilityFit");
  layout->addWidget(m_capabilityFit);
  connect(m_capabilityFit, &QCheckBox::toggled, this, [this](bool on) {
    if (!m_rendering) m_store->setCapabilityFitEnabled(on);
  });
  connect(m_main, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!m_rendering && index >= 0) m_store->setMain(static_cast<RoutingAgentKind>(m_main->itemData(index).toInt()));
  });

  m_status = new QLabel(this);
  m_status->setObjectName("routingStatus");
  m_status->setWordWrap(true);
  layout->addWidget(m_status);

  auto* buttons = new QHBoxLayout();
  m_reset = new QPushButton(t("macos.routing_view.follow_global", "Follow global rules"), this);
  m_reset->setObjectName("routingReset");
  m_reset->setVisible(!global);
  auto* close = new QPushButton(t("macos.routing_view.close", "Close"), this);
  m_save = new QPushButton(t("macos.routing_view.save", "Save"), this);
  m_save->setObjectName("routingSave");
  m_save->setDefault(true);
  buttons->addWidget(m_reset);
  buttons->addStretch(1);
  buttons->addWidget(close);
  buttons->addWidget(m_save);
  layout->addLayout(buttons);
  connect(m_save, &QPushButton::clicked, this, [this] { spawnDetached(m_store->save()); });
  connect(m_reset, &QPushButton::clicked, this, [this] { spawnDetached(m_store->resetToGlobal()); });
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  connect(m_store, &RoutingConfigStore::changed, this, &RoutingDialog::render);
  render();
  spawnDetached(m_store->load());
}

void RoutingDialog::render() {
  m_rendering = true;
  const bool loaded = m_store->loadState() == RoutingConfigStore::LoadState::loaded && m_store->config();
  const bool busy = m_store->saveState() == RoutingConfigStore::SaveState::saving;
  switch (m_store->loadState()) {
    case RoutingConfigStore::LoadState::idle:
    case RoutingConfigStore::LoadState::loading: m_summary->setText(t("macos.routing_view.loading", "Loading…")); break;
    case RoutingConfigStore::LoadState::failed:
      m_summary->setText(t("macos.routing_view.load_failed", "Couldn't load the routing rules: %1", {m_store->message()}));
      break;
    case RoutingConfigStore::LoadState::loaded:
      if (m_store->project() == QLatin1String(crew::RoutingConfig::globalProject)) {
        m_summary->setText(t("macos.routing_view.global_summary", "These rules apply to every project without rules of its own."));
      } else {
        m_summary->setText(m_store->isEmpty() && !m_store->isDirty()
                               ? t("macos.routing_view.follows_global", "This project follows the global rules. Change a row to give it rules of its own.")
                               : t("macos.routing_view.custom_rules", "This project has rules of its own."));
      }
      break;
  }
  const int mainIndex = m_main->findData(static_cast<int>(m_store->mainKind()));
  m_main->setCurrentIndex(mainIndex);
  for (const AgentRow& row : m_rows) {
    const crew::RoutingAgentConfig config = m_store->agentConfig(row.kind);
    row.enabled->setChecked(config.enabled);
    row.weight->setValue(config.weight);
    row.difficulty->setCurrentIndex(static_cast<int>(config.maxDifficulty));
    row.weight->setEnabled(loaded && !busy);
    row.difficulty->setEnabled(loaded && !busy);
    row.enabled->setEnabled(loaded && !busy);
  }
  m_main->setEnabled(loaded && !busy);
  m_capabilityFit->setChecked(m_store->capabilityFitEnabled());
  m_capabilityFit->setEnabled(loaded && !busy);
  m_save->setEnabled(loaded && !busy && m_store->isDirty());
  m_reset->setEnabled(loaded && !busy && !m_store->isEmpty());
  switch (m_store->saveState()) {
    case RoutingConfigStore::SaveState::idle: m_status->clear(); break;
    case RoutingConfigStore::SaveState::saving: m_status->setText(t("macos.routing_view.saving", "Saving…")); break;
    case RoutingConfigStore::SaveState::saved:
      m_status->setText(m_store->isDirty() ? QString() : t("macos.routing_view.saved", "Saved."));
      break;
    case RoutingConfigStore::SaveState::failed:
      m_status->setText(t("macos.routing_view.save_failed", "Couldn't save: %1", {m_store->message()}));
      break;
  }
  m_rendering = false;
}

}  // namespace vesket::ui
