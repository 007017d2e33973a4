#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <string>
#include <vector>

#include "control_plane/core/command_names.h"
#include "daemon/core/watch_coalescer.h"
#include "daemon/stream_service.h"

namespace vesket::daemon {

class ControlConnection;
class TmuxEngine;

// The "watch" streams. Every watcher gets a snapshot of the complete pane list when it
// starts watching and after every change, as one event line
// {"id", "ok": true, "event": {"type": "snapshot", "panes": [...], "daemonSessionId"}}.
// Changes are coalesced (WatchCoalescer) and each snapshot is encoded once for all
// watchers; a watcher that reads slowly gets only the newest snapshot (the connection
// keeps one pending per stream) and never delays the others.
//
// Right after the daemon starts, the engine has not read tmux yet; an empty list then would
// read as "every pane is gone" to the application. So the first snapshot waits for the
// engine's first pane list, or `firstListGraceMs` when tmux has nothing to report.
class WatchHub : public QObject, public StreamService {
  Q_OBJECT

 public:
  WatchHub(TmuxEngine& engine, QString daemonSessionId, int minIntervalMs = 25,
           int firstListGraceMs = 2000, QObject* parent = nullptr);

  // Starts a stream; false when the connection already streams under this id.
  bool addWatcher(ControlConnection* connection, const std::string& id);
  // Ends a stream (the "cancel" line); false when there was none.
  bool removeWatcher(ControlConnection* connection, const std::string& id);
  void removeConnection(ControlConnection* connection);
  int watcherCount() const { return static_cast<int>(m_watchers.size()); }

  // StreamService: "watch".
  bool servesCommand(const std::string& cmd) const override { return cmd == control_plane::CommandName::watch; }
  void handle(ControlConnection& connection, const RequestFrame& frame) override;
  bool cancel(ControlConnection& connection, const std::string& id) override {
    return removeWatcher(&connection, id);
  }
  void connectionClosed(ControlConnection& connection) override { removeConnection(&connection); }

 private:
  struct Watcher {
    QPointer<ControlConnection> connection;
    std::string id;
  };

  void onPanesChanged();
  void markReady();
  void flush();
  std::string encodeEvent() const;
  static std::string eventLine(const std::string& id, const std::string& event);

  TmuxEngine& m_engine;
  QString m_daemonSessionId;
  WatchCoalescer m_coalescer;
  QTimer m_flushTimer;
  QTimer m_graceTimer;
  bool m_ready = false;  // the engine has produced its first pane list
  std::vector<Watcher> m_watchers;
};

}  // namespace vesket::daemon
