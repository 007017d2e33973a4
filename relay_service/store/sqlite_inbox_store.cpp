// SqliteRelayStore: the inbox (threads, messages, notifications, shared files) and the
// task board. Records travel as their JSON beside the columns that lists and counts need.
#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include "relay_service/core/inbox_rules.h"
#include "relay_service/store/sqlite_relay_store.h"

namespace vesket::relay_service {
namespace {

using inbox::InboxMessage;
using inbox::InboxThread;
using inbox::PlatformNotification;
using inbox::RelayTaskEvent;
using inbox::RelayTaskItem;

InboxMessage readMessage(const SqliteStatement& row, int idColumn, int recordColumn) {
  nlohmann::json record = nlohmann::json::parse(row.text(recordColumn));
  record["id"] = row.integer(idColumn);
  return InboxMessage::fromJson(record);
}

std::string storedRecord(const InboxMessage& message) {
  nlohmann::json record = message.toJson();
  record.erase("id");
  return record.dump();
}

RelayTaskItem readTask(const SqliteStatement& row, int column) {
  return RelayTaskItem::fromJson(nlohmann::json::parse(row.text(column)));
}

}  // namespace

std::optional<InboxMessage> SqliteRelayStore::insertMessageLocked(std::int64_t userId, const std::string& slug,
                                                                  InboxMessage message) {
  {
    const StatementLease exists = m_db.statement("SELECT 1 FROM inbox_threads WHERE user_id = ?1 AND slug = ?2");
    exists->bind(1, userId).bind(2, slug);
    if (!exists->step()) return std::nullopt;
  }
  message.createdAtMs = static_cast<double>(m_clock());
  message.agentSlug = slug;
  const StatementLease insert = m_db.statement(
      "INSERT INTO inbox_messages (user_id, slug, direction, preview, open_decision, created_at_ms, record) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
  insert->bind(1, userId)
      .bind(2, slug)
      .bind(3, message.direction)
      .bind(4, InboxRules::preview(message))
      .bind(5, std::int64_t{message.hasOpenDecision() ? 1 : 0})
      .bind(6, static_cast<std::int64_t>(message.createdAtMs))
      .bind(7, storedRecord(message));
  insert->run();
  message.id = static_cast<double>(m_db.lastInsertRowId());
  return message;
}

InboxMessage SqliteRelayStore::addMessage(std::int64_t userId, const ThreadIdentity& thread, InboxMessage message) {
  const std::lock_guard lock(m_mutex);
  std::optional<InboxMessage> stored;
  m_db.transaction([&] {
    const StatementLease upsert = m_db.statement(
        "INSERT INTO inbox_threads (user_id, slug, agent_display, agent_color, pane_id, pane_label, daemon_id, "
        "created_at_ms) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8) "
        "ON CONFLICT (user_id, slug) DO UPDATE SET agent_display = excluded.agent_display, "
        "agent_color = COALESCE(excluded.agent_color, agent_color), pane_id = COALESCE(excluded.pane_id, pane_id), "
        "pane_label = COALESCE(excluded.pane_label, pane_label), daemon_id = COALESCE(excluded.daemon_id, daemon_id), "
        "ended_at_ms = NULL");
    upsert->bind(1, userId)
        .bind(2, thread.slug)
        .bind(3, thread.agentDisplay)
        .bind(4, thread.agentColor)
        .bind(5, thread.paneId)
        .bind(6, thread.paneLabel)
        .bind(7, thread.daemonId)
        .bind(8, m_clock());
    upsert->run();
    message.agentDisplay = thread.agentDisplay;
    if (thread.agentColor) message.agentColor = thread.agentColor;
    stored = insertMessageLocked(userId, thread.slug, std::move(message));
  });
  return std::move(*stored);
}

std::optional<InboxMessage> SqliteRelayStore::addMessageToThread(std::int64_t userId, const std::string& slug,
                                                                 InboxMessage message) {
  const std::lock_guard lock(m_mutex);
  std::optional<InboxMessage> stored;
  m_db.transaction([&] { stored = insertMessageLocked(userId, slug, std::move(message)); });
  return stored;
}

std::vector<InboxThread> SqliteRelayStore::listThreads(std::int64_t userId, bool includeEnded) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query = m_db.statement(
      "SELECT t.slug, t.agent_display, t.agent_color, t.pane_id, t.pane_label, t.ended_at_ms, t.created_at_ms, "
      "(SELECT preview FROM inbox_messages m WHERE m.user_id = t.user_id AND m.slug = t.slug ORDER BY id DESC LIMIT 1), "
      "(SELECT MAX(created_at_ms) FROM inbox_messages m WHERE m.user_id = t.user_id AND m.slug = t.slug), "
      "(SELECT COUNT(*) FROM inbox_messages m WHERE m.user_id = t.user_id AND m.slug = t.slug "
      "   AND m.direction = 'in' AND m.id > t.last_read_id), "
      "(SELECT COUNT(*) FROM inbox_messages m WHERE m.user_id = t.user_id AND m.slug = t.slug AND m.open_decision = 1) "
      "FROM inbox_threads t WHERE t.user_id = ?1 AND (?2 = 1 OR t.ended_at_ms IS NULL)");
  query->bind(1, userId).bind(2, std::int64_t{includeEnded ? 1 : 0});
  std::vector<InboxThread> threads;
  while (query->step()) {
    InboxThread thread;
    thread.agentSlug = query->text(0);
    thread.agentDisplay = query->text(1);
    thread.agentColor = query->optionalText(2);
    thread.paneId = query->optionalText(3);
    thread.paneLabel = query->optionalText(4);
    if (const auto ended = query->optionalInteger(5)) {
      thread.ended = true;
      thread.endedAtMs = static_cast<double>(*ended);
    }
    thread.lastPreview = query->optionalText(7).value_or("");
    thread.lastAtMs = static_cast<double>(query->optionalInteger(8).value_or(query->integer(6)));
    thread.unreadCount = query->integer(9);
    thread.decisionCount = query->integer(10);
    thread.waitingCount = query->integer(10);
    threads.push_back(std::move(thread));
  }
  std::stable_sort(threads.begin(), threads.end(),
                   [](const InboxThread& a, const InboxThread& b) { return a.lastAtMs > b.lastAtMs; });
  return threads;
}

std::optional<ThreadPane> SqliteRelayStore::findThreadPane(std::int64_t userId, const std::string& slug) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query =
      m_db.statement("SELECT daemon_id, pane_id FROM inbox_threads WHERE user_id = ?1 AND slug = ?2");
  query->bind(1, userId).bind(2, slug);
  if (!query->step()) return std::nullopt;
  return ThreadPane{query->optionalInteger(0), query->optionalText(1)};
}

std::optional<std::vector<InboxMessage>> SqliteRelayStore::listMessages(std::int64_t userId, const std::string& slug,
                                                                        std::optional<std::int64_t> beforeId,
                                                                        int limit) {
  const std::lock_guard lock(m_mutex);
  {
    const StatementLease exists = m_db.statement("SELECT 1 FROM inbox_threads WHERE user_id = ?1 AND slug = ?2");
    exists->bind(1, userId).bind(2, slug);
    if (!exists->step()) return std::nullopt;
  }
  const StatementLease query = m_db.statement(
      "SELECT id, record FROM inbox_messages WHERE user_id = ?1 AND slug = ?2 AND id < ?3 ORDER BY id DESC LIMIT ?4");
  query->bind(1, userId).bind(2, slug).bind(3, beforeId.value_or(INT64_MAX)).bind(4, std::int64_t{limit});
  std::vector<InboxMessage> messages;
  while (query->step()) messages.push_back(readMessage(*query, 0, 1));
  std::reverse(messages.begin(), messages.end());
  return messages;
}

std::optional<std::pair<std::string, InboxMessage>> SqliteRelayStore::findMessage(std::int64_t userId,
                                                                                  std::int64_t messageId) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query =
      m_db.statement("SELECT slug, id, record FROM inbox_messages WHERE user_id = ?1 AND id = ?2");
  query->bind(1, userId).bind(2, messageId);
  if (!query->step()) return std::nullopt;
  return std::pair{query->text(0), readMessage(*query, 1, 2)};
}

std::optional<InboxMessage> SqliteRelayStore::updateMessage(std::int64_t userId, const std::string& slug,
                                                            std::int64_t messageId,
                                                            const std::function<bool(InboxMessage&)>& change) {
  const std::lock_guard lock(m_mutex);
  std::optional<InboxMessage> result;
  m_db.transaction([&] {
    {
      const StatementLease query =
          m_db.statement("SELECT id, record FROM inbox_messages WHERE user_id = ?1 AND slug = ?2 AND id = ?3");
      query->bind(1, userId).bind(2, slug).bind(3, messageId);
      if (!query->step()) return;
      result = readMessage(*query, 0, 1);
    }
    if (!change(*result)) return;
    const StatementLease update = m_db.statement(
        "UPDATE inbox_messages SET record = ?1, preview = ?2, open_decision = ?3 WHERE id = ?4");
    update->bind(1, storedRecord(*result))
        .bind(2, InboxRules::preview(*result))
        .bind(3, std::int64_t{result->hasOpenDecision() ? 1 : 0})
        .bind(4, messageId);
    update->run();
  });
  return result;
}

bool SqliteRelayStore::markThreadRead(std::int64_t userId, const std::string& slug, std::optional<std::int64_t> upToId) {
  const std::lock_guard lock(m_mutex);
  const StatementLease update = m_db.statement(
      "UPDATE inbox_threads SET last_read_id = MAX(last_read_id, COALESCE(?3, "
      "(SELECT COALESCE(MAX(id), 0) FROM inbox_messages WHERE user_id = ?1 AND slug = ?2))) "
      "WHERE user_id = ?1 AND slug = ?2");
  update->bind(1, userId).bind(2, slug).bind(3, upToId);
  update->run();
  return m_db.changes() > 0;
}

bool SqliteRelayStore::deleteThread(std::int64_t userId, const std::string& slug) {
  const std::lock_guard lock(m_mutex);
  const StatementLease remove = m_db.statement("DELETE FROM inbox_threads WHERE user_id = ?1 AND slug = ?2");
  remove->bind(1, userId).bind(2, slug);
  remove->run();
  return m_db.changes() > 0;
}

bool SqliteRelayStore::endThread(std::int64_t userId, const std::string& slug, std::int64_t atMs) {
  const std::lock_guard lock(m_mutex);
  const StatementLease update =
      m_db.statement("UPDATE inbox_threads SET ended_at_ms = ?3 WHERE user_id = ?1 AND slug = ?2");
  update->bind(1, userId).bind(2, slug).bind(3, atMs);
  update->run();
  return m_db.changes() > 0;
}

PlatformNotification SqliteRelayStore::addNotification(std::int64_t userId, PlatformNotification notification) {
  const std::lock_guard lock(m_mutex);
  notification.createdAtMs = static_cast<double>(m_clock());
  notification.read = false;
  m_db.transaction([&] {
    const StatementLease insert = m_db.statement(
        "INSERT INTO notifications (id, user_id, created_at_ms, record) VALUES ('', ?1, ?2, '')");
    insert->bind(1, userId).bind(2, static_cast<std::int64_t>(notification.createdAtMs));
    insert->run();
    const std::int64_t seq = m_db.lastInsertRowId();
    notification.id = fmt::format("n{}", seq);
    const StatementLease finish = m_db.statement("UPDATE notifications SET id = ?1, record = ?2 WHERE seq = ?3");
    finish->bind(1, notification.id).bind(2, notification.toJson().dump()).bind(3, seq);
    finish->run();
  });
  return notification;
}

std::vector<PlatformNotification> SqliteRelayStore::listNotifications(std::int64_t userId, int limit) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query = m_db.statement(
      "SELECT record, read FROM notifications WHERE user_id = ?1 ORDER BY seq DESC LIMIT ?2");
  query->bind(1, userId).bind(2, std::int64_t{limit});
  std::vector<PlatformNotification> notifications;
  while (query->step()) {
    PlatformNotification notification = PlatformNotification::fromJson(nlohmann::json::parse(query->text(0)));
    notification.read = query->integer(1) != 0;
    notifications.push_back(std::move(notification));
  }
  return notifications;
}

bool SqliteRelayStore::markNotificationRead(std::int64_t userId, const std::string& id) {
  const std::lock_guard lock(m_mutex);
  const StatementLease update = m_db.statement("UPDATE notifications SET read = 1 WHERE user_id = ?1 AND id = ?2");
  update->bind(1, userId).bind(2, id);
  update->run();
  return m_db.changes() > 0;
}

void SqliteRelayStore::markAllNotificationsRead(std::int64_t userId) {
  const std::lock_guard lock(m_mutex);
  const StatementLease update = m_db.statement("UPDATE notifications SET read = 1 WHERE user_id = ?1");
  update->bind(1, userId);
  update->run();
}

void SqliteRelayStore::addFile(const SharedFile& file) {
  const std::lock_guard lock(m_mutex);
  const StatementLease insert = m_db.statement(
      "INSERT INTO shared_files (token_digest, user_id, filename, mime_type, size, created_at_ms, expires_at_ms, bytes) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
  insert->bind(1, file.tokenDigest)
      .bind(2, file.userId)
      .bind(3, file.filename)
      .bind(4, file.mimeType)
      .bind(5, file.size)
      .bind(6, file.createdAtMs)
      .bind(7, file.expiresAtMs)
      .bindBlob(8, file.bytes);
  insert->run();
}

std::optional<SharedFile> SqliteRelayStore::findFile(const std::string& tokenDigest) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query = m_db.statement(
      "SELECT token_digest, user_id, filename, mime_type, size, created_at_ms, expires_at_ms, bytes FROM shared_files "
      "WHERE token_digest = ?1");
  query->bind(1, tokenDigest);
  if (!query->step()) return std::nullopt;
  return SharedFile{query->text(0),    query->integer(1), query->text(2),    query->text(3),
                    query->integer(4), query->integer(5), query->integer(6), query->blob(7)};
}

int SqliteRelayStore::dropExpiredFiles(std::int64_t nowMs) {
  const std::lock_guard lock(m_mutex);
  const StatementLease update =
      m_db.statement("UPDATE shared_files SET bytes = NULL WHERE expires_at_ms <= ?1 AND bytes IS NOT NULL");
  update->bind(1, nowMs);
  update->run();
  return m_db.changes();
}

// --- tasks ------------------------------------------------------------------------------

void SqliteRelayStore::addTaskEventLocked(const RelayTaskEvent& event) {
  const StatementLease insert = m_db.statement("INSERT INTO task_events (task_id, record) VALUES (?1, '')");
  insert->bind(1, event.taskId);
  insert->run();
  RelayTaskEvent stored = event;
  stored.id = fmt::format("e{}", m_db.lastInsertRowId());
  const StatementLease finish = m_db.statement("UPDATE task_events SET record = ?1 WHERE seq = ?2");
  finish->bind(1, stored.toJson().dump()).bind(2, m_db.lastInsertRowId());
  finish->run();
}

RelayTaskItem SqliteRelayStore::createTask(std::int64_t userId, RelayTaskItem task,
                                           const std::optional<std::string>& actor) {
  const std::lock_guard lock(m_mutex);
  task.createdAt = task.updatedAt = InboxRules::isoTimeMs(m_clock());
  m_db.transaction([&] {
    const StatementLease insert =
        m_db.statement("INSERT INTO tasks (id, user_id, parent_id, record) VALUES (lower(hex(randomblob(8))), ?1, ?2, '')");
    insert->bind(1, userId).bind(2, task.parentId);
    insert->run();
    const std::int64_t seq = m_db.lastInsertRowId();
    task.id = fmt::format("T{}", seq);
    const StatementLease finish = m_db.statement("UPDATE tasks SET id = ?1, record = ?2 WHERE seq = ?3");
    finish->bind(1, task.id).bind(2, task.toJson().dump()).bind(3, seq);
    finish->run();
    addTaskEventLocked(RelayTaskEvent{"", task.id, "created", actor, task.title, task.createdAt});
  });
  return task;
}

std::optional<RelayTaskItem> SqliteRelayStore::findTask(std::int64_t userId, const std::string& id) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query = m_db.statement("SELECT record FROM tasks WHERE user_id = ?1 AND id = ?2");
  query->bind(1, userId).bind(2, id);
  if (!query->step()) return std::nullopt;
  return readTask(*query, 0);
}

std::vector<RelayTaskItem> SqliteRelayStore::listTasks(std::int64_t userId) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query = m_db.statement("SELECT record FROM tasks WHERE user_id = ?1 ORDER BY seq");
  query->bind(1, userId);
  std::vector<RelayTaskItem> tasks;
  while (query->step()) tasks.push_back(readTask(*query, 0));
  return tasks;
}

std::vector<RelayTaskItem> SqliteRelayStore::listChildren(std::int64_t userId, const std::string& parentId) {
  const std::lock_guard lock(m_mutex);
  const StatementLease query =
      m_db.statement("SELECT record FROM tasks WHERE user_id = ?1 AND parent_id = ?2 ORDER BY seq");
  query->bind(1, userId).bind(2, parentId);
  std::vector<RelayTaskItem> tasks;
  while (query->step()) tasks.push_back(readTask(*query, 0));
  return tasks;
}

std::optional<RelayTaskItem> SqliteRelayStore::updateTask(
    std::int64_t userId, const std::string& id,
    const std::function<std::vector<RelayTaskEvent>(RelayTaskItem&)>& change) {
  const std::lock_guard lock(m_mutex);
  std::optional<RelayTaskItem> task;
  m_db.transaction([&] {
    {
      const StatementLease query = m_db.statement("SELECT record FROM tasks WHERE user_id = ?1 AND id = ?2");
      query->bind(1, userId).bind(2, id);
      if (!query->step()) return;
      task = readTask(*query, 0);
    }
    const RelayTaskItem before = *task;
    const std::vector<RelayTaskEvent> events = change(*task);
    if (events.empty() && *task == before) return;
    task->updatedAt = InboxRules::isoTimeMs(m_clock());
    const StatementLease update = m_db.statement("UPDATE tasks SET record = ?1 WHERE user_id = ?2 AND id = ?3");
    update->bind(1, task->toJson().dump()).bind(2, userId).bind(3, id);
    update->run();
    for (RelayTaskEvent event : events) {
      event.taskId = id;
      event.createdAt = task->updatedAt;
      addTaskEventLocked(event);
    }
  });
  return task;
}

bool SqliteRelayStore::deleteTask(std::int64_t userId, const std::string& id) {
  const std::lock_guard lock(m_mutex);
  bool removed = false;
  m_db.transaction([&] {
    const StatementLease children = m_db.statement("DELETE FROM tasks WHERE user_id = ?1 AND parent_id = ?2");
    children->bind(1, userId).bind(2, id);
    children->run();
    const StatementLease remove = m_db.statement("DELETE FROM tasks WHERE user_id = ?1 AND id = ?2");
    remove->bind(1, userId).bind(2, id);
    remove->run();
    removed = m_db.changes() > 0;
  });
  return removed;
}

std::optional<std::vector<RelayTaskEvent>> SqliteRelayStore::listTaskEvents(std::int64_t userId, const std::string& id) {
  const std::lock_guard lock(m_mutex);
  {
    const StatementLease exists = m_db.statement("SELECT 1 FROM tasks WHERE user_id = ?1 AND id = ?2");
    exists->bind(1, userId).bind(2, id);
    if (!exists->step()) return std::nullopt;
  }
  const StatementLease query = m_db.statement("SELECT record FROM task_events WHERE task_id = ?1 ORDER BY seq");
  query->bind(1, id);
  std::vector<RelayTaskEvent> events;
  while (query->step()) events.push_back(RelayTaskEvent::fromJson(nlohmann::json::parse(query->text(0))));
  return events;
}

}  // namespace vesket::relay_service
