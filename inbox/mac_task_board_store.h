#pragma once

// The account's task board: the task feed grouped into the board's columns and by parent,
// dragging cards by the board's rules (the new status shown at once, then sent), creating,
// reopening and deleting tasks, and one task's timeline (its events and its children's
// results). A refresh that fails after a good load keeps the tasks and says so.

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <vector>

#include <qcoro/qcorotask.h>

#include "inbox/core/board_rules.h"
#include "inbox/core/task_records.h"
#include "relay/relay_client.h"

namespace vesket::inbox {

class MacTaskBoardStore : public QObject {
  Q_OBJECT

 public:
  enum class LoadState { idle, loading, loaded, empty, failed };

  explicit MacTaskBoardStore(std::function<relay::RelayClient()> client, QObject* parent = nullptr);

  const std::vector<RelayTaskItem>& tasks() const { return m_tasks; }
  LoadState loadState() const { return m_loadState; }
  const QString& loadError() const { return m_loadError; }
  bool feedTruncated() const { return m_feedTruncated; }
  const QString& actionMessage() const { return m_actionMessage; }
  const QString& refreshWarning() const { return m_refreshWarning; }
  // The top-level tasks of one column, oldest first.
  std::vector<RelayTaskItem> column(BoardColumn column) const;
  const std::map<std::string, std::vector<RelayTaskItem>>& childrenByParent() const { return m_childrenByParent; }
  const std::map<std::string, std::string>& rollupTextByParent() const { return m_rollupTextByParent; }
  const RelayTaskItem* task(const std::string& id) const;

  // Called when the relay answers 401.
  std::function<void()> onAuthExpired;

  QCoro::Task<void> load();
  // What dropping the card on `to` did (a blocked drag sends nothing).
  QCoro::Task<BoardDragOutcome> handleDrag(std::string id, BoardColumn to);
  QCoro::Task<std::optional<RelayTaskItem>> createTask(QString title, QString agentTeam, std::optional<QString> priority);
  QCoro::Task<bool> reopenTask(std::string id, QString note);
  QCoro::Task<bool> deleteTask(std::string id);
  QCoro::Task<std::vector<TaskTimelineEntry>> loadTimeline(std::string id);

 signals:
  void changed();
  // A move's request to the relay has been answered (moves go one after another).
  void moveSettled();

 private:
  void recompute();
  void failed(const std::exception& error, const QString& doing);

  std::function<relay::RelayClient()> m_client;
  std::vector<RelayTaskItem> m_tasks;
  LoadState m_loadState = LoadState::idle;
  QString m_loadError;
  bool m_feedTruncated = false;
  QString m_actionMessage;
  QString m_refreshWarning;
  std::map<std::string, std::vector<RelayTaskItem>> m_childrenByParent;
  std::map<std::string, int> m_childrenNeedingReviewByParent;
  std::map<std::string, std::string> m_rollupTextByParent;
  int m_movesWaiting = 0;  // moves made and not yet answered by the relay
  bool m_moving = false;   // a move's request is on its way
};

}  // namespace vesket::inbox
