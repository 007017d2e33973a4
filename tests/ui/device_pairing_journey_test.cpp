// The whole devices-and-pairing journey on one machine, with the real relay, the real daemon
// (private tmux) and, where dbus-daemon exists, a private session bus: an account is
// registered and this device enrolled (approved); the pairing window's QR code is claimed
// through the relay's page API as a phone would, the daemon saves the pairing and links; a
// second device enrols, waits, is announced by a desktop notification whose Approve action
// (sent over D-Bus) approves it, lists the daemon's panes, is revoked and refused. Without a
// notification server the request becomes a banner. A third device on this machine is
// approved by the daemon's vouch during sign-in; a new machine replaces an old one.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QUuid>

#include <gtest/gtest.h>

#include "relay/account_session.h"
#include "relay/device_approval_store.h"
#include "relay/device_enrollment.h"
#include "relay/pairing_flow.h"
#include "relay/relay_account_store.h"
#include "shell/settings_store.h"
#include "tests/support/linked_daemon_fixture.h"
#include "tests/support/screenshot.h"
#include "ui/device_approval_notifier.h"
#include "ui/devices_window.h"
#include "ui/pairing_window.h"

namespace vesket::testing {
namespace {

using relay::RelayClient;

// The notification server of the private bus: records what it is asked to show.
class NotificationServer : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct Shown {
    uint id;
    QString summary;
    QString body;
    QStringList actions;
  };
  std::vector<Shown> shown;
  std::vector<uint> closed;

 public slots:
  uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body, const QStringList& actions,
              const QVariantMap&, int) {
    shown.push_back({static_cast<uint>(shown.size() + 1), summary, body, actions});
    return shown.back().id;
  }
  void CloseNotification(uint id) { closed.push_back(id); }
  QStringList GetCapabilities() { return {"actions", "body"}; }
};

// A dbus-daemon of the test's own, or nothing where the program is missing.
class PrivateBus {
 public:
  bool start() {
    const QString program = QStandardPaths::findExecutable("dbus-daemon");
    if (program.isEmpty()) return false;
    m_process.start(program, {"--session", "--nofork", "--print-address=1"});
    if (!m_process.waitForStarted(5000)) return false;
    waitUntil([&] { return m_process.canReadLine() || m_process.state() != QProcess::Running; }, 10000);
    address = QString::fromUtf8(m_process.readLine()).trimmed();
    return !address.isEmpty();
  }
  ~PrivateBus() {
    if (m_process.state() == QProcess::NotRunning) return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) m_process.kill();
  }
  QString address;

 private:
  QProcess m_process;
};

class DevicePairingJourneyTest : public LinkedDaemonTest {
 protected:
  void SetUp() override {
    LinkedDaemonTest::SetUp();
    if (HasFatalFailure()) return;
    m_base = QUrl(m_relay->baseUrl());
    m_settings = shell::SettingsStore::openFile(m_root.filePath("preferences.ini"));
  }

  // One device of the account: its own id, token and enrolment state.
  struct Device {
    std::shared_ptr<relay::InMemoryRelayUserTokenStore> tokens = std::make_shared<relay::InMemoryRelayUserTokenStore>();
    std::shared_ptr<relay::InMemoryRelayDeviceIDStore> id =
        std::make_shared<relay::InMemoryRelayDeviceIDStore>(QUuid::createUuid().toString(QUuid::WithoutBraces));
    std::unique_ptr<relay::DeviceEnrollment> enrollment;
    std::string token() const { return tokens->read().value_or(QString()).toStdString(); }
  };

  Device device() {
    Device made;
    made.enrollment = std::make_unique<relay::DeviceEnrollment>(*m_settings);
    return made;
  }

  RelayClient client(Device& device) {
    return RelayClient(m_base, RelayClient::Credential::keychain(), device.tokens, device.id, nullptr, device.enrollment.get());
  }

  std::optional<QString> daemonToken() const {
    QFile env(environment().value("VESKET_HOME") + "/daemon/.env");
    if (!env.open(QIODevice::ReadOnly)) return std::nullopt;
    for (const QByteArray& line : env.readAll().split('\n')) {
      if (line.startsWith("DAEMON_TOKEN=") && line.size() > 13) return QString::fromUtf8(line.mid(13));
    }
    return std::nullopt;
  }

  int panesStatus(const Device& device) {
    const RelayReply reply = m_http->get("/api/panes", device.token());
    if (reply.status == 200) {
      bool listed = false;
      for (const auto& pane : reply.json()) listed = listed || pane.value("paneId", "") == m_paneId.toStdString();
      EXPECT_TRUE(listed) << reply.body.toStdString();
    }
    return reply.status;
  }

  QUrl m_base;
  std::unique_ptr<shell::SettingsStore> m_settings;
};

TEST_F(DevicePairingJourneyTest, PairByQRApproveFromANotificationListPanesRevoke) {
  // This device: registered, enrolled, approved at once.
  Device first = device();
  relay::AccountSession session(first.tokens, [this] { return m_base; });
  relay::RelayAccountStore account({[this] { return m_base; }, RelayClient::Credential::keychain(), first.tokens, first.id,
                                    &session, [this] { return daemonToken().has_value(); }, first.enrollment.get(),
                                    [this] { return m_client; }});
  awaitTask(account.registerAccount("journey@example.org", "password1", "password1"));
  ASSERT_EQ(account.auth().kind, relay::AuthState::Kind::authenticated) << account.auth().failure.toStdString();
  auto firstClient = [&] { return client(first); };
  std::function<QUrl()> base = [this] { return m_base; };

  // The pairing window shows a QR code with its countdown and short code.
  relay::PairQRFlow::tokenCache().reset();
  bool afterPairing = false;
  relay::PairQRFlow flow({base, [this] { return m_client; }, "journey-machine", "journey-host",
                          [&] { afterPairing = true; }, 200});
  ui::PairingWindow pairingWindow(flow, [&]() -> std::optional<RelayClient> { return firstClient(); });
  pairingWindow.show();
  ASSERT_TRUE(waitUntil([&] { return flow.phase() == relay::PairQRFlow::Phase::ready; }, 15000)) << flow.message().toStdString();
  const relay::QRTokenSnapshot qr = *flow.token();
  EXPECT_FALSE(pairingWindow.qrImage()->pixmap().isNull());
  EXPECT_TRUE(QRegularExpression("^Expires in [45]:\\d\\d$").match(pairingWindow.countdownLabel()->text()).hasMatch())
      << pairingWindow.countdownLabel()->text().toStdString();
  EXPECT_TRUE(pairingWindow.shortCodeLabel()->text().contains(QString::fromStdString(qr.shortCode)));
  saveScreenshot(pairingWindow, "pairing-window-qr");
  // At its smallest, the steps' wrapped texts still have the lines they need.
  pairingWindow.resize(1, 1);
  spinFor(50);
  for (QLabel* label : pairingWindow.findChildren<QLabel*>()) {
    if (label->isVisible() && label->wordWrap()) {
      EXPECT_GE(label->height(), label->heightForWidth(label->width())) << label->text().toStdString();
    }
  }
  pairingWindow.resize(720, 440);

  // The phone opens the QR's URL and claims it for the account.
  const auto claim = qr.qrPayload.substr(qr.qrPayload.find("token=") + 6);
  ASSERT_EQ(m_http->post("/api/pair/claim", {{"token", claim}}, first.token()).status, 200);
  ASSERT_TRUE(waitUntil([&] { return flow.phase() != relay::PairQRFlow::Phase::ready; }, 15000));
  ASSERT_EQ(flow.phase(), relay::PairQRFlow::Phase::paired) << flow.message().toStdString();
  EXPECT_TRUE(afterPairing);
  EXPECT_TRUE(relay::PairQRFlow::tokenCache()->consumed);
  EXPECT_TRUE(daemonToken());
  ASSERT_TRUE(waitUntil([&] { return awaitTask(m_client->relayStatus()).connected; }, 15000));
  awaitTask(flow.refreshChecklist());
  EXPECT_TRUE(relay::PairFlow::allGreen(flow.steps()));
  EXPECT_EQ(pairingWindow.stepDetail(3)->text(), "Linked to the relay: your other devices reach this machine.");
  saveScreenshot(pairingWindow, "pairing-window-paired");

  // My machines: this one, online.
  relay::MyMachinesStore machines({firstClient, base, [this] { return daemonToken(); }, "another-host"});
  awaitTask(machines.load());
  ASSERT_EQ(machines.machines().size(), 1u) << machines.error().toStdString();
  EXPECT_TRUE(machines.machines()[0].isThisMachine);
  EXPECT_TRUE(machines.machines()[0].daemon.connected);

  // A second device signs in and waits; it cannot read the panes yet.
  Device second = device();
  RelayClient secondClient = client(second);
  awaitTask(secondClient.login("journey@example.org", "password1"));
  const relay::RelayDeviceApproval waiting = awaitTask(secondClient.enrollCurrentDevice(false));
  ASSERT_EQ(waiting.status, "pending");
  ASSERT_TRUE(waiting.fingerprint && waiting.requestId);
  EXPECT_EQ(panesStatus(second), 403);

  // This device is told: a notification over the bus, else a banner.
  PrivateBus bus;
  const bool haveBus = bus.start();
  QDBusConnection serverBus = QDBusConnection::connectToBus(bus.address, "journey-server");
  QDBusConnection appBus = QDBusConnection::connectToBus(bus.address, "journey-app");
  NotificationServer server;
  if (haveBus) {
    ASSERT_TRUE(serverBus.registerObject("/org/freedesktop/Notifications", &server, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(serverBus.registerService("org.freedesktop.Notifications"));
  }
  relay::DeviceApprovalStore approvals({firstClient, base, [this] { return daemonToken(); }, 100});
  ui::DeviceApprovalNotifier notifier(approvals, appBus);
  ui::DevicesWindow devicesWindow(approvals, machines, &notifier);
  devicesWindow.resize(560, 700);
  devicesWindow.show();
  approvals.start();
  const QString requestId = *waiting.requestId;
  if (haveBus) {
    ASSERT_TRUE(waitUntil([&] { return !server.shown.empty(); }, 10000));
    spinFor(1200);  // about ten more polls: still one notification
    ASSERT_EQ(server.shown.size(), 1u);
    EXPECT_EQ(server.shown[0].summary, "New device wants to join your account");
    EXPECT_TRUE(server.shown[0].body.contains("code " + *waiting.fingerprint)) << server.shown[0].body.toStdString();
    EXPECT_EQ(server.shown[0].actions, (QStringList{"default", "Devices", ui::DeviceApprovalNotifier::kApproveAction, "Approve",
                                                    ui::DeviceApprovalNotifier::kDenyAction, "Deny"}));
  } else {
    ASSERT_TRUE(waitUntil([&] { return !notifier.banners().empty(); }, 10000));
  }
  ASSERT_TRUE(waitUntil([&] { return devicesWindow.findChild<QWidget*>("pendingRequest-" + requestId) != nullptr; }));
  saveScreenshot(devicesWindow, "devices-window-pending");
  // At its smallest, the request's text and buttons still fit side by side: the window
  // scrolls down to them, never sideways.
  devicesWindow.resize(1, 1);
  spinFor(50);
  auto* area = devicesWindow.findChild<QScrollArea*>();
  EXPECT_EQ(area->horizontalScrollBar()->maximum(), 0) << "in a window of " << devicesWindow.width() << "x" << devicesWindow.height();
  for (QPushButton* button : devicesWindow.findChild<QWidget*>("pendingRequest-" + requestId)->findChildren<QPushButton*>()) {
    area->ensureWidgetVisible(button);
    spinFor(20);
    EXPECT_TRUE(area->viewport()->rect().contains(QRect(button->mapTo(area->viewport(), QPoint(0, 0)), button->size())))
        << button->text().toStdString();
  }
  devicesWindow.resize(560, 700);

  // Approve, from the notification's action.
  if (haveBus) {
    QDBusMessage invoked = QDBusMessage::createSignal("/org/freedesktop/Notifications", "org.freedesktop.Notifications",
                                                      "ActionInvoked");
    invoked << server.shown[0].id << QString(ui::DeviceApprovalNotifier::kApproveAction);
    ASSERT_TRUE(serverBus.send(invoked));
  } else {
    notifier.handleAction(requestId, ui::DeviceApprovalNotifier::kApproveAction);
  }
  ASSERT_TRUE(waitUntil([&] { return awaitTask(secondClient.currentDeviceApproval()).status == "approved"; }, 10000));
  if (haveBus) {
    EXPECT_TRUE(waitUntil([&] { return server.closed == std::vector<uint>{1}; }));
  }
  EXPECT_EQ(panesStatus(second), 200);

  // The Devices window lists both devices; revoking the second refuses it at once.
  awaitTask(approvals.refreshDevices());
  awaitTask(approvals.refreshThisDevice());
  ASSERT_EQ(approvals.devices().size(), 2u);
  EXPECT_EQ(devicesWindow.thisDeviceLabel()->text(), "Approved");
  // The relay spells device ids in capitals; this device is still told apart.
  auto* revoke = devicesWindow.findChild<QPushButton*>("revoke-" + second.id->deviceID().toUpper());
  ASSERT_TRUE(revoke);
  EXPECT_FALSE(devicesWindow.findChild<QPushButton*>("revoke-" + first.id->deviceID().toUpper()));
  saveScreenshot(devicesWindow, "devices-window");
  revoke->click();
  ASSERT_TRUE(waitUntil([&] { return panesStatus(second) != 200; }, 10000));
  const int refused = panesStatus(second);
  EXPECT_TRUE(refused == 401 || refused == 403) << refused;

  // With no notification server on the bus, a new request is a banner that denies.
  if (haveBus) serverBus.unregisterService("org.freedesktop.Notifications");
  Device third = device();
  RelayClient thirdClient = client(third);
  awaitTask(thirdClient.login("journey@example.org", "password1"));
  const auto thirdWaiting = awaitTask(thirdClient.enrollCurrentDevice(false));
  ASSERT_TRUE(waitUntil([&] { return !notifier.banners().empty(); }, 10000));
  auto* deny = devicesWindow.findChild<QPushButton*>("bannerDeny-" + *thirdWaiting.requestId);
  ASSERT_TRUE(deny);
  saveScreenshot(devicesWindow, "devices-window-banner");
  deny->click();
  ASSERT_TRUE(waitUntil([&] { return awaitTask(thirdClient.currentDeviceApproval()).status == "denied"; }, 10000));
  EXPECT_TRUE(waitUntil([&] { return notifier.banners().empty(); }));
  approvals.stop();
}

// A relay that does not answer is asked less and less often; its first answer brings the
// usual interval back.
TEST_F(DevicePairingJourneyTest, ApprovalPollsBackOffWhileTheRelayIsUnreachable) {
  m_http->registerAccount("poll@example.org");
  Device owner = device();
  RelayClient ownerClient = client(owner);
  awaitTask(ownerClient.login("poll@example.org", "password1"));
  ASSERT_EQ(awaitTask(ownerClient.enrollCurrentDevice(false)).status, "approved");

  QUrl target(QStringLiteral("http://127.0.0.1:9"));  // nothing listens there
  auto reach = [&] {
    return RelayClient(target, RelayClient::Credential::keychain(), owner.tokens, owner.id, nullptr, owner.enrollment.get());
  };
  relay::DeviceApprovalStore approvals({reach, [&] { return target; }, [] { return std::optional<QString>(); }, 20, 160});
  approvals.start();
  ASSERT_TRUE(waitUntil([&] { return approvals.pollIntervalMs() == 160; }, 10000)) << approvals.pollIntervalMs();
  EXPECT_EQ(approvals.pendingLoadState(), relay::LoadState::failed);
  target = m_base;
  EXPECT_TRUE(waitUntil([&] { return approvals.pollIntervalMs() == 20; }, 10000)) << approvals.pollIntervalMs();
  EXPECT_EQ(approvals.pendingLoadState(), relay::LoadState::loaded);
}

TEST_F(DevicePairingJourneyTest, ADeviceOfThisMachineIsApprovedByItsDaemonsVouchAtSignIn) {
  // The account's first device makes a pairing code; this machine's daemon is paired with it.
  m_http->registerAccount("vouch@example.org");
  Device owner = device();
  RelayClient ownerClient = client(owner);
  awaitTask(ownerClient.login("vouch@example.org", "password1"));
  ASSERT_EQ(awaitTask(ownerClient.enrollCurrentDevice(false)).status, "approved");
  const relay::RelayPairCode code = awaitTask(ownerClient.pairCodeInit());
  relay::PairQRFlow flow({[this] { return m_base; }, [this] { return m_client; }, "vouch-machine", "vouch-host", {}, 200});
  awaitTask(flow.pairWithCode(code.code));
  ASSERT_EQ(flow.phase(), relay::PairQRFlow::Phase::paired) << flow.message().toStdString();
  ASSERT_TRUE(waitUntil([&] { return awaitTask(m_client->relayStatus()).connected; }, 15000));

  // Signing in on a new device of this machine: pending, then vouched for by the daemon.
  Device here = device();
  relay::AccountSession session(here.tokens, [this] { return m_base; });
  relay::RelayAccountStore account({[this] { return m_base; }, RelayClient::Credential::keychain(), here.tokens, here.id,
                                    &session, [] { return true; }, here.enrollment.get(), [this] { return m_client; }});
  awaitTask(account.login("vouch@example.org", "password1"), 40000);
  EXPECT_EQ(account.auth().kind, relay::AuthState::Kind::authenticated) << account.auth().failure.toStdString();
  EXPECT_EQ(awaitTask(client(here).currentDeviceApproval()).status, "approved");

  // A new machine of the account replaces this one: the relay names the candidates, the
  // pairing window lists them, and the replacement's daemon token is saved and links.
  relay::PairQRFlow replacing({[this] { return m_base; }, [this] { return m_client; }, "new-machine", "new-host", {}, 200});
  ui::PairingWindow window(replacing, [&]() -> std::optional<RelayClient> { return client(owner); });
  awaitTask(replacing.pairWithAccount(client(owner)));
  ASSERT_EQ(replacing.phase(), relay::PairQRFlow::Phase::replacementRequired) << replacing.message().toStdString();
  ASSERT_EQ(window.candidateList()->count(), 1);
  EXPECT_TRUE(window.candidateList()->item(0)->text().startsWith("vouch-host"));
  EXPECT_TRUE(window.replacementPanel()->isVisibleTo(&window));
  awaitTask(replacing.refreshChecklist());
  saveScreenshot(window, "pairing-window-replace");
  awaitTask(replacing.replace(client(owner), replacing.candidates()[0].id, QStringLiteral("password1")));
  ASSERT_EQ(replacing.phase(), relay::PairQRFlow::Phase::paired) << replacing.message().toStdString();
  ASSERT_TRUE(waitUntil([&] { return awaitTask(m_client->relayStatus()).connected; }, 15000));
  relay::MyMachinesStore machines({[&] { return client(owner); }, [this] { return m_base; }, [this] { return daemonToken(); }, {}});
  awaitTask(machines.load());
  ASSERT_EQ(machines.machines().size(), 1u) << machines.error().toStdString();
  EXPECT_EQ(machines.machines()[0].daemon.machineName, "new-host");
  EXPECT_TRUE(machines.machines()[0].isThisMachine);
}

}  // namespace
}  // namespace vesket::testing

#include "device_pairing_journey_test.moc"
