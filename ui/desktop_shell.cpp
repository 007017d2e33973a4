#include "ui/desktop_shell.h"

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>

#include <qcoro/qcorotask.h>
#include <qcoro/qcorotimer.h>

#include "inbox/inbox_store.h"
#include "relay/relay_error_presentation.h"
#include "ui/window_requests.h"
#include "shell/localisation.h"
#include "supervision/core/daemon_quit_work.h"
#include "supervision/daemon_cli.h"
#include "ui/app_icon.h"
#include "ui/main_window.h"
#include "viewer/pane_list_store.h"
#include "viewer/terminal_viewer_model.h"

namespace vesket::ui {

DesktopShell::DesktopShell(viewer::TerminalViewerModel& model, MainWindow& window,
                           std::shared_ptr<supervision::DaemonCli> cli, QObject* parent)
    : QObject(parent), m_model(model), m_window(window), m_cli(std::move(cli)) {}

DesktopShell::~DesktopShell() = default;

void DesktopShell::start() {
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    m_menu = new QMenu();
    auto* open = m_menu->addAction(qtTrId("macos.desktop_shell.open_vesket"));
    connect(open, &QAction::triggered, this, &DesktopShell::showWindow);
    m_stateAction = m_menu->addAction(QString());
    m_stateAction->setEnabled(false);
    auto* account = m_menu->addAction(qtTrId("macos.desktop_shell.account"));
    connect(account, &QAction::triggered, this, [this] {
      showWindow();
      m_window.openSettings();
    });
    m_inboxAction = m_menu->addAction(relay::localizedText("macos.desktop_shell.inbox", "Inbox…"));
    connect(m_inboxAction, &QAction::triggered, &WindowRequests::shared(), &WindowRequests::inboxRequested);
    auto* devices = m_menu->addAction(relay::localizedText("macos.desktop_shell.devices", "Devices…"));
    connect(devices, &QAction::triggered, this, &DesktopShell::devicesRequested);
    auto* pair = m_menu->addAction(relay::localizedText("macos.desktop_shell.pair_this_machine", "Pair this machine…"));
    connect(pair, &QAction::triggered, this, &DesktopShell::pairingRequested);
    m_menu->addSeparator();
    auto* quit = m_menu->addAction(qtTrId("macos.desktop_shell.quit_vesket"));
    connect(quit, &QAction::triggered, this, &DesktopShell::requestQuit);
    m_tray = new QSystemTrayIcon(AppIcon::icon(0), this);
    m_tray->setContextMenu(m_menu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
      if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) showWindow();
    });
    m_tray->show();
    QApplication::setQuitOnLastWindowClosed(false);
  } else {
    // No tray: the window is the application.
    connect(&m_window, &MainWindow::closing, this, &DesktopShell::requestQuit);
  }
  connect(&m_model, &viewer::TerminalViewerModel::stateChanged, this, &DesktopShell::updateTray);
  connect(&m_model, &viewer::TerminalViewerModel::awaitingPaneIdsChanged, this, &DesktopShell::updateTray);
  updateTray();
  showWindow();
}

void DesktopShell::followDecisions(inbox::InboxStore& store) {
  m_inbox = &store;
  connect(&store, &inbox::InboxStore::decisionsChanged, this, &DesktopShell::updateTray);
  updateTray();
}

void DesktopShell::showWindow() {
  m_window.show();
  m_window.raise();
  m_window.activateWindow();
}

void DesktopShell::updateTray() {
  if (!m_tray) return;
  using K = viewer::ViewerState::Kind;
  QString state;
  switch (m_model.state().kind) {
    case K::daemonNotRunning: state = qtTrId("macos.desktop_shell.daemon_not_running"); break;
    case K::connecting: state = qtTrId("macos.desktop_shell.connecting_to_the_daemon"); break;
    case K::reconnecting:
      state = qtTrId("macos.desktop_shell.reconnecting_attempt").arg(m_model.state().attempt);
      break;
    default:
      state = qtTrId("macos.desktop_shell.daemon_running_panes", static_cast<int>(m_model.paneList().panes().size()));
      break;
  }
  const int waiting = static_cast<int>(m_model.awaitingPaneIds().size());
  if (waiting > 0) state = qtTrId("macos.desktop_shell.state_waiting_for_you", waiting).arg(state);
  const int decisions = m_inbox ? static_cast<int>(m_inbox->openDecisions().size()) : 0;
  m_inboxAction->setText(decisions > 0 ? qtTrId("macos.desktop_shell.inbox_decisions_waiting", decisions)
                                       : relay::localizedText("macos.desktop_shell.inbox", "Inbox…"));
  m_stateAction->setText(state);
  m_tray->setToolTip(qtTrId("macos.desktop_shell.tray_tooltip").arg(state) +
                     (decisions > 0 ? u'\n' + qtTrId("macos.desktop_shell.inbox_decisions_waiting", decisions) : QString()));
  m_tray->setIcon(AppIcon::icon(waiting + decisions));
}

void DesktopShell::requestQuit() {
  if (m_quitting) return;
  m_quitting = true;
  auto flow = [](QPointer<DesktopShell> self) -> QCoro::Task<void> {
    auto cli = self->m_cli;
    // g++ 12 cannot compile string literals inside a co_await expression: name them first.
    const QStringList panesArgs = {QStringLiteral("panes"), QStringLiteral("--json")};
    const QStringList stopArgs = {QStringLiteral("daemon"), QStringLiteral("stop")};
    auto panesRun = cli->run(panesArgs, 5000);
    const auto panes = co_await std::move(panesRun);
    if (!self) co_return;
    const auto work = supervision::DaemonQuitWork::fromPanesOutput(
        panes.standardOutput.toStdString(), false, false);
    if (auto message = work.confirmationMessage()) {
      self->showWindow();
      QMessageBox box(QMessageBox::Warning, qtTrId("macos.desktop_shell.quit_vesket_question"),
                      shell::Localisation::text(*message), QMessageBox::Cancel, &self->m_window);
      auto* quit = box.addButton(qtTrId("macos.desktop_shell.quit"), QMessageBox::DestructiveRole);
      box.setDefaultButton(QMessageBox::Cancel);
      box.exec();
      if (!self) co_return;
      if (box.clickedButton() != static_cast<QAbstractButton*>(quit)) {
        self->m_quitting = false;
        co_return;
      }
    }
    if (work.kind != supervision::DaemonQuitWork::Kind::noLiveWork || panes.started) {
      auto stopRun = cli->run(stopArgs, 15000);
      const auto stop = co_await std::move(stopRun);
      if (!self) co_return;
      if (stop.started && stop.exitCode != 0) {
        QMessageBox::warning(&self->m_window, QStringLiteral("Vesket"),
                             qtTrId("macos.desktop_shell.could_not_stop_the_vesket_daemon"));
        self->m_quitting = false;
        co_return;
      }
    }
    self->m_model.stop();
    QApplication::quit();
  };
  flow(this);
}

}  // namespace vesket::ui
