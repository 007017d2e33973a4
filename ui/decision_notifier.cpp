#include "ui/decision_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDateTime>

#include "inbox/inbox_store.h"
#include "relay/relay_error_presentation.h"
#include "ui/window_requests.h"

namespace vesket::ui {
namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr const char* kOptionPrefix = "com.nimbrel.vesket-status.decision.option:";

}  // namespace

DecisionNotifier::DecisionNotifier(inbox::InboxStore& store, QDBusConnection bus, QObject* parent)
    : QObject(parent), m_store(store), m_bus(std::move(bus)) {
  connect(&m_store, &inbox::InboxStore::decisionArrived, this, &DecisionNotifier::announce);
  if (m_bus.isConnected()) {
    m_bus.connect(kService, kPath, kInterface, "ActionInvoked", this, SLOT(onActionInvoked(uint, QString)));
  }
}

void DecisionNotifier::announce(const inbox::OpenInboxDecision& decision) {
  if (!m_bus.isConnected() || !decision.message.decision()) return;
  const inbox::Decision& question = *decision.message.decision();
  QStringList actions{QStringLiteral("default"), relay::localizedText("macos.inbox_view.title", QStringLiteral("Inbox"))};
  for (std::size_t i = 0; i < question.options.size() && i < 3; ++i) {
    actions << QString::fromLatin1(kOptionPrefix) + QString::fromStdString(question.options[i].k)
            << QString::fromStdString(question.options[i].label);
  }
  QVariantMap hints;
  hints.insert("category", QStringLiteral("com.nimbrel.vesket-status.decision"));
  hints.insert("desktop-entry", QStringLiteral("vesket-desktop"));
  hints.insert("urgency", QVariant::fromValue<uchar>(1));
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  call << QStringLiteral("Vesket") << uint(0) << QString()
       << relay::localizedText("macos.inbox_view.new_decision", QStringLiteral("%1 asks"), {QString::fromStdString(decision.agentDisplay)})
       << QString::fromStdString(question.question) << actions << hints << int(0);
  const Posted posted{decision.slug, decision.message.id};
  auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, posted](QDBusPendingCallWatcher* finished) {
    finished->deleteLater();
    const QDBusPendingReply<uint> reply = *finished;
    if (reply.isError()) return;  // no notification server: the Inbox shows the decision
    m_posted[reply.value()] = posted;
    emit notificationPosted(reply.value());
  });
}

void DecisionNotifier::onActionInvoked(uint notificationId, const QString& actionKey) {
  const auto found = m_posted.find(notificationId);
  if (found == m_posted.end()) return;  // another application's notification
  if (actionKey == QLatin1String("default")) {
    emit WindowRequests::shared().inboxRequested();
    for (const auto& decision : m_store.openDecisions()) {
      if (decision.slug == found->second.slug && decision.message.id == found->second.messageId) {
        emit WindowRequests::shared().decisionRequested(decision);
        return;
      }
    }
    return;
  }
  if (!actionKey.startsWith(QLatin1String(kOptionPrefix))) return;
  const std::string key = actionKey.mid(static_cast<int>(qstrlen(kOptionPrefix))).toStdString();
  m_store.answerDecision(found->second.slug, found->second.messageId, key, QDateTime::currentMSecsSinceEpoch());
}

}  // namespace vesket::ui
