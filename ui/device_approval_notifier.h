#pragma once

// A desktop notification with Approve and Deny for every new device request (freedesktop
// Notifications over D-Bus), the request's fingerprint in its text. Where no notification
// server answers on the bus, the request becomes an in-app banner instead; both end in the
// same handler. A notification whose request was answered elsewhere is closed.

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <map>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "relay/core/device_approval_rules.h"

namespace vesket::relay {
class DeviceApprovalStore;
}

namespace vesket::ui {

class DeviceApprovalNotifier : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kCategory = "com.nimbrel.vesket-status.deviceApprovalRequest";
  static constexpr const char* kApproveAction = "com.nimbrel.vesket-status.deviceApproval.approve";
  static constexpr const char* kDenyAction = "com.nimbrel.vesket-status.deviceApproval.deny";

  DeviceApprovalNotifier(relay::DeviceApprovalStore& store, QDBusConnection bus, QObject* parent = nullptr);

  // Whether a notification server is on the bus now.
  bool serverAvailable() const;
  // The requests shown as in-app banners.
  const std::vector<relay::DeviceApprovalPendingRequest>& banners() const { return m_banners; }
  // The notification's title: a repeat request of a denied device says so.
  static QString title(const relay::DeviceApprovalPendingRequest& request);

  void announce(const std::vector<relay::DeviceApprovalPendingRequest>& requests);
  void dismiss(const std::vector<std::string>& requestIds);
  // What an Approve or Deny (from a notification or a banner) does.
  QCoro::Task<relay::DeviceApprovalActionResult> handleAction(QString requestId, QString actionKey);

 signals:
  void bannersChanged();
  void notificationPosted(const QString& requestId, uint notificationId);
  void actionHandled(const QString& requestId, const QString& actionKey);

 private slots:
  void onActionInvoked(uint notificationId, const QString& actionKey);
  void onNotificationClosed(uint notificationId, uint reason);

 private:
  void post(const relay::DeviceApprovalPendingRequest& request);
  void showBanner(const relay::DeviceApprovalPendingRequest& request);
  void removeBanner(const std::string& requestId);

  relay::DeviceApprovalStore& m_store;
  QDBusConnection m_bus;
  std::map<uint, std::string> m_requestByNotification;
  std::vector<relay::DeviceApprovalPendingRequest> m_banners;
};

}  // namespace vesket::ui
