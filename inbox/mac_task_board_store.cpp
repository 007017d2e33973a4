#include "inbox/mac_task_board_store.h"

#include <QPointer>

#include <qcoro/qcorosignal.h>

namespace vesket::inbox {
namespace {

QString taskPath(const std::string& id) {
  return QStringLiteral("/api/tasks/") + QString::fromUtf8(QUrl::toPercentEncoding(QString::fromStdString(id)));
}

}  // namespace

MacTaskBoardStore::MacTaskBoardStore(std::function<relay::RelayClient()> client, QObject* parent)
    : QObject(parent), m_client(std::move(client)) {}

std::vector<RelayTaskItem> MacTaskBoardStore::column(BoardColumn wanted) const {
  std::vector<RelayTaskItem> cards;
  for (const RelayTaskItem& task : m_tasks) {
    if (!task.parentId && BoardColumns::column(task.status) == wanted) cards.push_back(task);
  }
  return cards;
}

const RelayTaskItem* MacTaskBoardStore::task(const std::string& id) const {
  for (const RelayTaskItem& task : m_tasks) {
    if (task.id == id) return &task;
  }
  return nullptr;
}

void MacTaskBoardStore::recompute() {
  m_childrenByParent.clear();
  m_childrenNeedingReviewByParent.clear();
  m_rollupTextByParent.clear();
  for (const RelayTaskItem& task : m_tasks) {
    if (task.parentId) m_childrenByParent[*task.parentId].push_back(task);
  }
  for (const auto& [parent, children] : m_childrenByParent) {
    m_childrenNeedingReviewByParent[parent] = RelayTaskTree::childrenNeedingReview(parent, m_tasks);
    if (const RelayTaskItem* item = task(parent)) m_rollupTextByParent[parent] = RelayTaskTree::rollupText(*item, m_tasks);
  }
}

void MacTaskBoardStore::failed(const std::exception& error, const QString& doing) {
  const auto* relayError = dynamic_cast<const relay::RelayError*>(&error);
  if (relayError && relayError->status == 401 && onAuthExpired) onAuthExpired();
  m_actionMessage = doing + QStringLiteral(": ") + QString::fromUtf8(error.what());
}

QCoro::Task<void> MacTaskBoardStore::load() {
  QPointer<MacTaskBoardStore> self(this);
  const bool hadTasks = m_loadState == LoadState::loaded;
  if (!hadTasks) m_loadState = LoadState::loading;
  std::optional<RelayTasksEnvelope> feed;
  QString failure;
  try {
    relay::RelayClient client = m_client();
    const nlohmann::json json = co_await client.call(QStringLiteral("/api/tasks?scope=active&type=demand"), "GET");
    feed = RelayTasksEnvelope::fromJson(json);
  } catch (const relay::RelayError& error) {
    if (error.status == 401 && onAuthExpired) onAuthExpired();
    failure = QString::fromStdString(error.message);
  } catch (const std::exception& error) {
    failure = QString::fromUtf8(error.what());
  }
  if (!self) co_return;
  if (!feed) {
    if (hadTasks) {
      m_refreshWarning = failure;
    } else {
      m_loadState = LoadState::failed;
      m_loadError = failure;
    }
    emit changed();
    co_return;
  }
  m_tasks = std::move(feed->tasks);
  m_feedTruncated = feed->meta && feed->meta->truncated;
  m_refreshWarning.clear();
  recompute();
  m_loadState = m_tasks.empty() ? LoadState::empty : LoadState::loaded;
  emit changed();
}

QCoro::Task<BoardDragOutcome> MacTaskBoardStore::handleDrag(std::string id, BoardColumn to) {
  const RelayTaskItem* card = task(id);
  if (!card) co_return BoardDragOutcome{};
  const bool hasChildren = m_childrenByParent.contains(id);
  const BoardDragOutcome outcome = BoardDragOutcome::decide(BoardColumns::column(card->status), to, hasChildren);
  if (outcome.kind == BoardDragOutcome::Kind::blockedNotAdjacent ||
      outcome.kind == BoardDragOutcome::Kind::blockedHasChildren) {
    co_return outcome;
  }
  QPointer<MacTaskBoardStore> self(this);
  // Shown at once; the next load corrects it if the relay disagrees.
  for (RelayTaskItem& item : m_tasks) {
    if (item.id == id) {
      item.status = outcome.kind == BoardDragOutcome::Kind::verify ? std::string(RelayTaskStatus::verified) : outcome.status;
    }
  }
  recompute();
  emit changed();
  // Moves reach the relay one after another, in the order they were made: a card moved
  // twice before the first answer ("workerDone", then "verify") would otherwise race, and
  // the relay refuses a verify that overtakes its workerDone.
  ++m_movesWaiting;
  while (m_moving) {
    co_await qCoro(this, &MacTaskBoardStore::moveSettled);
    if (!self) co_return outcome;
  }
  m_moving = true;
  try {
    relay::RelayClient client = m_client();
    const nlohmann::json body = outcome.kind == BoardDragOutcome::Kind::verify ? nlohmann::json{{"action", "verify"}}
                                                                                : nlohmann::json{{"status", outcome.status}};
    co_await client.call(taskPath(id), "PATCH", body);
  } catch (const std::exception& error) {
    if (self) failed(error, QStringLiteral("Couldn't move the task"));
  }
  if (!self) co_return outcome;
  m_moving = false;
  const bool last = --m_movesWaiting == 0;
  emit moveSettled();
  // Only the last move reloads: an earlier reload would show the board without the moves
  // still on their way.
  if (last) co_await load();
  co_return outcome;
}

QCoro::Task<std::optional<RelayTaskItem>> MacTaskBoardStore::createTask(QString title, QString agentTeam,
                                                                       std::optional<QString> priority) {
  QPointer<MacTaskBoardStore> self(this);
  std::optional<RelayTaskItem> created;
  try {
    relay::RelayClient client = m_client();
    nlohmann::json body = {{"title", title.toStdString()}, {"agentTeam", agentTeam.toStdString()}};
    if (priority) body["priority"] = priority->toStdString();
    const nlohmann::json json = co_await client.call(QStringLiteral("/api/tasks"), "POST", body);
    created = RelayTaskItem::fromJson(json);
  } catch (const std::exception& error) {
    if (self) failed(error, QStringLiteral("Couldn't create the task"));
  }
  if (!self) co_return created;
  co_await load();
  co_return created;
}

QCoro::Task<bool> MacTaskBoardStore::reopenTask(std::string id, QString note) {
  QPointer<MacTaskBoardStore> self(this);
  bool done = false;
  try {
    relay::RelayClient client = m_client();
    nlohmann::json body = {{"action", "reopen"}};
    if (!note.isEmpty()) body["note"] = note.toStdString();
    co_await client.call(taskPath(id), "PATCH", body);
    done = true;
  } catch (const std::exception& error) {
    if (self) failed(error, QStringLiteral("Couldn't reopen the task"));
  }
  if (!self) co_return done;
  co_await load();
  co_return done;
}

QCoro::Task<bool> MacTaskBoardStore::deleteTask(std::string id) {
  QPointer<MacTaskBoardStore> self(this);
  bool done = false;
  try {
    relay::RelayClient client = m_client();
    co_await client.call(taskPath(id), "DELETE");
    done = true;
  } catch (const std::exception& error) {
    if (self) failed(error, QStringLiteral("Couldn't delete the task"));
  }
  if (!self) co_return done;
  co_await load();
  co_return done;
}

QCoro::Task<std::vector<TaskTimelineEntry>> MacTaskBoardStore::loadTimeline(std::string id) {
  relay::RelayClient client = m_client();
  const nlohmann::json events = co_await client.call(taskPath(id) + QStringLiteral("/events"), "GET");
  const nlohmann::json detail = co_await client.call(taskPath(id) + QStringLiteral("?include=children"), "GET");
  co_return TaskTimeline::merge(RelayTaskEventsEnvelope::fromJson(events).events, RelayTaskDetail::fromJson(detail).children);
}

}  // namespace vesket::inbox
