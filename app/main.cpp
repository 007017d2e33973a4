// vesket-desktop: wiring only. Builds the long-lived objects once and hands them to the
// window and the tray.

#include <QApplication>
#include <QDBusConnection>
#include <QDir>

#include <cstdio>

#include <qcoro/qcorotask.h>

#include <QtConcurrent/QtConcurrent>

#include "control_plane/control_plane_client.h"
#include "maintenance/application_bundle.h"
#include "maintenance/crash_report_manager.h"
#include "maintenance/hang_watchdog.h"
#include "maintenance/update_checker.h"
#include "maintenance/update_installer.h"
#include "platform/crash/crash_handler.h"
#include "relay/device_approval_store.h"
#include "relay/device_self_vouch.h"
#include "relay/pairing_flow.h"
#include "relay/relay_account_runtime.h"
#include "relay/relay_credentials.h"
#include "relay/relay_client.h"
#include "shell/desktop_isolation.h"
#include "shell/settings_key.h"
#include "shell/localisation.h"
#include "shell/vesket_identity.h"
#include "supervision/daemon_cli.h"
#include "supervision/status_poller.h"
#include "crew/crew_control_manager.h"
#include "ui/app_icon.h"
#include "ui/desktop_shell.h"
#include "ui/device_approval_notifier.h"
#include "ui/devices_window.h"
#include "ui/inbox_window.h"
#include "ui/decision_notifier.h"
#include "inbox/inbox_store.h"
#include "inbox/mac_task_board_store.h"
#include "ui/teams_window.h"
#include "ui/pairing_window.h"
#include "ui/window_requests.h"
#include "ui/main_window.h"
#include "ui/setup_view.h"
#include "ui/theme.h"
#include "ui/update_banner.h"
#include "viewer/terminal_viewer_model.h"

int main(int argc, char** argv) {
  using namespace vesket;
  if (!shell::DesktopIsolation::applyToProcess()) return 1;

  QApplication app(argc, argv);
  QApplication::setApplicationName("vesket-desktop");
  QApplication::setApplicationVersion(VESKET_DESKTOP_VERSION);
  platform::CrashHandler::install("vesket-desktop", VESKET_DESKTOP_VERSION, VESKET_DESKTOP_VERSION,
                                  platform::CrashHandler::defaultReportsDirectory());
  QApplication::setApplicationDisplayName("Vesket");
  QApplication::setOrganizationName("Vesket");
  QApplication::setDesktopFileName("vesket-desktop");
  QApplication::setWindowIcon(ui::AppIcon::icon(0));
  // The system's language, or VESKET_LANGUAGE / "durnvale.appLanguage" when set.
  shell::Localisation::installForProcess(app, &shell::DesktopIsolation::defaults());

  ui::Theme theme;
  theme.apply(app);

  // Crash reports our processes left since the last run become records in <home>/crashes;
  // main-thread hangs are watched for as long as the application runs.
  const QString productHome = shell::VesketIdentity::resolveHome();
  maintenance::CrashReportManager::Options reports{productHome, {}, &shell::DesktopIsolation::defaults(), {}, {}, {}, {}};
  auto scan = QtConcurrent::run([reports] {
    maintenance::CrashReportManager manager(reports);
    manager.checkAndEnqueue(maintenance::CrashReportManager::appProcessNames(), QStringLiteral("app"),
                            shell::SettingsKeys::crashReportLastAppCheck);
    manager.checkAndEnqueue(maintenance::CrashReportManager::daemonProcessNames(), QStringLiteral("daemon-hard"),
                            shell::SettingsKeys::crashReportLastDaemonCheck);
  });
  maintenance::HangWatchdog::shared({reports, {}}).start();

  // The one client of the local daemon, shared by everything in the application that asks it.
  auto client = control_plane::ControlPlaneClient::createDefault();
  const std::function<std::shared_ptr<control_plane::ControlPlaneClient>()> localDaemon = [client] { return client; };
  auto cli = std::make_shared<supervision::DaemonCli>(
      supervision::DaemonCli::locateExecutable(shell::VesketIdentity::resolveHome()));

  // Keeps the daemon installed in the product home's bin/, current and running: provisions
  // it from the copy shipped beside this program, then watches its status.
  supervision::StatusPoller poller(supervision::ProvisionPaths{
      shell::VesketIdentity::resolveHome(), supervision::ProvisionPaths::embeddedBesideApplication()});
  poller.start();

  viewer::TerminalViewerModel model(client, &shell::DesktopIsolation::defaults());
  // The relay: endpoint choice, the account session (restored from the stored token).
  relay::RelayAccountRuntime account(shell::DesktopIsolation::defaults(), localDaemon);
  QObject::connect(&account.store(), &relay::RelayAccountStore::authChanged, &app, [&account] {
    const relay::AuthState& auth = account.store().auth();
    if (auth.kind == relay::AuthState::Kind::authenticated) {
      std::fprintf(stderr, "vesket-desktop: signed in to the relay at %s as %s\n",
                   qPrintable(account.settings().baseURL()), qPrintable(auth.name));
    } else if (auth.kind == relay::AuthState::Kind::failed) {
      std::fprintf(stderr, "vesket-desktop: relay account: %s\n", qPrintable(auth.failure));
    }
  });

  // Another machine's panes come through the relay while the viewer has one selected.
  model.setRemoteSource(account.makePaneSource([&model] { return model.activeRemoteTarget(); }, relay::relayNetworkSession()));

  ui::MainWindow window(model);
  window.setAccountServices({&account.store(), &account.session(), &account.settings()});
  window.setRelayTerminalRoute([&account](const relay::TerminalAttachParams& params,
                                          std::weak_ptr<relay::TerminalMirrorListener> listener, QObject* parent) {
    return account.makeTerminalMirror(params, std::move(listener), parent);
  });
  ui::DesktopShell desktop(model, window, cli);
  auto* setup = new ui::SetupView(poller, QDir::homePath(), &window);
  setup->setWindowFlag(Qt::Window);
  QObject::connect(&window, &ui::MainWindow::setupRequested, setup, [setup] {
    setup->show();
    setup->raise();
    setup->refresh();
  });
  // Devices: requests of other devices (notification or banner), the account's devices and
  // machines; pairing this machine's daemon, then its own vouch for this device.
  std::function<relay::RelayClient()> accountClient = [&account] { return account.store().client(); };
  std::function<QUrl()> relayBase = [&account] { return account.store().baseURL(); };
  relay::DeviceApprovalStore approvals({accountClient, relayBase, {}, 5000});
  relay::MyMachinesStore machines({accountClient, relayBase, {}, {}});
  ui::DeviceApprovalNotifier notifier(approvals, QDBusConnection::sessionBus());
  relay::DeviceSelfVouch selfVouch({localDaemon, accountClient, {}});
  relay::PairQRFlow pairing({relayBase, localDaemon, {}, {}, [&account, &selfVouch, &approvals] {
                               account.store().recheckAfterLocalPairing();
                               if (const auto user = account.session().accountID()) selfVouch.afterLocalPairing(*user);
                               approvals.start();
                             }});
  window.setMachines(&machines);
  // Agent teams of the machine chosen in the sidebar's picker.
  crew::CrewControlManager crews({client, productHome,
                                  [&account]() -> std::optional<relay::RelayClient> {
                                    if (!account.session().isSignedIn()) return std::nullopt;
                                    return account.store().client();
                                  },
                                  [&account] { return account.session().isSignedIn(); }});
  auto* teams = new ui::TeamsWindow(crews, &window);
  teams->setWindowFlag(Qt::Window);
  teams->setRoutingClient([&account]() -> std::optional<relay::RelayClient> {
    if (!account.session().isSignedIn()) return std::nullopt;
    return account.store().client();
  });
  QObject::connect(&window, &ui::MainWindow::teamsRequested, teams, [teams] {
    teams->show();
    teams->raise();
  });
  QObject::connect(&window, &ui::MainWindow::activeMachineChanged, &crews,
                   [&crews](qint64 daemonId, const QString& name) {
                     if (daemonId == 0) crews.setTarget(std::nullopt);
                     else crews.setTarget(crew::CrewMachineTarget{daemonId, name.toStdString()});
                   });
  auto* devices = new ui::DevicesWindow(approvals, machines, &notifier, &window);
  devices->setWindowFlag(Qt::Window);
  auto* pairingWindow = new ui::PairingWindow(
      pairing,
      [&account]() -> std::optional<relay::RelayClient> {
        if (!account.session().isSignedIn()) return std::nullopt;
        return account.store().client();
      },
      &window);
  pairingWindow->setWindowFlag(Qt::Window);
  auto showDevices = [devices] {
    devices->show();
    devices->raise();
  };
  auto showPairing = [pairingWindow] {
    pairingWindow->show();
    pairingWindow->raise();
  };
  QObject::connect(&desktop, &ui::DesktopShell::devicesRequested, devices, showDevices);
  QObject::connect(&desktop, &ui::DesktopShell::pairingRequested, pairingWindow, showPairing);
  QObject::connect(devices, &ui::DevicesWindow::pairingRequested, pairingWindow, showPairing);
  QObject::connect(&ui::WindowRequests::shared(), &ui::WindowRequests::devicesRequested, devices, showDevices);
  QObject::connect(&ui::WindowRequests::shared(), &ui::WindowRequests::pairingRequested, pairingWindow, showPairing);
  // The inbox: the account's threads, decisions, notifications and files, and the task board,
  // kept current by the relay's change stream while the account is signed in.
  inbox::InboxStore inboxStore({accountClient, 2000});
  inbox::MacTaskBoardStore taskBoard(accountClient);
  auto* inboxWindow = new ui::InboxWindow(inboxStore, taskBoard, &window);
  inboxWindow->setWindowFlag(Qt::Window);
  QObject::connect(&ui::WindowRequests::shared(), &ui::WindowRequests::inboxRequested, inboxWindow, [inboxWindow] {
    inboxWindow->show();
    inboxWindow->raise();
  });
  QObject::connect(&ui::WindowRequests::shared(), &ui::WindowRequests::decisionRequested, inboxWindow,
                   [inboxWindow](const inbox::OpenInboxDecision& decision) { inboxWindow->openDecision(decision); },
                   Qt::DirectConnection);
  auto followInbox = [&account, &inboxStore] {
    if (account.session().isSignedIn()) {
      inboxStore.load();
    } else {
      inboxStore.stopLiveUpdates();
    }
  };
  ui::DecisionNotifier decisionNotifier(inboxStore, QDBusConnection::sessionBus());
  desktop.followDecisions(inboxStore);
  QObject::connect(&account.session(), &relay::AccountSession::accountDidSignIn, &inboxStore, followInbox);
  followInbox();
  // An account that already has machines: this one is added by its QR code.
  QObject::connect(&account.store(), &relay::RelayAccountStore::authChanged, pairingWindow, [&account, showPairing] {
    if (account.store().auth().kind == relay::AuthState::Kind::needsPhonePairing) showPairing();
  });
  // Without a notification server the request waits in the Devices window.
  QObject::connect(&notifier, &ui::DeviceApprovalNotifier::bannersChanged, devices, [&notifier, showDevices] {
    if (!notifier.banners().empty()) showDevices();
  });
  auto followAccount = [&account, &approvals] {
    if (account.session().isSignedIn() || relay::DaemonTokenStore::read()) {
      approvals.start();
    } else {
      approvals.stop();
    }
  };
  QObject::connect(&account.session(), &relay::AccountSession::accountDidSignIn, &approvals, followAccount);
  followAccount();
  // Updates: the release catalog is read once at start; the banner under the pane list
  // offers the update, follows its install and the restart that finishes it.
  const qint64 ownBuild = maintenance::ApplicationBundle::ownBuild(QCoreApplication::applicationDirPath(),
                                                                   VESKET_DESKTOP_BUILD);
  maintenance::UpdateChecker updates({productHome, ownBuild, true, 8000, [](const QString& line) {
                                        std::fprintf(stderr, "vesket-desktop: %s\n", qPrintable(line));
                                      }});
  maintenance::UpdateInstaller installer(
      {productHome, shell::DesktopIsolation::permits(shell::DesktopIsolation::HostAction::appUpdateInstall),
       [&window] { return ui::UpdateBanner::confirmInstall(&window); },
       shell::DesktopIsolation::childProcessEnvironment(), 1000, 900, {}, 0});
  window.addSidebarFooter(new ui::UpdateBanner(updates, installer));
  model.start();
  desktop.start();
  // Start-up: the daemon's tool installs or updates the agents' Vesket instructions and
  // Claude Code's hooks (tracked in the install manifest; isolated instances never do).
  auto syncSkills = [](std::shared_ptr<supervision::DaemonCli> tool) -> QCoro::Task<void> {
    auto run = tool->run({QStringLiteral("skills"), QStringLiteral("sync")}, 30000);
    const auto result = co_await std::move(run);
    if (result.started && result.exitCode != 0) {
      std::fprintf(stderr, "vesket-desktop: 'vesket skills sync' reported problems:\n%s%s",
                   qPrintable(result.standardOutput), qPrintable(result.standardError));
    }
  };
  syncSkills(cli);
  // Start-up: pick the relay, then restore the stored session there.
  account.connect();
  std::fprintf(stderr, "vesket-desktop: watching the daemon at %s\n", client->socketPath().c_str());
  return app.exec();
}
