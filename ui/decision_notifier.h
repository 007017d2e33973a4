#pragma once

// A desktop notification for every new open decision (freedesktop Notifications over
// D-Bus): the agent and its question, one action per option (the first three), so it can
// be answered from the notification where the server shows actions; clicking the
// notification itself opens the Inbox. Answers go through the InboxStore, so an answer
// from the notification and one from the window are never both sent.

#include <QDBusConnection>
#include <QObject>

#include <map>
#include <string>

namespace vesket::inbox {
class InboxStore;
struct OpenInboxDecision;
}  // namespace vesket::inbox

namespace vesket::ui {

class DecisionNotifier : public QObject {
  Q_OBJECT

 public:
  DecisionNotifier(inbox::InboxStore& store, QDBusConnection bus, QObject* parent = nullptr);

  void announce(const inbox::OpenInboxDecision& decision);

 signals:
  void notificationPosted(uint notificationId);

 private slots:
  void onActionInvoked(uint notificationId, const QString& actionKey);

 private:
  struct Posted {
    std::string slug;
    double messageId = 0;
  };
  inbox::InboxStore& m_store;
  QDBusConnection m_bus;
  std::map<uint, Posted> m_posted;
};

}  // namespace vesket::ui
