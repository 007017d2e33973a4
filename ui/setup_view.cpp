#include "ui/setup_view.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFrame>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
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

// English texts of the keys this view uses; the translation tables take precedence.
const std::map<std::string, const char*>& englishTexts() {
  static const std::map<std::string, const char*> texts = {
      {"daemon_provision_failure.title.not_running", "Vesket's daemon is not running"},
      {"daemon_provision_failure.title.previous_daemon_restored", "Vesket restored the previous daemon"},
      {"daemon_provision_failure.title.running_daemon_kept", "Vesket kept the running daemon"},
      {"daemon_rollback_pin.title", "Automatic daemon updates are paused"},
      {"daemon_rollback_pin.body",
       "The daemon is pinned to the build with SHA-256 %1\u2026. Vesket will not replace it until you resume "
       "automatic updates."},
      {"daemon_rollback_pin.resume", "Resume Automatic Updates"},
      {"daemon_provision_failure.restart", "Restart Daemon"},
      {"setup.title", "Setup"},
      {"setup.daemon.section", "Daemon"},
      {"setup.daemon.running", "Running \u00b7 pid %1 \u00b7 version %2"},
      {"setup.daemon.not_running", "Not running"},
      {"setup.daemon.provisioning", "Installing or updating the daemon\u2026"},
      {"setup.daemon.no_failure", "No provisioning problem."},
      {"setup.daemon.last_failure", "Last provisioning problem:"},
      {"setup.tools.section", "Tools"},
      {"setup.tools.found", "Found at %1"},
      {"setup.tools.missing", "Missing"},
      {"setup.tools.install", "Install"},
      {"setup.tools.setup_tmux", "Set Up tmux"},
      {"setup.tools.copy", "Copy Command"},
      {"setup.tools.copied", "Copied: %1"},
      {"setup.tools.checking", "Looking for tools\u2026"},
      {"setup.tools.installing", "Installing %1\u2026"},
      {"setup.tools.installed", "%1 installed."},
      {"setup.tools.install_failed", "Installing %1 failed. Open a terminal and run `%2` manually."},
      {"setup.environment.section", "Optional environment"},
      {"setup.environment.installed", "Installed"},
      {"setup.environment.will_install", "Can be installed"},
      {"setup.environment.install", "Install %1"},
      {"setup.check_again", "Check Again"},
  };
  return texts;
}

QString trText(const char* key, const QString& fallback) {
  const QString translated = qtTrId(key);
  return translated == QLatin1String(key) ? fallback : translated;
}

QLabel* wrapped(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

QString SetupView::text(const char* key) {
  const auto it = englishTexts().find(key);
  return trText(key, it == englishTexts().end() ? QString::fromLatin1(key) : QString::fromUtf8(it->second));
}

SetupView::SetupView(supervision::StatusPoller& poller, QString userHome, QWidget* parent)
    : QWidget(parent), m_poller(poller), m_userHome(std::move(userHome)), m_tmuxSetup(m_userHome) {
  setObjectName("setupView");
  setWindowTitle(text("setup.title"));
  auto* outer = new QVBoxLayout(this);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  outer->addWidget(scroll);
  auto* content = new QWidget(scroll);
  scroll->setWidget(content);
  auto* layout = new QVBoxLayout(content);

  auto* daemon = new QGroupBox(text("setup.daemon.section"), content);
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
  auto* pinTitle = wrapped(text("daemon_rollback_pin.title"), m_pinFrame);
  pinTitle->setFont(bold);
  pinLayout->addWidget(pinTitle);
  m_pinBody = wrapped(QString(), m_pinFrame);
  pinLayout->addWidget(m_pinBody);
  auto* resume = new QPushButton(text("daemon_rollback_pin.resume"), m_pinFrame);
  resume->setObjectName("resumeUpdates");
  pinLayout->addWidget(resume, 0, Qt::AlignLeft);
  connect(resume, &QPushButton::clicked, this, [this] { m_poller.resumeAutomaticDaemonUpdates(); });
  daemonLayout->addWidget(m_pinFrame);
  auto* restart = new QPushButton(text("daemon_provision_failure.restart"), daemon);
  restart->setObjectName("restartDaemon");
  connect(restart, &QPushButton::clicked, this, [this] { m_poller.cleanRestartDaemon(); });
  daemonLayout->addWidget(restart, 0, Qt::AlignLeft);
  layout->addWidget(daemon);

  auto* tools = new QGroupBox(text("setup.tools.section"), content);
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

  auto* environment = new QGroupBox(text("setup.environment.section"), content);
  m_environment = new QGridLayout(environment);
  m_environment->setColumnStretch(1, 1);
  layout->addWidget(environment);

  m_checkAgain = new QPushButton(text("setup.check_again"), content);
  m_checkAgain->setObjectName("checkAgain");
  connect(m_checkAgain, &QPushButton::clicked, this, &SetupView::refresh);
  layout->addWidget(m_checkAgain, 0, Qt::AlignLeft);
  layout->addStretch(1);

  connect(&m_poller, &supervision::StatusPoller::changed, this, &SetupView::updateDaemon);
  connect(&m_poller, &supervision::StatusPoller::provisionFailureShown, this, &SetupView::showFailureAlert);
  connect(&m_poller, &supervision::StatusPoller::provisionFailureRecovered, this, [this] {
    if (m_alert) m_alert->close();
  });
  connect(&m_tmuxSetup, &supervision::TmuxSetupManager::changed, this, [this] {
    m_tmuxMessage->setText(m_tmuxSetup.message());
    if (m_tmuxSetup.state() == supervision::TmuxSetupManager::State::done) refresh();
  });
  updateDaemon();
  m_tmuxMessage->hide();
  m_installMessage->hide();
  resize(640, 720);
}

void SetupView::updateDaemon() {
  if (m_poller.isProvisioning()) {
    m_daemonState->setText(text("setup.daemon.provisioning"));
  } else if (m_poller.isRunning()) {
    m_daemonState->setText(text("setup.daemon.running")
                               .arg(m_poller.pid() ? QString::number(*m_poller.pid()) : QStringLiteral("?"),
                                    m_poller.version().isEmpty() ? QStringLiteral("?") : m_poller.version()));
  } else {
    m_daemonState->setText(text("setup.daemon.not_running"));
  }
  if (const auto failure = m_poller.daemonProvisionFailure()) {
    m_failureTitle->setText(text(supervision::DaemonProvision::presentationTitleKey(*failure).data()));
    m_failureReason->setText(text("setup.daemon.last_failure") + QLatin1Char(' ') +
                             QString::fromUtf8(supervision::DaemonProvision::failureReason(*failure).data()));
    m_failureTitle->show();
  } else {
    m_failureTitle->hide();
    m_failureReason->setText(text("setup.daemon.no_failure"));
  }
  const auto pin = m_poller.daemonRollbackPinDigest();
  m_pinFrame->setVisible(pin.has_value());
  if (pin) m_pinBody->setText(text("daemon_rollback_pin.body").arg(*pin));
}

void SetupView::showFailureAlert(Failure failure) {
  if (m_alert) m_alert->close();
  m_alert = new QMessageBox(QMessageBox::Warning, text(supervision::DaemonProvision::presentationTitleKey(failure).data()),
                            QString::fromUtf8(supervision::DaemonProvision::failureReason(failure).data()),
                            QMessageBox::Close, parentWidget() ? parentWidget() : this);
  m_alert->setObjectName("provisionFailureAlert");
  m_alert->setAttribute(Qt::WA_DeleteOnClose);
  auto* restart = m_alert->addButton(text("daemon_provision_failure.restart"), QMessageBox::ActionRole);
  connect(restart, &QPushButton::clicked, this, [this] { m_poller.cleanRestartDaemon(); });
  m_alert->setModal(false);
  m_alert->show();
}

void SetupView::refresh() {
  if (m_probing) return;
  m_probing = true;
  m_checkAgain->setEnabled(false);
  m_installMessage->setText(text("setup.tools.checking"));
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
    rebuildTools();
    emit refreshed();
  });
  watcher->setFuture(QtConcurrent::run(
      [userHome, productHome] { return supervision::EnvironmentReadiness::probe(userHome, productHome); }));
}

QWidget* SetupView::actionFor(const ToolReadiness& tool) {
  const QString name = QString::fromStdString(tool.name);
  if (tool.kind == ToolReadiness::Kind::tmux) {
    auto* button = new QPushButton(text("setup.tools.setup_tmux"), this);
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
    auto* button = new QPushButton(text("setup.tools.install"), this);
    button->setObjectName("install-" + name);
    const auto plan = supervision::PackageInstallPlan::forPackages(supervision::EnvironmentReadiness::currentOsRelease(),
                                                                   {tool.name}, true);
    connect(button, &QPushButton::clicked, this, [this, plan, name] { runInstall(plan.arguments, name); });
    return button;
  }
  const QString command = QString::fromStdString(tool.installCommand);
  auto* button = new QPushButton(text("setup.tools.copy"), this);
  button->setObjectName("copy-" + name);
  button->setToolTip(command);
  connect(button, &QPushButton::clicked, this, [this, command] {
    QApplication::clipboard()->setText(command);
    m_installMessage->setText(text("setup.tools.copied").arg(command));
    m_installMessage->show();
  });
  return button;
}

void SetupView::runInstall(std::vector<std::string> arguments, QString what) {
  m_installMessage->setText(text("setup.tools.installing").arg(what));
  m_installMessage->show();
  QPointer self(this);
  std::string copyable = "sudo";
  for (std::size_t i = 1; i < arguments.size(); ++i) copyable += " " + arguments[i];
  [](QPointer<SetupView> view, std::vector<std::string> args, QString name, QString command) -> QCoro::Task<void> {
    auto run = supervision::runPackageInstall(std::move(args));
    const auto result = co_await run;
    if (!view) co_return;
    view->m_installMessage->setText(result.exitCode == 0 ? SetupView::text("setup.tools.installed").arg(name)
                                                         : SetupView::text("setup.tools.install_failed").arg(name, command));
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
  if (!m_report) return;
  int row = 0;
  for (const auto& tool : m_report->tools) {
    const QString name = QString::fromStdString(tool.name);
    auto* nameLabel = new QLabel(name, this);
    QFont bold = nameLabel->font();
    bold.setBold(true);
    nameLabel->setFont(bold);
    auto* status = wrapped(tool.path ? text("setup.tools.found").arg(QString::fromStdString(*tool.path))
                                     : text("setup.tools.missing"),
                           this);
    status->setObjectName("status-" + name);
    if (!tool.path) status->setToolTip(QString::fromStdString(tool.installCommand));
    m_tools->addWidget(nameLabel, row, 0);
    m_tools->addWidget(status, row, 1);
    m_tools->addWidget(actionFor(tool), row, 2);
    ++row;
  }
  row = 0;
  for (const auto& component : m_report->environment) {
    const QString id = QString::fromStdString(component.id);
    m_environment->addWidget(new QLabel(id, this), row, 0);
    QString state;
    switch (component.state) {
      case supervision::EnvComponents::State::installed: state = text("setup.environment.installed"); break;
      case supervision::EnvComponents::State::willInstall: state = text("setup.environment.will_install"); break;
      case supervision::EnvComponents::State::notApplicable: state = QString::fromStdString(component.note); break;
    }
    auto* stateLabel = wrapped(state, this);
    stateLabel->setObjectName("environment-" + id);
    m_environment->addWidget(stateLabel, row, 1);
    ++row;
  }
  const auto& plan = m_report->environmentPlan;
  if (!plan.copyableCommand.empty()) {
    const auto packages = supervision::EnvComponents::packagesToInstall(m_report->environment);
    QStringList names;
    for (const auto& package : packages) names << QString::fromStdString(package);
    if (plan.oneClick) {
      auto* install = new QPushButton(text("setup.environment.install").arg(names.join(QStringLiteral(", "))), this);
      install->setObjectName("installEnvironment");
      const auto arguments = plan.arguments;
      const QString what = names.join(QStringLiteral(", "));
      connect(install, &QPushButton::clicked, this, [this, arguments, what] { runInstall(arguments, what); });
      m_environment->addWidget(install, row, 0, 1, 2, Qt::AlignLeft);
    } else {
      m_environment->addWidget(wrapped(QString::fromStdString(plan.copyableCommand), this), row, 0, 1, 2);
    }
  }
}

}  // namespace vesket::ui
