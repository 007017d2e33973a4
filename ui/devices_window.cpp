#include "ui/devices_window.h"

#include <QDateTime>
#include <QLocale>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "relay/device_approval_store.h"
#include "relay/pairing_flow.h"
#include "relay/relay_error_presentation.h"
#include "ui/device_approval_notifier.h"

namespace vesket::ui {
namespace {

using relay::LoadState;

QString t(const char* key, const char* english, const QStringList& arguments = {}) {
  return relay::localizedText(key, QString::fromUtf8(english), arguments);
}

QString q(const std::string& text) { return QString::fromStdString(text); }

QLabel* secondary(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setStyleSheet("color: palette(placeholder-text); font-size: 11px;");
  return label;
}

QLabel* heading(const QString& text, QWidget* parent) {
  auto* label = new QLabel("<b>" + text.toHtmlEscaped() + "</b>", parent);
  label->setContentsMargins(0, 10, 0, 2);
  return label;
}

void clear(QVBoxLayout* layout) {
  while (QLayoutItem* item = layout->takeAt(0)) {
    if (QWidget* widget = item->widget()) {
      widget->hide();  // out of sight now; deleted once the event loop runs
      widget->deleteLater();
    }
    delete item;
  }
}

QFrame* card(QWidget* parent) {
  auto* frame = new QFrame(parent);
  frame->setProperty("card", true);
  frame->setStyleSheet("QFrame[card=\"true\"] { background: palette(base); border: 1px solid palette(midlight);"
                       " border-radius: 6px; }");
  return frame;
}

QString when(std::optional<double> ms) {
  if (!ms || *ms <= 0) return QStringLiteral("—");
  return QLocale().toString(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(*ms)), QLocale::ShortFormat);
}

// An ISO time of the relay in the user's locale; as sent when it does not read.
QString readableTime(const std::string& iso) {
  const QDateTime time = QDateTime::fromString(QString::fromStdString(iso), Qt::ISODate);
  return time.isValid() ? QLocale().toString(time.toLocalTime(), QLocale::ShortFormat) : QString::fromStdString(iso);
}

QString statusText(const QString& status) {
  if (status == "approved") return t("macos.devices_window.status_approved", "Approved");
  if (status == "pending") return t("macos.devices_window.status_pending", "Waiting for approval");
  if (status == "denied") return t("macos.devices_window.status_denied", "Denied");
  if (status == "revoked") return t("macos.devices_window.status_revoked", "Revoked");
  return status;
}

}  // namespace

DevicesWindow::DevicesWindow(relay::DeviceApprovalStore& store, relay::MyMachinesStore& machines,
                             DeviceApprovalNotifier* notifier, QWidget* parent)
    : QWidget(parent), m_store(store), m_machines(machines), m_notifier(notifier) {
  setObjectName("devicesWindow");
  setWindowTitle(t("macos.devices_window.title", "Devices"));
  resize(560, 640);
  // The lists scroll, but a device's row and its buttons need this much to be read and reached.
  setMinimumSize(420, 320);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  outer->addWidget(scroll);
  auto* content = new QWidget(scroll);
  scroll->setWidget(content);
  auto* layout = new QVBoxLayout(content);
  layout->setContentsMargins(16, 12, 16, 16);

  m_bannerArea = new QWidget(content);
  m_bannerArea->setObjectName("deviceApprovalBanners");
  m_banners = new QVBoxLayout(m_bannerArea);
  m_banners->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_bannerArea);

  layout->addWidget(heading(t("macos.devices_window.this_device", "This device"), content));
  m_thisDevice = new QLabel(content);
  m_thisDevice->setObjectName("thisDeviceState");
  m_thisDevice->setWordWrap(true);
  m_thisDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(m_thisDevice);

  layout->addWidget(heading(t("macos.devices_window.waiting_for_approval", "Waiting for approval"), content));
  m_pending = new QVBoxLayout;
  layout->addLayout(m_pending);

  layout->addWidget(heading(t("macos.devices_window.account_devices", "Devices on this account"), content));
  m_devices = new QVBoxLayout;
  layout->addLayout(m_devices);

  layout->addWidget(heading(t("macos.devices_window.my_machines", "My machines"), content));
  m_machineRows = new QVBoxLayout;
  layout->addLayout(m_machineRows);

  auto* pairRow = new QHBoxLayout;
  auto* pairThis = new QPushButton(t("macos.devices_window.pair_this_machine", "Pair this machine…"), content);
  pairThis->setObjectName("pairThisMachine");
  m_pairCodeButton = new QPushButton(t("macos.devices_window.get_pairing_code", "Get a pairing code"), content);
  m_pairCodeButton->setObjectName("getPairingCode");
  m_pairCode = new QLabel(content);
  m_pairCode->setObjectName("pairingCode");
  m_pairCode->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_pairCode->setWordWrap(true);
  pairRow->addWidget(pairThis);
  pairRow->addWidget(m_pairCodeButton);
  pairRow->addStretch(1);
  layout->addLayout(pairRow);
  layout->addWidget(m_pairCode);

  m_error = new QLabel(content);
  m_error->setObjectName("devicesError");
  m_error->setWordWrap(true);
  m_error->setStyleSheet("color: #d04a3a;");
  m_error->hide();
  layout->addWidget(m_error);
  layout->addStretch(1);

  connect(pairThis, &QPushButton::clicked, this, &DevicesWindow::pairingRequested);
  connect(m_pairCodeButton, &QPushButton::clicked, this, [this] { m_store.createPairCode(); });
  connect(&m_store, &relay::DeviceApprovalStore::thisDeviceChanged, this, &DevicesWindow::renderThisDevice);
  connect(&m_store, &relay::DeviceApprovalStore::pendingChanged, this, &DevicesWindow::renderPending);
  connect(&m_store, &relay::DeviceApprovalStore::devicesChanged, this, &DevicesWindow::renderDevices);
  connect(&m_store, &relay::DeviceApprovalStore::pairCodeChanged, this, &DevicesWindow::renderPairCode);
  connect(&m_store, &relay::DeviceApprovalStore::actionFailed, this, [this](const QString& message) {
    m_error->setText(message);
    m_error->show();
  });
  connect(&m_machines, &relay::MyMachinesStore::changed, this, &DevicesWindow::renderMachines);
  if (m_notifier) connect(m_notifier, &DeviceApprovalNotifier::bannersChanged, this, &DevicesWindow::renderBanners);
  renderThisDevice();
  renderBanners();
  renderPending();
  renderDevices();
  renderMachines();
  renderPairCode();
}

void DevicesWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  refresh();
}

void DevicesWindow::refresh() {
  m_error->hide();
  m_store.refreshThisDevice();
  m_store.refreshPending();
  m_store.refreshDevices();
  m_machines.load();
}

void DevicesWindow::renderThisDevice() {
  const auto& approval = m_store.thisDevice();
  if (!approval) {
    m_thisDevice->setText(t("macos.devices_window.not_enrolled", "Not enrolled: sign in to your account first."));
    return;
  }
  QString text = statusText(approval->status);
  if (approval->status == "pending" && approval->fingerprint) {
    text += "\n" + t("macos.devices_window.match_fingerprint", "Match this fingerprint on the approving computer") +
            ": " + *approval->fingerprint;
  }
  if (approval->status == "denied" && approval->deniedUntil) {
    text += "\n" + t("macos.devices_window.denied_until", "You can ask again after %1.",
                     {QLocale().toString(QDateTime::fromSecsSinceEpoch(static_cast<qint64>(*approval->deniedUntil)),
                                         QLocale::ShortFormat)});
  }
  m_thisDevice->setText(text);
}

void DevicesWindow::renderBanners() {
  clear(m_banners);
  if (!m_notifier || m_notifier->banners().empty()) {
    m_bannerArea->hide();
    return;
  }
  for (const auto& request : m_notifier->banners()) {
    auto* frame = card(m_bannerArea);
    frame->setObjectName("banner-" + q(request.requestId));
    frame->setStyleSheet("QFrame[card=\"true\"] { background: palette(alternate-base); border: 1px solid #d9a13b;"
                         " border-radius: 6px; }");
    auto* row = new QHBoxLayout(frame);
    auto* text = new QVBoxLayout;
    text->addWidget(new QLabel("<b>" + DeviceApprovalNotifier::title(request).toHtmlEscaped() + "</b>", frame));
    text->addWidget(new QLabel(q(relay::DeviceApprovalRules::notificationBody(request)), frame));
    text->addWidget(secondary(q(relay::DeviceApprovalRules::notificationSubtitle(request)), frame));
    row->addLayout(text, 1);
    for (const auto& [key, label] : {std::pair{DeviceApprovalNotifier::kApproveAction, t("macos.device_approval.approve", "Approve")},
                                     std::pair{DeviceApprovalNotifier::kDenyAction, t("macos.device_approval.deny", "Deny")}}) {
      auto* button = new QPushButton(label, frame);
      button->setObjectName(QString::fromLatin1(key == DeviceApprovalNotifier::kApproveAction ? "bannerApprove-" : "bannerDeny-") +
                            q(request.requestId));
      const QString requestId = q(request.requestId);
      const QString action = QString::fromLatin1(key);
      connect(button, &QPushButton::clicked, this, [this, requestId, action] { m_notifier->handleAction(requestId, action); });
      row->addWidget(button, 0, Qt::AlignVCenter);
    }
    m_banners->addWidget(frame);
  }
  m_bannerArea->show();
}

void DevicesWindow::renderPending() {
  clear(m_pending);
  const auto& pending = m_store.pending();
  if (pending.empty()) {
    m_pending->addWidget(secondary(m_store.pendingLoadState() == LoadState::failed
                                       ? t("macos.devices_window.pending_unavailable",
                                           "Requests cannot be read: this device is not approved or the relay is not reachable.")
                                       : t("macos.devices_window.no_pending", "No device is waiting for approval."),
                                   this));
    return;
  }
  for (const auto& request : pending) {
    auto* frame = card(this);
    auto* row = new QHBoxLayout(frame);
    auto* text = new QVBoxLayout;
    auto* body = new QLabel(q(relay::DeviceApprovalRules::notificationBody(request)), frame);
    body->setObjectName("pendingRequest-" + q(request.requestId));
    if (relay::DevicePriorStatus::isUrgent(request.priorStatus)) body->setText("⚠️ " + body->text());
    text->addWidget(body);
    text->addWidget(secondary(q(relay::DeviceApprovalRules::notificationSubtitle(request)) + " · " +
                                  when(request.requestedAtMs),
                              frame));
    row->addLayout(text, 1);
    auto* approve = new QPushButton(t("macos.device_approval.approve", "Approve"), frame);
    approve->setObjectName("approve-" + q(request.requestId));
    auto* deny = new QPushButton(t("macos.device_approval.deny", "Deny"), frame);
    deny->setObjectName("deny-" + q(request.requestId));
    const QString requestId = q(request.requestId);
    connect(approve, &QPushButton::clicked, this, [this, requestId] { m_store.approve(requestId); });
    connect(deny, &QPushButton::clicked, this, [this, requestId] { m_store.deny(requestId); });
    row->addWidget(approve, 0, Qt::AlignVCenter);
    row->addWidget(deny, 0, Qt::AlignVCenter);
    m_pending->addWidget(frame);
  }
}

void DevicesWindow::renderDevices() {
  clear(m_devices);
  if (m_store.devicesLoadState() == LoadState::failed) {
    m_devices->addWidget(secondary(m_store.devicesError(), this));
    return;
  }
  if (m_store.devices().empty()) {
    m_devices->addWidget(secondary(m_store.devicesLoadState() == LoadState::loading
                                       ? t("macos.devices_window.loading", "Loading…")
                                       : t("macos.devices_window.no_devices", "No devices yet."),
                                   this));
    return;
  }
  const QString thisDevice = m_store.thisDeviceID();
  for (const auto& device : m_store.devices()) {
    auto* frame = card(this);
    auto* row = new QHBoxLayout(frame);
    auto* text = new QVBoxLayout;
    QString name = device.deviceName.empty() ? q(relay::DevicePlatform::displayName(device.platform)) : q(device.deviceName);
    const bool isThis = q(device.deviceId).compare(thisDevice, Qt::CaseInsensitive) == 0;
    if (isThis) name += " · " + t("macos.devices_window.this_device_tag", "this device");
    auto* title = new QLabel("<b>" + name.toHtmlEscaped() + "</b>", frame);
    title->setObjectName("device-" + q(device.deviceId));
    text->addWidget(title);
    text->addWidget(secondary(q(relay::DevicePlatform::displayName(device.platform)) + " · " + statusText(q(device.status)) +
                                  " · " + t("macos.devices_window.code", "code") + " " + q(device.fingerprint) + " · " +
                                  t("macos.devices_window.last_seen", "last seen %1", {when(device.lastSeenAtMs)}),
                              frame));
    row->addLayout(text, 1);
    if (!isThis && device.status != "revoked") {
      auto* revoke = new QPushButton(t("macos.devices_window.revoke", "Revoke"), frame);
      revoke->setObjectName("revoke-" + q(device.deviceId));
      const QString id = q(device.deviceId);
      connect(revoke, &QPushButton::clicked, this, [this, id] { m_store.revoke(id); });
      row->addWidget(revoke, 0, Qt::AlignVCenter);
    }
    m_devices->addWidget(frame);
  }
}

void DevicesWindow::renderMachines() {
  clear(m_machineRows);
  if (m_machines.loadState() == LoadState::failed) {
    m_machineRows->addWidget(secondary(m_machines.error(), this));
    return;
  }
  if (m_machines.machines().empty()) {
    m_machineRows->addWidget(secondary(m_machines.loadState() == LoadState::loading
                                           ? t("macos.devices_window.loading", "Loading…")
                                           : t("macos.devices_window.no_machines", "No machine is paired with this account yet."),
                                       this));
    return;
  }
  for (const auto& machine : m_machines.machines()) {
    auto* frame = card(this);
    auto* row = new QHBoxLayout(frame);
    QString name = q(machine.daemon.machineName.value_or("#" + std::to_string(machine.daemon.id)));
    if (machine.isThisMachine) name += " · " + t("macos.devices_window.this_machine_tag", "this machine");
    auto* dot = new QLabel(machine.daemon.connected ? "●" : "○", frame);
    dot->setStyleSheet(machine.daemon.connected ? "color: #3aa85a;" : "color: palette(placeholder-text);");
    auto* text = new QVBoxLayout;
    auto* title = new QLabel("<b>" + name.toHtmlEscaped() + "</b>", frame);
    title->setObjectName(QStringLiteral("machine-%1").arg(machine.daemon.id));
    text->addWidget(title);
    const QString state = machine.daemon.connected
                              ? t("macos.devices_window.online", "Online")
                              : t("macos.devices_window.last_seen", "last seen %1",
                                  {readableTime(machine.daemon.lastSeenAt.value_or("—"))});
    QString detail = state;
    if (machine.daemon.daemonVersion) detail += " · vesket " + q(*machine.daemon.daemonVersion);
    text->addWidget(secondary(detail, frame));
    row->addWidget(dot, 0, Qt::AlignTop);
    row->addLayout(text, 1);
    m_machineRows->addWidget(frame);
  }
}

void DevicesWindow::renderPairCode() {
  const auto& state = m_store.pairCodeState();
  m_pairCodeButton->setEnabled(state.state != LoadState::loading);
  if (state.state == LoadState::loaded && state.code) {
    m_pairCode->setText(t("macos.devices_window.pairing_code_is",
                          "Type this code in the pairing window of the other machine: %1",
                          {"<b>" + state.code->code.toHtmlEscaped() + "</b>"}));
    m_pairCode->show();
  } else if (state.state == LoadState::failed) {
    m_pairCode->setText(state.error.toHtmlEscaped());
    m_pairCode->show();
  } else {
    m_pairCode->hide();
  }
}

}  // namespace vesket::ui
