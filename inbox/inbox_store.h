#pragma once

// The signed-in account's inbox on screen: the thread list, the open thread's messages
// (pages of 50, older ones kept when the newest page is fetched again), notifications and
// files, and the open decisions across all threads. The relay's change stream keeps it
// current: every signal refetches what is shown; when the stream ends it is opened again
// 2 s later, for as long as the store is live. A decision is answered at most once at a
// time in the whole process; a failure is one of a few reasons the card shows.

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "inbox/core/inbox_presentation.h"
#include "inbox/core/inbox_records.h"
#include "inbox/core/inbox_stream_parser.h"
#include "relay/relay_client.h"

class QNetworkReply;

namespace vesket::inbox {

struct OpenInboxDecision {
  std::string slug;
  std::string agentDisplay;
  InboxMessage message;
};

struct InboxDecisionRef {
  std::string slug;
  double messageID = 0;
  auto operator<=>(const InboxDecisionRef&) const = default;
};

// The answers in flight in this process (every window's stores share it).
struct DecisionAnswerFlights {
  std::set<QString> active;
  static DecisionAnswerFlights& shared();
};

class InboxStore : public QObject {
  Q_OBJECT

 public:
  enum class Segment { messages, files, notifications };
  enum class LoadState { idle, loading, loaded, failed };

  struct Dependencies {
    std::function<relay::RelayClient()> client;  // required: the account session's client
    int reopenDelayMs = 2000;
  };

  explicit InboxStore(Dependencies dependencies, QObject* parent = nullptr);
  ~InboxStore() override;

  Segment segment() const { return m_segment; }
  void setSegment(Segment segment);
  const std::vector<InboxThread>& threads() const { return m_threads; }
  LoadState threadsState() const { return m_threadsState; }
  const QString& threadsError() const { return m_threadsError; }
  bool sessionExpired() const { return m_sessionExpired; }
  // The relay refuses this machine's token until the device is approved: the inbox is
  // local-only for now (terminals and teams here work as usual).
  bool deviceNotApproved() const { return m_deviceNotApproved; }
  const std::vector<PlatformNotification>& notifications() const { return m_notifications; }
  // The notifications that carry a file (the Files tab).
  std::vector<PlatformNotification> files() const;
  const std::optional<std::string>& openSlug() const { return m_openSlug; }
  const std::vector<InboxMessage>& messages() const { return m_messages; }
  LoadState messagesState() const { return m_messagesState; }
  bool hasOlderMessages() const { return m_hasOlderMessages; }
  bool isLoadingOlder() const { return m_isLoadingOlder; }
  std::optional<double> pagingAnchorID() const { return m_pagingAnchorID; }
  bool isSendingReply() const { return m_isSendingReply; }
  const QString& replyError() const { return m_replyError; }
  const std::vector<OpenInboxDecision>& openDecisions() const { return m_openDecisions; }
  bool isAnswering(const InboxDecisionRef& ref) const { return m_answering.contains(ref); }
  std::optional<DecisionAnswerFailure> decisionFailure(const InboxDecisionRef& ref) const;
  // The decision the window should bring into view once its message is loaded.
  const std::optional<InboxDecisionRef>& pendingDecisionJump() const { return m_pendingDecisionJump; }
  const std::optional<InboxMessage>& presentedDecision() const { return m_presentedDecision; }
  const QString& fileOpenError() const { return m_fileOpenError; }
  bool isLive() const { return m_live; }
  // Signals the change stream has delivered (for tests and diagnostics).
  int liveSignals() const { return m_liveSignals; }
  bool streamConnected() const { return m_streamConnected; }

  // Threads, notifications and open decisions, then the live stream.
  QCoro::Task<void> load();
  QCoro::Task<void> refreshThreads();
  QCoro::Task<void> refreshNotifications();
  QCoro::Task<void> refreshOpenDecisions();
  void startLiveUpdates();
  void stopLiveUpdates();
  QCoro::Task<void> reconcileLiveChange();
  QCoro::Task<void> openThread(std::string slug);
  void closeThread();
  QCoro::Task<void> loadMessages(std::string slug, bool preserveOlder);
  QCoro::Task<void> loadOlderMessages();
  QCoro::Task<void> markThreadRead(std::string slug);
  QCoro::Task<void> sendReply(QString text);
  // Answers once: a second call for the same decision while one is in flight does nothing.
  QCoro::Task<void> answerDecision(std::string slug, double messageId, std::string key, qint64 nowMs);
  QCoro::Task<void> refreshDecision(std::string slug, double messageId);
  // Opens the decision's thread and pages back until its message is loaded; the window
  // then scrolls to it and consumes the jump.
  QCoro::Task<void> openDecision(OpenInboxDecision decision);
  QCoro::Task<void> pageBackToPresentedDecision();
  void consumeDecisionJump(const InboxDecisionRef& ref);
  QCoro::Task<void> markNotificationRead(QString id);
  // Downloads a shared file into `directory`; its path, or nothing (fileOpenError says why).
  QCoro::Task<std::optional<QString>> downloadFile(FileNotificationPayload file, QString directory);

 signals:
  void threadsChanged();
  void messagesChanged();
  void notificationsChanged();
  void decisionsChanged();
  void replyChanged();
  void liveChanged();
  // A decision that was not open before appeared (for the desktop notification).
  void decisionArrived(const vesket::inbox::OpenInboxDecision& decision);

 private:
  void openStream();
  void streamRead();
  void streamEnded();
  void handleAuthExpiry();
  QCoro::Task<std::vector<InboxMessage>> fetchMessages(std::string slug, std::optional<double> before, int limit);
  void replaceMessage(const InboxMessage& message);

  Dependencies m_dependencies;
  Segment m_segment = Segment::messages;
  std::vector<InboxThread> m_threads;
  LoadState m_threadsState = LoadState::idle;
  QString m_threadsError;
  bool m_sessionExpired = false;
  bool m_deviceNotApproved = false;
  std::vector<PlatformNotification> m_notifications;
  std::optional<std::string> m_openSlug;
  std::vector<InboxMessage> m_messages;
  LoadState m_messagesState = LoadState::idle;
  bool m_hasOlderMessages = false;
  bool m_isLoadingOlder = false;
  std::optional<double> m_pagingAnchorID;
  bool m_isSendingReply = false;
  QString m_replyError;
  std::vector<OpenInboxDecision> m_openDecisions;
  std::set<InboxDecisionRef> m_knownDecisions;
  bool m_decisionsLoadedOnce = false;
  std::set<InboxDecisionRef> m_answering;
  std::map<InboxDecisionRef, DecisionAnswerFailure> m_decisionFailures;
  std::optional<InboxDecisionRef> m_pendingDecisionJump;
  std::optional<InboxMessage> m_presentedDecision;
  QString m_fileOpenError;
  std::map<std::string, std::vector<InboxMessage>> m_cachedRuns;
  int m_messagesFetchGeneration = 0;

  bool m_live = false;
  bool m_streamConnected = false;
  int m_liveSignals = 0;
  bool m_reconciling = false;
  bool m_reconcileAgain = false;
  QPointer<QNetworkReply> m_stream;
  InboxStreamParser m_parser;
  QTimer m_reopen;
};

}  // namespace vesket::inbox
