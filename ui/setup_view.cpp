#include "ui/setup_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFrame>
#include <QFontDatabase>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrent>

#include <map>

#include "supervision/status_poller.h"

namespace vesket::ui {
namespace {

using supervision::DaemonProvision::Failure;
using supervision::ToolReadiness;

QLabel* wrapped(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

SetupView::SetupView(supervision::StatusPoller& poller, QString userHome, QWidget* parent)
    : QWidget(parent),
      m_poller(poller),
      m_userHome(std::move(userHome)),
      m_tmuxSetup(m_userHome),
      m_envInstaller({{}, {}, m_userHome, nullptr}) {
  setObjectName("setupView");
  setWindowTitle(qtTrId("macos.setup_view.title"));
  auto* outer = new QVBoxLayout(this);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  outer->addWidget(scroll);
  auto* content = new QWidget(scroll);
  scroll->setWidget(content);
  auto* layout = new QVBoxLayout(content);

  auto* daemon = new QGroupBox(qtTrId("macos.setup_view.daemon"), content);
  auto* daemonLayout = new QVBoxLayout(daemon);
  m_daemonState = wrapped(QString(), daemon);
  m_daemonState->setObjectName("daemonState");
  daemonLayout->addWidget(m_daemonState);
  m_failureTitle = wrapped(QString(), daemon);
  m_failureTitle->setObjectName("failureTitle");
  QFont bold = m_failureTitle->font();
  bold.setBold(true);
  m_failureTitle->setFont(bold);
  daemonLayout->addWidget(m_failureTitle);
  m_failureReason = wrapped(QString(), daemon);
  m_failureReason->setObjectName("failureReason");
  daemonLayout->addWidget(m_failureReason);
  m_pinFrame = new QFrame(daemon);
  m_pinFrame->setObjectName("rollbackPin");
  m_pinFrame->setFrameShape(QFrame::StyledPanel);
  auto* pinLayout = new QVBoxLayout(m_pinFrame);
  auto* pinTitle = wrapped(qtTrId("daemon_rollback_pin.title"), m_pinFrame);
  pinTitle->setFont(bold);
  pinLayout->addWidget(pinTitle);
  m_pinBody = wrapped(QString(), m_pinFrame);
  pinLayout->addWidget(m_pinBody);
  auto* resume = new QPushButton(qtTrId("daemon_rollback_pin.resume"), m_pinFrame);
  resume->setObjectName("resumeUpdates");
  pinLayout->addWidget(resume, 0, Qt::AlignLeft);
  connect(resume, &QPushButton::clicked, this, [this] { m_poller.resumeAutomaticDaemonUpdates(); });
  daemonLayout->addWidget(m_pinFrame);
  auto* restart = new QPushButton(qtTrId("macos.setup_view.restart_daemon"), daemon);
  restart->setObjectName("restartDaemon");
  connect(restart, &QPushButton::clicked, this, [this] {
    m_actionError->hide();
    m_poller.cleanRestartDaemon();
  });
  daemonLayout->addWidget(restart, 0, Qt::AlignLeft);
  m_actionError = wrapped(QString(), daemon);
  m_actionError->setObjectName("actionError");
  m_actionError->hide();
  daemonLayout->addWidget(m_actionError);
  layout->addWidget(daemon);

  auto* tools = new QGroupBox(qtTrId("macos.setup_view.tools"), content);
  auto* toolsLayout = new QVBoxLayout(tools);
  m_tools = new QGridLayout();
  m_tools->setColumnStretch(1, 1);
  toolsLayout->addLayout(m_tools);
  m_tmuxMessage = wrapped(QString(), tools);
  m_tmuxMessage->setObjectName("tmuxSetupMessage");
  toolsLayout->addWidget(m_tmuxMessage);
  m_installMessage = wrapped(QString(), tools);
  m_installMessage->setObjectName("installMessage");
  toolsLayout->addWidget(m_installMessage);
  layout->addWidget(tools);

  auto* environment = new QGroupBox(qtTrId("macos.setup_view.optional_environment"), content);
  auto* environmentLayout = new QVBoxLayout(environment);
  m_environment = new QGridLayout();
  m_environment->setColumnStretch(1, 1);
  environmentLayout->addLayout(m_environment);
  buildEnvironmentInstaller(environmentLayout);
  layout->addWidget(environment);

  m_checkAgain = new QPushButton(qtTrId("macos.setup_view.check_again"), content);
  m_checkAgain->setObjectName("checkAgain");
  connect(m_checkAgain, &QPushButton::clicked, this, &SetupView::refresh);
  layout->addWidget(m_checkAgain, 0, Qt::AlignLeft);
  layout->addStretch(1);

  connect(&m_poller, &supervision::StatusPoller::changed, this, &SetupView::updateDaemon);
  connect(&m_poller, &supervision::StatusPoller::provisionFailureShown, this, &SetupView::showFailureAlert);
  connect(&m_poller, &supervision::StatusPoller::actionFailed, this, [this](const QString& message) {
    m_actionError->setText(message);
    m_actionError->show();
  });
  connect(&m_poller, &supervision::StatusPoller::provisionFailureRecovered, this, [this] {
    if (m_alert) m_alert->close();
  });
  connect(&m_tmuxSetup, &supervision::TmuxSetupManager::changed, this, [this] {
    m_tmuxMessage->setText(m_tmuxSetup.message());
    if (m_tmuxSetup.state() == supervision::TmuxSetupManager::State::done) refresh();
  });
  updateDaemon();
  m_envInstaller.loadCachedDetection();
  rebuildTools();
  m_tmuxMessage->hide();
  m_installMessage->hide();
  resize(640, 720);
}

void SetupView::buildEnvironmentInstaller(QVBoxLayout* layout) {
  using Manager = supervision::EnvProvisionerManager;
  m_envFrame = new QFrame(this);
  m_envFrame->setObjectName("environmentInstaller");
  m_envFrame->setFrameShape(QFrame::StyledPanel);
  auto* frame = new QVBoxLayout(m_envFrame);
  m_envStatus = wrapped(QString(), m_envFrame);
  m_envStatus->setObjectName("environmentInstallerStatus");
  frame->addWidget(m_envStatus);
  m_envFish = new QCheckBox(qtTrId("macos.setup_view.also_install_fish"), m_envFrame);
  m_envFish->setObjectName("environmentInstallFish");
  connect(m_envFish, &QCheckBox::toggled, &m_envInstaller, &Manager::setInstallFish);
  frame->addWidget(m_envFish);
  m_envSteps = wrapped(QString(), m_envFrame);
  m_envSteps->setObjectName("environmentInstallerSteps");
  frame->addWidget(m_envSteps);
  m_envLog = new QPlainTextEdit(m_envFrame);
  m_envLog->setObjectName("environmentInstallerLog");
  m_envLog->setReadOnly(true);
  m_envLog->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  m_envLog->setMaximumBlockCount(2000);
  m_envLog->setMinimumHeight(120);
  frame->addWidget(m_envLog);
  auto* buttons = new QHBoxLayout();
  m_envRun = new QPushButton(qtTrId("macos.setup_view.run_installer"), m_envFrame);
  m_envRun->setObjectName("runEnvironmentInstall");
  connect(m_envRun, &QPushButton::clicked, &m_envInstaller, &Manager::runInstall);
  m_envClose = new QPushButton(qtTrId("macos.setup_view.close_installer"), m_envFrame);
  m_envClose->setObjectName("closeEnvironmentInstall");
  connect(m_envClose, &QPushButton::clicked, &m_envInstaller, &Manager::reset);
  buttons->addWidget(m_envRun);
  buttons->addWidget(m_envClose);
  buttons->addStretch(1);
  frame->addLayout(buttons);
  layout->addWidget(m_envFrame);
  connect(&m_envInstaller, &Manager::logAppended, m_envLog, &QPlainTextEdit::appendPlainText);
  connect(&m_envInstaller, &Manager::changed, this, &SetupView::updateEnvironmentInstaller);
  updateEnvironmentInstaller();
}

void SetupView::updateEnvironmentInstaller() {
  using Phase = supervision::EnvProvisionerManager::Phase;
  const Phase phase = m_envInstaller.phase();
  m_envFrame->setVisible(phase != Phase::idle);
  m_envFish->setVisible(phase == Phase::confirming);
  m_envRun->setVisible(phase == Phase::confirming);
  m_envLog->setVisible(phase == Phase::running || phase == Phase::done || phase == Phase::failed);
  m_envClose->setEnabled(phase != Phase::verifying);
  m_envClose->setText(phase == Phase::confirming || phase == Phase::running ? qtTrId("macos.setup_view.cancel")
                                                                              : qtTrId("macos.setup_view.close_installer"));
  switch (phase) {
    case Phase::idle: m_envLog->clear(); break;
    case Phase::verifying: m_envStatus->setText(qtTrId("macos.setup_view.checking_the_installer")); break;
    case Phase::confirming: m_envStatus->setText(qtTrId("macos.setup_view.confirm_environment")); break;
    case Phase::running: m_envStatus->setText(qtTrId("macos.setup_view.installing_environment")); break;
    case Phase::done: m_envStatus->setText(qtTrId("macos.setup_view.environment_ready")); break;
    case Phase::verificationFailed:
    case Phase::failed: m_envStatus->setText(m_envInstaller.message()); break;
  }
  QStringList steps;
  for (const auto& step : m_envInstaller.steps()) {
    steps << (step.done ? QStringLiteral("\u2713 ") : QStringLiteral("\u25cb ")) + QString::fromStdString(step.label);
  }
  m_envSteps->setText(steps.join(QStringLiteral("   ")));
  m_envSteps->setVisible(!steps.isEmpty() && phase != Phase::confirming);
  if (phase == Phase::done) refresh();
}

void SetupView::updateDaemon() {
  if (m_poller.isProvisioning()) {
    m_daemonState->setText(qtTrId("macos.setup_view.installing_or_updating_the_daemon"));
  } else if (m_poller.isRunning()) {
    m_daemonState->setText(qtTrId("macos.setup_view.daemon_running")
                               .arg(m_poller.pid() ? QString::number(*m_poller.pid()) : QStringLiteral("?"),
                                    m_poller.version().isEmpty() ? QStringLiteral("?") : m_poller.version()));
  } else {
    m_daemonState->setText(qtTrId("macos.setup_view.daemon_not_running"));
  }
  if (const auto failure = m_poller.daemonProvisionFailure()) {
    m_failureTitle->setText(qtTrId(supervision::DaemonProvision::presentationTitleKey(*failure).data()));
    m_failureReason->setText(qtTrId("macos.setup_view.last_provisioning_problem") + QLatin1Char(' ') +
                             qtTrId(supervision::DaemonProvision::failureReasonKey(*failure).data()));
    m_failureTitle->show();
  } else {
    m_failureTitle->hide();
    m_failureReason->setText(qtTrId("macos.setup_view.no_provisioning_problem"));
  }
  const auto pin = m_poller.daemonRollbackPinDigest();
  m_pinFrame->setVisible(pin.has_value());
  if (pin) m_pinBody->setText(qtTrId("daemon_rollback_pin.body").arg(*pin));
}

void SetupView::showFailureAlert(Failure failure) {
  if (m_alert) m_alert->close();
  m_alert = new QMessageBox(QMessageBox::Warning, qtTrId(supervision::DaemonProvision::presentationTitleKey(failure).data()),
                            qtTrId(supervision::DaemonProvision::failureReasonKey(failure).data()),
                            QMessageBox::Close, parentWidget() ? parentWidget() : this);
  m_alert->setObjectName("provisionFailureAlert");
  m_alert->setAttribute(Qt::WA_DeleteOnClose);
  auto* restart = m_alert->addButton(qtTrId("macos.setup_view.restart_daemon"), QMessageBox::ActionRole);
  connect(restart, &QPushButton::clicked, this, [this] { m_poller.cleanRestartDaemon(); });
  m_alert->setModal(false);
  m_alert->show();
}

void SetupView::refresh() {
  if (m_probing) return;
  m_probing = true;
  m_checkAgain->setEnabled(false);
  m_installMessage->setText(qtTrId("macos.setup_view.looking_for_tools"));
  m_installMessage->show();
  const QString userHome = m_userHome;
  const QString productHome = m_poller.paths().home;
  auto* watcher = new QFutureWatcher<supervision::ReadinessReport>(this);
  connect(watcher, &QFutureWatcher<supervision::ReadinessReport>::finished, this, [this, watcher] {
    m_report = watcher->result();
    watcher->deleteLater();
    m_probing = false;
    m_checkAgain->setEnabled(true);
    m_installMessage->hide();
    const auto* tmux = m_report->tool("tmux");
    m_tmuxSetup.setNeedsSetup(!tmux || !tmux->path);
    m_envInstaller.setDetectedComponents(m_report->environment);
    rebuildTools();
    emit refreshed();
  });
  watcher->setFuture(QtConcurrent::run(
      [userHome, productHome] { return supervision::EnvironmentReadiness::probe(userHome, productHome); }));
}

QWidget* SetupView::actionFor(const ToolReadiness& tool) {
  const QString name = QString::fromStdString(tool.name);
  // tmux found: nothing to set up here (a configuration of the user's own is never touched).
  if (tool.kind == ToolReadiness::Kind::tmux && !tool.path) {
    auto* button = new QPushButton(qtTrId("macos.setup_view.set_up_tmux"), this);
    button->setObjectName("setupTmux");
    connect(button, &QPushButton::clicked, this, [this] {
      if (!m_report) return;
      m_tmuxMessage->show();
      m_tmuxSetup.setup(*m_report);
    });
    return button;
  }
  if (tool.path) return new QWidget(this);
  if (tool.oneClick && m_report) {
    auto* button = new QPushButton(qtTrId("macos.setup_view.install"), this);
    button->setObjectName("install-" + name);
    const auto plan = supervision::PackageInstallPlan::forPackages(supervision::EnvironmentReadiness::currentOsRelease(),
                                                                   {tool.name}, true);
    connect(button, &QPushButton::clicked, this, [this, plan, name] { runInstall(plan.arguments, name); });
    return button;
  }
  const QString command = QString::fromStdString(tool.installCommand);
  if (command.isEmpty()) {
    auto* hint = wrapped(qtTrId("macos.setup_view.use_your_package_manager").arg(name), this);
    hint->setObjectName("hint-" + name);
    return hint;
  }
  auto* button = new QPushButton(qtTrId("macos.setup_view.copy_command"), this);
  button->setObjectName("copy-" + name);
  button->setToolTip(command);
  connect(button, &QPushButton::clicked, this, [this, command] {
    QApplication::clipboard()->setText(command);
    m_installMessage->setText(qtTrId("macos.setup_view.copied").arg(command));
    m_installMessage->show();
  });
  return button;
}

void SetupView::runInstall(std::vector<std::string> arguments, QString what) {
  m_installMessage->setText(qtTrId("macos.setup_view.installing").arg(what));
  m_installMessage->show();
  QPointer self(this);
  std::string copyable = "sudo";
  for (std::size_t i = 1; i < arguments.size(); ++i) copyable += " " + arguments[i];
  [](QPointer<SetupView> view, std::vector<std::string> args, QString name, QString command) -> QCoro::Task<void> {
    auto run = supervision::runPackageInstall(std::move(args));
    const auto result = co_await run;
    if (!view) co_return;
    view->m_installMessage->setText(result.exitCode == 0 ? qtTrId("macos.setup_view.installed_name").arg(name)
                                                         : qtTrId("macos.setup_view.install_failed").arg(name, command));
    if (result.exitCode == 0) view->refresh();
  }(self, std::move(arguments), what, QString::fromStdString(copyable));
}

void SetupView::rebuildTools() {
  const auto clear = [](QGridLayout* grid) {
    while (auto* item = grid->takeAt(0)) {
      delete item->widget();
      delete item;
    }
  };
  clear(m_tools);
  clear(m_environment);
  // Until a probe reports, the environment as last detected.
  int row = 0;
  for (const auto& component : m_report ? m_report->environment : m_envInstaller.components()) {
    const QString id = QString::fromStdString(component.id);
    m_environment->addWidget(new QLabel(id, this), row, 0);
    QString state;
    switch (component.state) {
      case supervision::EnvComponents::State::installed: state = qtTrId("macos.setup_view.component_installed"); break;
      case supervision::EnvComponents::State::willInstall: state = qtTrId("macos.setup_view.component_can_be_installed"); break;
      case supervision::EnvComponents::State::notApplicable: state = qtTrId(component.noteKey.c_str()); break;
    }
    auto* stateLabel = wrapped(state, this);
    stateLabel->setObjectName("environment-" + id);
    m_environment->addWidget(stateLabel, row, 1);
    ++row;
  }
  if (!m_report) return;
  int toolRow = 0;
  for (const auto& tool : m_report->tools) {
    const QString name = QString::fromStdString(tool.name);
    auto* nameLabel = new QLabel(name, this);
    QFont bold = nameLabel->font();
    bold.setBold(true);
    nameLabel->setFont(bold);
    auto* status = wrapped(tool.path ? qtTrId("macos.setup_view.found_at").arg(QString::fromStdString(*tool.path))
                                     : qtTrId("macos.setup_view.missing"),
                           this);
    status->setObjectName("status-" + name);
    if (!tool.path) status->setToolTip(QString::fromStdString(tool.installCommand));
    m_tools->addWidget(nameLabel, toolRow, 0);
    m_tools->addWidget(status, toolRow, 1);
    m_tools->addWidget(actionFor(tool), toolRow, 2);
    ++toolRow;
  }
  const auto& plan = m_report->environmentPlan;
  const auto packages = supervision::EnvComponents::packagesToInstall(m_report->environment);
  QStringList names;
  for (const auto& package : packages) names << QString::fromStdString(package);
  if (!plan.copyableCommand.empty()) {
    if (plan.oneClick) {
      auto* install = new QPushButton(qtTrId("macos.setup_view.set_up_environment"), this);
      install->setObjectName("installEnvironment");
      connect(install, &QPushButton::clicked, this, [this] { m_envInstaller.startVerification(); });
      m_environment->addWidget(install, row, 0, 1, 2, Qt::AlignLeft);
    } else {
      auto* label = wrapped(qtTrId("macos.setup_view.run_in_a_terminal_to_install").arg(names.join(QStringLiteral(", "))),
                            this);
      m_environment->addWidget(label, row++, 0, 1, 2);
      auto* command = wrapped(QString::fromStdString(plan.copyableCommand), this);
      command->setObjectName("environmentCommand");
      command->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
      m_environment->addWidget(command, row, 0, 1, 2);
    }
  } else if (!packages.empty()) {
    m_environment->addWidget(
        wrapped(qtTrId("macos.setup_view.use_your_package_manager").arg(names.join(QStringLiteral(", "))), this), row,
        0, 1, 2);
  }
}

}  // namespace vesket::ui
