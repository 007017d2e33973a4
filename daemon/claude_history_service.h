#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "control_plane/core/command_names.h"
#include "daemon/stream_service.h"

namespace vesket::daemon {

class ControlConnection;
class TmuxEngine;

// The "claude-history" streams: the conversation of a Claude Code pane, read from its
// transcript (the newest `<home>/.claude/projects/<dir>/*.jsonl` for the pane's working
// directory) and rendered at the viewer's width. The stream opens with one "replace"
// event carrying the whole picture and sends another whenever the transcript grew; the
// transcript is looked at every `pollInterval`, so quick appends coalesce into one event;
// the folder is listed and only the new bytes are read off the event loop.
// A pane that is not running Claude Code, or has no transcript, gets "disabled" and the
// stream ends.
class ClaudeHistoryService : public QObject, public StreamService {
  Q_OBJECT

 public:
  ClaudeHistoryService(TmuxEngine& engine, QString homeDir,
                       std::chrono::milliseconds pollInterval = std::chrono::milliseconds(300),
                       QObject* parent = nullptr);
  ~ClaudeHistoryService() override;

  bool servesCommand(const std::string& cmd) const override { return cmd == control_plane::CommandName::claudeHistory; }
  void handle(ControlConnection& connection, const RequestFrame& frame) override;
  bool cancel(ControlConnection& connection, const std::string& id) override;
  void connectionClosed(ControlConnection& connection) override;

  std::size_t streamCount() const { return m_streams.size(); }

 private:
  struct Stream;

  QCoro::Task<void> open(QPointer<ControlConnection> connection, std::string id, std::string paneId, int width);
  QCoro::Task<void> poll(std::shared_ptr<Stream> stream);
  void remove(Stream* stream);

  TmuxEngine& m_engine;
  QString m_homeDir;
  std::chrono::milliseconds m_pollInterval;
  std::vector<std::shared_ptr<Stream>> m_streams;
  QTimer m_timer;
};

}  // namespace vesket::daemon
