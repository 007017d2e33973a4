#include "ui/device_approval_notifier.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QPointer>

#include <algorithm>

#include "relay/device_approval_store.h"
#include "relay/relay_error_presentation.h"
#include "ui/window_requests.h"

namespace vesket::ui {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";

QString t(const char* key, const char* english) { return relay::localizedText(key, QString::fromUtf8(english)); }

}  // namespace

DeviceApprovalNotifier::DeviceApprovalNotifier(relay::DeviceApprovalStore& store, QDBusConnection bus, QObject* parent)
    : QObject(parent), m_store(store), m_bus(std::move(bus)) {
  connect(&m_store, &relay::DeviceApprovalStore::requestsArrived, this, &DeviceApprovalNotifier::announce);
  connect(&m_store, &relay::DeviceApprovalStore::requestsResolved, this, &DeviceApprovalNotifier::dismiss);
  if (m_bus.isConnected()) {
    m_bus.connect(kService, kPath, kInterface, "ActionInvoked", this, SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, "NotificationClosed", this, SLOT(onNotificationClosed(uint, uint)));
  }
}

bool DeviceApprovalNotifier::serverAvailable() const {
  return m_bus.isConnected() && m_bus.interface() && m_bus.interface()->isServiceRegistered(kService).value();
}

QString DeviceApprovalNotifier::title(const relay::DeviceApprovalPendingRequest& request) {
  if (relay::DevicePriorStatus::isUrgent(request.priorStatus)) {
    return t("macos.device_approval.repeat_request_title", "⚠️ Repeat request from a device you denied");
  }
  return t("macos.device_approval.new_request_title", "New device wants to join your account");
}

void DeviceApprovalNotifier::announce(const std::vector<relay::DeviceApprovalPendingRequest>& requests) {
  const bool server = serverAvailable();
  for (const auto& request : requests) {
    if (server) {
      post(request);
    } else {
      showBanner(request);
    }
  }
}

void DeviceApprovalNotifier::post(const relay::DeviceApprovalPendingRequest& request) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  const QString body = QString::fromStdString(relay::DeviceApprovalRules::notificationBody(request)) + "\n" +
                       QString::fromStdString(relay::DeviceApprovalRules::notificationSubtitle(request));
  const QStringList actions{QStringLiteral("default"), t("macos.devices_window.title", "Devices"), kApproveAction, t("macos.device_approval.approve", "Approve"), kDenyAction,
                            t("macos.device_approval.deny", "Deny")};
  QVariantMap hints;
  hints.insert("category", QString::fromLatin1(kCategory));
  hints.insert("desktop-entry", QStringLiteral("vesket-desktop"));
  hints.insert("urgency", QVariant::fromValue<uchar>(relay::DevicePriorStatus::isUrgent(request.priorStatus) ? 2 : 1));
  hints.insert("x-vesket-request-id", QString::fromStdString(request.requestId));
  hints.insert("sound-name", QStringLiteral("message-new-instant"));
  call << QStringLiteral("Vesket") << uint(0) << QString() << title(request) << body << actions << hints << int(0);
  auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, request](QDBusPendingCallWatcher* finished) {
    finished->deleteLater();
    const QDBusPendingReply<uint> reply = *finished;
    if (reply.isError()) {
      showBanner(request);
      return;
    }
    m_requestByNotification[reply.value()] = request.requestId;
    emit notificationPosted(QString::fromStdString(request.requestId), reply.value());
  });
}

void DeviceApprovalNotifier::dismiss(const std::vector<std::string>& requestIds) {
  for (const auto& requestId : requestIds) {
    removeBanner(requestId);
    for (auto it = m_requestByNotification.begin(); it != m_requestByNotification.end();) {
      if (it->second != requestId) {
        ++it;
        continue;
      }
      if (m_bus.isConnected()) {
        m_bus.asyncCall(QDBusMessage::createMethodCall(kService, kPath, kInterface, "CloseNotification") << it->first);
      }
      it = m_requestByNotification.erase(it);
    }
  }
}

void DeviceApprovalNotifier::onActionInvoked(uint notificationId, const QString& actionKey) {
  const auto found = m_requestByNotification.find(notificationId);
  if (found == m_requestByNotification.end()) return;  // another application's notification
  if (actionKey == QLatin1String("default")) {
    // The notification itself was clicked: the request waits in the Devices window.
    emit WindowRequests::shared().devicesRequested();
    return;
  }
  handleAction(QString::fromStdString(found->second), actionKey);
}

void DeviceApprovalNotifier::onNotificationClosed(uint notificationId, uint) {
  m_requestByNotification.erase(notificationId);
}

QCoro::Task<relay::DeviceApprovalActionResult> DeviceApprovalNotifier::handleAction(QString requestId,
                                                                                    QString actionKey) {
  QPointer<DeviceApprovalNotifier> self(this);
  relay::DeviceApprovalActionResult result;
  if (actionKey == QLatin1String(kApproveAction)) {
    QCoro::Task<relay::DeviceApprovalActionResult> approving = m_store.approve(requestId);
    result = co_await std::move(approving);
  } else if (actionKey == QLatin1String(kDenyAction)) {
    QCoro::Task<relay::DeviceApprovalActionResult> denying = m_store.deny(requestId);
    result = co_await std::move(denying);
  } else {
    co_return result;  // "default" (the notification's body clicked) and unknown keys
  }
  if (!self) co_return result;
  if (result.kind != relay::DeviceApprovalActionResult::Kind::failed) removeBanner(requestId.toStdString());
  emit actionHandled(requestId, actionKey);
  co_return result;
}

void DeviceApprovalNotifier::showBanner(const relay::DeviceApprovalPendingRequest& request) {
  const bool shown = std::any_of(m_banners.begin(), m_banners.end(),
                                 [&](const auto& banner) { return banner.requestId == request.requestId; });
  if (shown) return;
  m_banners.push_back(request);
  emit bannersChanged();
}

void DeviceApprovalNotifier::removeBanner(const std::string& requestId) {
  const auto before = m_banners.size();
  std::erase_if(m_banners, [&](const auto& banner) { return banner.requestId == requestId; });
  if (m_banners.size() != before) emit bannersChanged();
}

}  // namespace vesket::ui
