#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <cstddef>
#include <map>
#include <set>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "daemon/core/terminal_attach_request.h"
#include "daemon/core/terminal_size_leases.h"
#include "daemon/stream_service.h"

namespace vesket::daemon {

class ControlConnection;
class TmuxEngine;
class PanePipeDoor;

// The live terminal of panes: "terminal-attach" opens a session on a pane and streams it
// as terminal frames (one Base64 frame per event line), "terminal-input" carries the
// viewer's frames into it (keys, resize, older history, ping), "terminal-detach" or a
// closed connection ends it.
//
// Each streamed pane has its own tmux control client attached to the pane's session (a
// control client hears output only of its own session's windows); every command for the
// pane goes through that client, so its answers and the pane's output arrive in one order.
// An attach runs `display-message` (terminal state) and `capture-pane` (history and
// screen); output that arrives before the capture's answer is already in the capture and
// is dropped, output after it follows the snapshot, so nothing is lost or doubled.
//
// Every viewer has a bounded buffer (TerminalOutputBuffer): output leaves for the socket
// only while the connection has less than `socketHighWaterBytes` queued. A viewer that
// falls behind by more than the buffer, or whose pane tmux paused, gets a freshly captured
// screen instead of the missed bytes. Nobody else waits for it and memory stays bounded.
//
// A pane without a pipe of its own streams over a pipe the daemon owns (`pipe-pane -I -O`,
// handed over through PanePipeDoor): its output arrives as raw bytes, without control mode's
// escaping, and keys are written straight to it, without a command per keystroke. The
// stream's control client then stops receiving the pane's output (`refresh-client -A
// pane:off`) and still carries every command. A pane that already has a pipe (the user's)
// keeps it and streams through control mode, and so does a stream whose pipe tmux took away.
// Since the pipe and the commands travel separately, a viewer's snapshot is taken at a moment
// the pipe is quiet around the capture; a pane that never pauses has its stream step aside to
// control mode instead (its viewers are resynchronised). Closing the daemon's end hands the
// pane back: tmux closes the pipe on its own.
//
// Modes "takeover" and "owned" size the pane's window to the viewer (TerminalSizeLeases)
// and hand the size back when the session ends; other modes keep the pane's size.
class TerminalAttachService : public QObject, public StreamService {
  Q_OBJECT

 public:
  struct Options {
    std::size_t viewerBufferBytes = 4 * 1024 * 1024;
    std::size_t maxFrameBytes = 64 * 1024;
    qint64 socketHighWaterBytes = 256 * 1024;
    std::size_t historyChunkBytes = 32 * 1024;
    int historyPageLines = 1000;
    std::chrono::milliseconds paneCheckInterval{1000};
    // Hands pane pipes over; null: every pane streams through control mode.
    PanePipeDoor* pipeDoor = nullptr;
    std::chrono::milliseconds pipeHandOverTimeout{5000};
    // How long a snapshot waits for the pipe to be quiet before the stream steps aside.
    std::chrono::milliseconds pipeQuietBudget{1500};
  };

  TerminalAttachService(TmuxEngine& engine, Options options, QObject* parent = nullptr);
  explicit TerminalAttachService(TmuxEngine& engine) : TerminalAttachService(engine, Options{}) {}
  ~TerminalAttachService() override;

  bool servesCommand(const std::string& cmd) const override;
  void handle(ControlConnection& connection, const RequestFrame& frame) override;
  bool cancel(ControlConnection& connection, const std::string& id) override;
  void connectionClosed(ControlConnection& connection) override;
  // One frame from a viewer of `connection` (a key, a resize, a ping...), as a
  // "terminal-input" request carries it; throws CommandError when it cannot be taken.
  void takeInput(ControlConnection& connection, const TerminalInputRequest& request);

  std::size_t viewerCount() const { return m_viewers.size(); }
  std::size_t paneStreamCount() const { return m_streams.size(); }
  // Streams whose output comes over a pipe of the daemon's.
  std::size_t pipedStreamCount() const;

 private:
  struct Viewer;
  struct PaneStream;
  using ViewerPtr = std::shared_ptr<Viewer>;
  using StreamPtr = std::shared_ptr<PaneStream>;

  QCoro::Task<void> attach(ControlConnection* connection, std::string attachId, TerminalAttachRequest request);
  void watchDrain(ControlConnection& connection);
  void input(ControlConnection& connection, const RequestFrame& frame);
  void detach(ControlConnection& connection, const RequestFrame& frame);

  QCoro::Task<StreamPtr> openStream(QString paneId);
  void closeStream(const StreamPtr& stream);
  QCoro::Task<void> checkPane(StreamPtr stream);
  QCoro::Task<void> checkMode(StreamPtr stream);
  void paneEnded(const StreamPtr& stream, std::optional<std::int64_t> code);

  struct Snapshot {
    std::vector<std::string> state;
    std::vector<std::string> rows;
  };
  QCoro::Task<Snapshot> snapshot(StreamPtr stream, ViewerPtr viewer, std::string captureLine);
  QCoro::Task<std::optional<Snapshot>> quietSnapshot(StreamPtr stream, ViewerPtr viewer, std::string captureLine);
  QCoro::Task<void> openPipe(StreamPtr stream);
  void readPipe(const StreamPtr& stream);
  void writePipe(const StreamPtr& stream);
  void closePipe(PaneStream& stream);
  void stepAside(const StreamPtr& stream);

  void onOutput(const StreamPtr& stream, const QByteArray& bytes);
  void deliver(const StreamPtr& stream, std::string_view data, bool fromPipe);
  void pump(Viewer& viewer);
  void pumpConnection(ControlConnection* connection);
  QCoro::Task<void> resync(ViewerPtr viewer);
  QCoro::Task<void> typeInput(StreamPtr stream, std::string bytes);
  QCoro::Task<void> resizeViewer(ViewerPtr viewer, int cols, int rows);
  QCoro::Task<void> sendOlderHistory(ViewerPtr viewer);
  QCoro::Task<void> applySize(TerminalSizeLeases::Action action);

  // By value: callers may pass an element of the lists it removes the viewer from.
  void endViewer(ViewerPtr viewer, bool sendDone);
  ViewerPtr findBySession(const std::string& sessionId) const;
  void sendFrame(Viewer& viewer, const std::string& frame);

  TmuxEngine& m_engine;
  Options m_options;
  std::vector<ViewerPtr> m_viewers;
  std::map<QString, StreamPtr> m_streams;  // by pane id
  TerminalSizeLeases m_leases;
  std::set<ControlConnection*> m_drainWatched;
};

}  // namespace vesket::daemon
