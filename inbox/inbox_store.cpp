#include "inbox/inbox_store.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSaveFile>

#include <qcoro/qcoronetworkreply.h>

#include <algorithm>
#include <limits>

#include "control_plane/core/decoding_error.h"
#include "inbox/core/decision_deadline.h"

namespace vesket::inbox {
namespace {

constexpr int kPageSize = 50;
constexpr int kDecisionScanSize = 200;

QString slugPath(const std::string& slug) {
  return QString::fromUtf8(QUrl::toPercentEncoding(QString::fromStdString(slug)));
}

// The answer of one GET, parsed; RelayError or RelayTransportError otherwise.
QCoro::Task<nlohmann::json> inboxRead(relay::RelayClient client, QString path) {
  relay::RelayClient::Request request = client.authed(path, "GET");
  request.request.setRawHeader("X-Vesket-Inbox-Caps", "answer-marker");
  relay::RelayClient::Response response = co_await client.performRequest(std::move(request));
  relay::RelayClient::assertOK(response);
  co_return nlohmann::json::parse(response.body.toStdString());
}

DecisionAnswerError::Transport transportOf(QNetworkReply::NetworkError error) {
  switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError: return DecisionAnswerError::Transport::notConnected;
    case QNetworkReply::RemoteHostClosedError: return DecisionAnswerError::Transport::connectionLost;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: return DecisionAnswerError::Transport::timedOut;
    default: return DecisionAnswerError::Transport::other;
  }
}

// A wall-clock time in the user's time zone, for deadlines written without an offset.
std::int64_t localWallClockMs(const CivilTime& time) {
  return QDateTime(QDate(time.year, time.month, time.day), QTime(time.hour, time.minute, time.second, time.millisecond),
                   Qt::LocalTime)
      .toMSecsSinceEpoch();
}

}  // namespace

DecisionAnswerFlights& DecisionAnswerFlights::shared() {
  static DecisionAnswerFlights flights;
  return flights;
}

InboxStore::InboxStore(Dependencies dependencies, QObject* parent)
    : QObject(parent), m_dependencies(std::move(dependencies)) {
  m_reopen.setSingleShot(true);
  connect(&m_reopen, &QTimer::timeout, this, [this] {
    if (m_live) openStream();
  });
}

InboxStore::~InboxStore() { stopLiveUpdates(); }

void InboxStore::setSegment(Segment segment) {
  m_segment = segment;
  emit threadsChanged();
}

std::vector<PlatformNotification> InboxStore::files() const {
  std::vector<PlatformNotification> files;
  for (const auto& notification : m_notifications) {
    if (notification.file) files.push_back(notification);
  }
  return files;
}

std::optional<DecisionAnswerFailure> InboxStore::decisionFailure(const InboxDecisionRef& ref) const {
  const auto found = m_decisionFailures.find(ref);
  if (found == m_decisionFailures.end()) return std::nullopt;
  return found->second;
}

void InboxStore::handleAuthExpiry() {
  m_sessionExpired = true;
  m_threadsState = LoadState::failed;
  m_threadsError = QStringLiteral("Session expired — sign in again.");
  stopLiveUpdates();
}

QCoro::Task<void> InboxStore::load() {
  QPointer<InboxStore> self(this);
  co_await refreshThreads();
  if (!self) co_return;
  co_await refreshNotifications();
  if (!self) co_return;
  co_await refreshOpenDecisions();
  if (!self || m_sessionExpired) co_return;
  startLiveUpdates();
}

QCoro::Task<void> InboxStore::refreshThreads() {
  QPointer<InboxStore> self(this);
  if (m_threadsState != LoadState::loaded) m_threadsState = LoadState::loading;
  std::optional<std::vector<InboxThread>> fetched;
  std::optional<relay::RelayError> failure;
  QString transport;
  try {
    const nlohmann::json json = co_await inboxRead(m_dependencies.client(), QStringLiteral("/api/inbox/threads"));
    fetched = decodeThreads(json);
  } catch (const relay::RelayError& error) {
    failure = error;
  } catch (const std::exception& error) {
    transport = QString::fromUtf8(error.what());
  }
  if (!self) co_return;
  if (fetched) {
    m_threads = std::move(*fetched);
    m_threadsState = LoadState::loaded;
    m_threadsError.clear();
    m_sessionExpired = false;
    m_deviceNotApproved = false;
  } else if (failure && failure->status == 401) {
    handleAuthExpiry();
  } else if (failure && failure->status == 403 && failure->message.starts_with("device_not_approved")) {
    m_deviceNotApproved = true;
    m_threadsState = LoadState::failed;
    m_threadsError = QString::fromStdString(failure->message);
  } else {
    m_threadsState = LoadState::failed;
    m_threadsError = failure ? QString::fromStdString(failure->message) : transport;
  }
  emit threadsChanged();
}

QCoro::Task<void> InboxStore::refreshNotifications() {
  QPointer<InboxStore> self(this);
  std::optional<std::vector<PlatformNotification>> fetched;
  try {
    const nlohmann::json json = co_await inboxRead(m_dependencies.client(), QStringLiteral("/api/notifications"));
    fetched = decodeNotificationsEnvelope(json);
  } catch (const std::exception&) {
  }
  if (!self || !fetched) co_return;
  m_notifications = std::move(*fetched);
  emit notificationsChanged();
}

QCoro::Task<std::vector<InboxMessage>> InboxStore::fetchMessages(std::string slug, std::optional<double> before, int limit) {
  QString path = QStringLiteral("/api/inbox/threads/%1/messages?limit=%2").arg(slugPath(slug)).arg(limit);
  if (before) path += QStringLiteral("&before=") + QString::fromStdString(formatMessageId(*before));
  const nlohmann::json json = co_await inboxRead(m_dependencies.client(), path);
  co_return decodeMessages(json);
}

QCoro::Task<void> InboxStore::refreshOpenDecisions() {
  QPointer<InboxStore> self(this);
  std::vector<OpenInboxDecision> found;
  try {
    const nlohmann::json json = co_await inboxRead(m_dependencies.client(), QStringLiteral("/api/inbox/threads?scope=all"));
    const std::vector<InboxThread> threads = decodeThreads(json);
    for (const InboxThread& thread : threads) {
      if (!thread.decisionCount || *thread.decisionCount <= 0) continue;
      const std::vector<InboxMessage> messages = co_await fetchMessages(thread.agentSlug, std::nullopt, kDecisionScanSize);
      for (const InboxMessage& message : messages) {
        if (message.hasOpenDecision()) found.push_back({thread.agentSlug, thread.agentDisplay, message});
      }
    }
  } catch (const std::exception&) {
    co_return;
  }
  if (!self) co_return;
  std::vector<OpenInboxDecision> arrived;
  std::set<InboxDecisionRef> known;
  for (const auto& decision : found) {
    const InboxDecisionRef ref{decision.slug, decision.message.id};
    known.insert(ref);
    if (m_decisionsLoadedOnce && !m_knownDecisions.contains(ref)) arrived.push_back(decision);
  }
  m_knownDecisions = std::move(known);
  m_decisionsLoadedOnce = true;
  m_openDecisions = std::move(found);
  emit decisionsChanged();
  for (const auto& decision : arrived) emit decisionArrived(decision);
}

void InboxStore::startLiveUpdates() {
  if (m_live) return;
  m_live = true;
  openStream();
  emit liveChanged();
}

void InboxStore::stopLiveUpdates() {
  m_live = false;
  m_reopen.stop();
  if (m_stream) {
    QNetworkReply* stream = m_stream;
    m_stream = nullptr;
    stream->disconnect(this);
    stream->abort();
    stream->deleteLater();
  }
  m_streamConnected = false;
}

void InboxStore::openStream() {
  relay::RelayClient client = m_dependencies.client();
  relay::RelayClient::Request request = client.authed(QStringLiteral("/api/inbox/stream"), "GET");
  request.request.setRawHeader("X-Vesket-Inbox-Caps", "answer-marker");
  request.request.setTransferTimeout(0);
  m_parser = InboxStreamParser();
  m_stream = relay::relayNetworkSession()->get(request.request);
  connect(m_stream, &QNetworkReply::readyRead, this, &InboxStore::streamRead);
  connect(m_stream, &QNetworkReply::finished, this, &InboxStore::streamEnded);
}

void InboxStore::streamRead() {
  if (!m_stream) return;
  const int status = m_stream->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (status < 200 || status > 299) return;  // "Inbox stream unavailable": ends below
  if (!m_streamConnected) {
    m_streamConnected = true;
    emit liveChanged();
  }
  const QByteArray bytes = m_stream->readAll();
  const int signals_ = m_parser.feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (signals_ > 0) {
    m_liveSignals += signals_;
    reconcileLiveChange();
  }
}

void InboxStore::streamEnded() {
  QNetworkReply* stream = m_stream;
  m_stream = nullptr;
  const int status = stream ? stream->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() : 0;
  if (stream) stream->deleteLater();
  m_streamConnected = false;
  emit liveChanged();
  if (status == 401) {
    handleAuthExpiry();
    emit threadsChanged();
    return;
  }
  if (!m_live) return;
  // What changed while the stream was down is fetched once; then the stream reopens.
  reconcileLiveChange();
  m_reopen.start(m_dependencies.reopenDelayMs);
}

QCoro::Task<void> InboxStore::reconcileLiveChange() {
  // Signals that arrive while a refetch runs are folded into one more refetch.
  if (m_reconciling) {
    m_reconcileAgain = true;
    co_return;
  }
  QPointer<InboxStore> self(this);
  m_reconciling = true;
  do {
    m_reconcileAgain = false;
    co_await refreshThreads();
    if (!self) co_return;
    co_await refreshOpenDecisions();
    if (!self) co_return;
    co_await refreshNotifications();
    if (!self) co_return;
    if (m_openSlug) {
      const std::string slug = *m_openSlug;
      co_await loadMessages(slug, true);
      if (!self) co_return;
    }
  } while (m_reconcileAgain);
  m_reconciling = false;
}

QCoro::Task<void> InboxStore::openThread(std::string slug) {
  if (m_pendingDecisionJump && m_pendingDecisionJump->slug != slug) m_pendingDecisionJump.reset();
  if (m_openSlug != slug) {
    m_openSlug = slug;
    m_messages.clear();
    m_pagingAnchorID.reset();
    m_messagesState = LoadState::loading;
    emit messagesChanged();
  }
  QPointer<InboxStore> self(this);
  co_await loadMessages(slug, false);
  if (!self) co_return;
  co_await markThreadRead(slug);
}

void InboxStore::closeThread() {
  m_openSlug.reset();
  m_messages.clear();
  m_messagesState = LoadState::idle;
  emit messagesChanged();
}

QCoro::Task<void> InboxStore::loadMessages(std::string slug, bool preserveOlder) {
  QPointer<InboxStore> self(this);
  const int generation = ++m_messagesFetchGeneration;
  std::optional<std::vector<InboxMessage>> fetched;
  QString failure;
  try {
    fetched = co_await fetchMessages(slug, std::nullopt, kPageSize);
  } catch (const std::exception& error) {
    failure = QString::fromUtf8(error.what());
  }
  if (!self || generation != m_messagesFetchGeneration || m_openSlug != slug) co_return;
  if (!fetched) {
    m_messagesState = LoadState::failed;
    emit messagesChanged();
    co_return;
  }
  std::vector<InboxMessage> merged;
  if (preserveOlder) {
    // The older messages already loaded stay in front of the newest page.
    const double oldestFresh = fetched->empty() ? std::numeric_limits<double>::max() : fetched->front().id;
    for (const InboxMessage& older : m_cachedRuns[slug]) {
      if (older.id < oldestFresh) merged.push_back(older);
    }
  } else {
    m_hasOlderMessages = fetched->size() == static_cast<std::size_t>(kPageSize);
  }
  merged.insert(merged.end(), fetched->begin(), fetched->end());
  m_messages = std::move(merged);
  m_cachedRuns[slug] = m_messages;
  m_messagesState = LoadState::loaded;
  emit messagesChanged();
}

QCoro::Task<void> InboxStore::loadOlderMessages() {
  if (!m_openSlug || m_isLoadingOlder || m_messages.empty()) co_return;
  QPointer<InboxStore> self(this);
  const std::string slug = *m_openSlug;
  const double oldest = m_messages.front().id;
  m_isLoadingOlder = true;
  m_pagingAnchorID = oldest;
  std::optional<std::vector<InboxMessage>> fetched;
  try {
    fetched = co_await fetchMessages(slug, oldest, kPageSize);
  } catch (const std::exception&) {
  }
  if (!self) co_return;
  m_isLoadingOlder = false;
  if (fetched && m_openSlug == slug) {
    m_hasOlderMessages = fetched->size() == static_cast<std::size_t>(kPageSize);
    fetched->insert(fetched->end(), m_messages.begin(), m_messages.end());
    m_messages = std::move(*fetched);
    m_cachedRuns[slug] = m_messages;
  }
  emit messagesChanged();
}

QCoro::Task<void> InboxStore::openDecision(OpenInboxDecision decision) {
  QPointer<InboxStore> self(this);
  const InboxDecisionRef ref{decision.slug, decision.message.id};
  m_pendingDecisionJump = ref;
  m_presentedDecision = decision.message;
  co_await openThread(decision.slug);
  if (!self || m_pendingDecisionJump != ref) co_return;
  co_await pageBackToPresentedDecision();
}

QCoro::Task<void> InboxStore::pageBackToPresentedDecision() {
  QPointer<InboxStore> self(this);
  while (self && m_presentedDecision && m_pendingDecisionJump && m_openSlug == m_pendingDecisionJump->slug) {
    const double wanted = m_presentedDecision->id;
    const auto loaded = std::find_if(m_messages.begin(), m_messages.end(),
                                     [wanted](const InboxMessage& message) { return message.id == wanted; });
    if (loaded != m_messages.end() || !m_hasOlderMessages || m_messages.empty()) break;
    const double oldest = m_messages.front().id;
    co_await loadOlderMessages();
    // A page that failed or brought nothing older ends the search.
    if (!self || m_messages.empty() || m_messages.front().id >= oldest) break;
  }
  if (self) emit messagesChanged();
}

void InboxStore::consumeDecisionJump(const InboxDecisionRef& ref) {
  if (m_pendingDecisionJump == ref) m_pendingDecisionJump.reset();
}

QCoro::Task<void> InboxStore::markThreadRead(std::string slug) {
  try {
    relay::RelayClient client = m_dependencies.client();
    co_await client.call(QStringLiteral("/api/inbox/threads/%1/read").arg(slugPath(slug)), "POST", nlohmann::json::object());
  } catch (const std::exception&) {
  }
}

QCoro::Task<void> InboxStore::sendReply(QString text) {
  if (!m_openSlug || text.trimmed().isEmpty() || m_isSendingReply) co_return;
  QPointer<InboxStore> self(this);
  const std::string slug = *m_openSlug;
  m_isSendingReply = true;
  m_replyError.clear();
  emit replyChanged();
  std::optional<InboxMessage> sent;
  try {
    relay::RelayClient client = m_dependencies.client();
    const nlohmann::json body = {{"text", text.toStdString()}};
    const nlohmann::json answer =
        co_await client.call(QStringLiteral("/api/inbox/threads/%1/reply").arg(slugPath(slug)), "POST", body);
    sent = InboxReplyResponse::fromJson(answer).message;
  } catch (const std::exception&) {
  }
  if (!self) co_return;
  m_isSendingReply = false;
  if (sent && m_openSlug == slug) {
    m_messages.push_back(*sent);
    m_cachedRuns[slug] = m_messages;
    emit messagesChanged();
  } else if (!sent) {
    m_replyError = QStringLiteral("Couldn't send reply.");
  }
  emit replyChanged();
}

void InboxStore::replaceMessage(const InboxMessage& message) {
  for (InboxMessage& loaded : m_messages) {
    if (loaded.id == message.id) loaded = message;
  }
  if (m_openSlug) m_cachedRuns[*m_openSlug] = m_messages;
  std::erase_if(m_openDecisions, [&](const OpenInboxDecision& open) {
    return open.message.id == message.id && !message.hasOpenDecision();
  });
}

QCoro::Task<void> InboxStore::answerDecision(std::string slug, double messageId, std::string key, qint64 nowMs) {
  const InboxDecisionRef ref{slug, messageId};
  if (m_answering.contains(ref)) co_return;
  // An expired deadline: nothing is sent.
  for (const InboxMessage& message : m_messages) {
    if (message.id != messageId || !message.decision() || !message.decision()->deadline) continue;
    const auto due = DecisionDeadline::parse(*message.decision()->deadline, DecisionDeadline::TimeZone(localWallClockMs));
    if (due && *due < nowMs) {
      m_decisionFailures[ref] = DecisionAnswerFailure::expired;
      emit decisionsChanged();
      co_return;
    }
  }
  relay::RelayClient client = m_dependencies.client();
  const QString flight = client.baseURL().toString() + u'|' + client.bearer().value_or(QString()) + u'|' +
                         QString::fromStdString(slug) + u'|' + QString::fromStdString(formatMessageId(messageId));
  if (!DecisionAnswerFlights::shared().active.insert(flight).second) co_return;
  QPointer<InboxStore> self(this);
  m_answering.insert(ref);
  m_decisionFailures.erase(ref);
  emit decisionsChanged();

  const nlohmann::json body = {{"k", key}, {"device", "Mac"}};
  relay::RelayClient::Request request = client.authed(
      QStringLiteral("/api/inbox/threads/%1/messages/%2/decision")
          .arg(slugPath(slug), QString::fromStdString(formatMessageId(messageId))),
      "POST", body);
  request.request.setTransferTimeout(30000);
  std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> reply(
      relay::relayNetworkSession()->sendCustomRequest(request.request, request.method, request.body),
      [](QNetworkReply* r) { r->deleteLater(); });
  co_await qCoro(reply.get()).waitForFinished();
  DecisionAnswerFlights::shared().active.erase(flight);
  if (!self) co_return;
  m_answering.erase(ref);

  const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  const QByteArray answer = reply->readAll();
  std::optional<InboxMessage> decided;
  DecisionAnswerError error;
  if (!status.isValid()) {
    error.transport = transportOf(reply->error());
  } else if (status.toInt() == 200) {
    try {
      decided = InboxReplyResponse::fromJson(nlohmann::json::parse(answer.toStdString())).message;
    } catch (const std::exception&) {
      error.status = 200;
    }
  } else {
    const auto failure = relay::RelayResponse::errorFor(status.toInt(), answer.toStdString());
    error.status = status.toInt();
    if (failure) {
      error.reason = failure->reason.value_or("");
      error.message = failure->message;
    }
  }
  if (decided) {
    replaceMessage(*decided);
    emit messagesChanged();
    emit decisionsChanged();
    co_return;
  }
  auto failure = classifyDecisionFailure(error);
  if (!failure) {
    co_await refreshDecision(slug, messageId);
    if (!self) co_return;
    std::optional<Decision> now;
    for (const InboxMessage& message : m_messages) {
      if (message.id == messageId && message.decision()) now = *message.decision();
    }
    failure = afterRefresh(now);
  }
  m_decisionFailures[ref] = *failure;
  emit decisionsChanged();
}

QCoro::Task<void> InboxStore::refreshDecision(std::string slug, double messageId) {
  QPointer<InboxStore> self(this);
  std::optional<InboxMessage> fresh;
  try {
    // The message and the ones just below it: the newest page that reaches it.
    const std::vector<InboxMessage> page = co_await fetchMessages(slug, messageId + 1, 1);
    if (!page.empty() && page.back().id == messageId) fresh = page.back();
  } catch (const std::exception&) {
  }
  if (!self || !fresh) co_return;
  replaceMessage(*fresh);
  emit messagesChanged();
  emit decisionsChanged();
}

QCoro::Task<void> InboxStore::markNotificationRead(QString id) {
  QPointer<InboxStore> self(this);
  try {
    relay::RelayClient client = m_dependencies.client();
    const nlohmann::json body = {{"id", id.toStdString()}};
    co_await client.call(QStringLiteral("/api/notifications/read"), "POST", body);
  } catch (const std::exception&) {
    co_return;
  }
  if (!self) co_return;
  for (auto& notification : m_notifications) {
    if (notification.id == id.toStdString()) notification.read = true;
  }
  emit notificationsChanged();
}

QCoro::Task<std::optional<QString>> InboxStore::downloadFile(FileNotificationPayload file, QString directory) {
  QPointer<InboxStore> self(this);
  m_fileOpenError.clear();
  relay::RelayClient client = m_dependencies.client();
  relay::RelayClient::Response response;
  QString failure;
  try {
    relay::RelayClient::Request request = client.authed(QStringLiteral("/api/files/") + QString::fromStdString(file.token), "GET");
    response = co_await client.performRequest(std::move(request));
    relay::RelayClient::assertOK(response);
  } catch (const relay::RelayError& error) {
    failure = error.status == 410 ? QStringLiteral("This file has expired (files are kept 7 days).")
                                  : QStringLiteral("Couldn't open the file: ") + QString::fromStdString(error.message);
  } catch (const std::exception& error) {
    failure = QStringLiteral("Couldn't open the file: ") + QString::fromUtf8(error.what());
  }
  if (!self) co_return std::nullopt;
  if (!failure.isEmpty()) {
    m_fileOpenError = failure;
    emit notificationsChanged();
    co_return std::nullopt;
  }
  // The name from Content-Disposition: filename="..." or an unquoted filename=, else "file".
  QString name = QStringLiteral("file");
  for (const auto& [header, value] : response.headers) {
    if (header.compare("content-disposition", Qt::CaseInsensitive) != 0) continue;
    const QString text = QString::fromUtf8(value);
    const auto quoted = QRegularExpression(QStringLiteral("filename=\"([^\"]+)\"")).match(text);
    const auto plain = QRegularExpression(QStringLiteral("filename=([^;\\s]+)")).match(text);
    if (quoted.hasMatch()) name = quoted.captured(1);
    else if (plain.hasMatch()) name = plain.captured(1);
  }
  name = QFileInfo(name).fileName();
  if (name.isEmpty() || name == QStringLiteral("..")) name = QStringLiteral("file");
  QDir().mkpath(directory);
  QSaveFile out(QDir(directory).filePath(name));
  if (!out.open(QIODevice::WriteOnly) || out.write(response.body) != response.body.size() || !out.commit()) {
    m_fileOpenError = QStringLiteral("Couldn't open the file: ") + out.errorString();
    emit notificationsChanged();
    co_return std::nullopt;
  }
  co_return out.fileName();
}

}  // namespace vesket::inbox
