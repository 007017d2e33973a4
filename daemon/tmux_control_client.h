#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>
#include <deque>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "daemon/core/control_event.h"
#include "daemon/core/control_mode_parser.h"

namespace vesket::daemon {

// A tmux command that failed: tmux answered %error (the message is tmux's own text), the
// control client is not attached or went away, or no answer came in time.
class TmuxError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One persistent tmux control-mode client (`tmux -C attach-session`), a child process
// whose stdin takes command lines and whose stdout is drained continuously into the
// control-mode parser.
//
// It attaches with the client flag `ignore-size`, so its own (nonexistent) terminal size
// never resizes the user's windows, and with `pause-after` so that tmux stops sending a
// pane's output instead of buffering without limit when the client lags; a paused pane is
// resumed at once and reported through `paused` so that whoever streams it can resync.
//
// Commands are answered in the order they were written: tmux numbers its blocks with a
// server-wide counter, so blocks are matched by order, and only blocks flagged as coming
// from this client (flag 1) are matched; the attach command's own block carries flag 0.
class TmuxControlClient : public QObject {
  Q_OBJECT

 public:
  struct Options {
    QString tmuxBinary = QStringLiteral("tmux");
    QStringList serverArgs;  // selects the server, e.g. {"-S", path}; empty: the default one
    QString session;         // session to attach to; empty: the one tmux picks
    int pauseAfterSeconds = 2;     // 0: no flow control
    bool receiveOutput = true;     // false attaches with `no-output`
    std::chrono::milliseconds commandTimeout{10000};
  };

  explicit TmuxControlClient(Options options, QObject* parent = nullptr);
  ~TmuxControlClient() override;

  // Starts the client and waits until it is attached. Returns false when tmux could not
  // attach (no server, no session, bad socket); `lastError` then says why. Never starts a
  // server: callers check that one is running before.
  QCoro::Task<bool> start();

  // Sends one command line (already quoted, see TmuxCommand) and returns its output lines.
  // Throws TmuxError on %error (tmux's message), timeout or when the client is gone.
  QCoro::Task<std::vector<std::string>> command(std::string line);

  // Sends several commands on one line: tmux runs them back to back, with no pane output
  // read in between. Returns one task per command (already under way, in order). When one
  // fails, tmux skips the rest of the line and their tasks fail too.
  std::vector<QCoro::Task<std::vector<std::string>>> commands(const std::vector<std::string>& lines);

  // Closes the client's stdin; tmux detaches it and the process ends. Pending commands fail.
  void stop();

  // The one way an owner lets a client go: nobody hears from it again, its pending commands
  // fail, tmux is told to detach (and killed if it does not), and the client deletes itself
  // later. Never waits.
  void retire();

  // Command lines that stop and restart this client's copy of a pane's output (its bytes are
  // read elsewhere meanwhile). Output is paused, not turned off: pausing also drops the output
  // blocks tmux has queued but not yet written, and tmux 3.3 writes such blocks of a pane
  // whose output is off from a buffer it has since drained, which crashes the server. A pane
  // held here is not resumed when its %pause arrives.
  std::string holdOutput(const std::string& paneId);
  std::string resumeOutput(const std::string& paneId);

  // At the daemon's exit: clients that were let go get up to `budget` to detach, then are
  // killed, so none outlives the daemon (a control client left behind keeps a tmux server
  // that is told to exit from ever finishing).
  static void waitForLeavingClients(std::chrono::milliseconds budget);

  bool isAttached() const { return m_attached; }
  QString lastError() const { return m_lastError; }
  // The session the client is attached to ("$1") and its name, from %session-changed.
  QString sessionId() const { return m_sessionId; }
  QString sessionName() const { return m_sessionName; }
  // Number of commands written but not yet answered.
  std::size_t pendingCommands() const { return m_pending.size(); }

 signals:
  void attached();
  // Bytes a pane produced (only panes of windows in this client's session).
  void output(const QString& paneId, const QByteArray& bytes);
  // Every notification other than output.
  void notification(const vesket::daemon::ControlEvent& event);
  // tmux paused the pane's output; it has been resumed, but bytes were lost in between.
  void paused(const QString& paneId);
  // The client process ended (detached, server gone, stopped).
  void exited(const QString& reason);

 private:
  struct Pending;

  void onReadyRead();
  void onFinished();
  void handle(ControlEvent& event);
  void failAll(const QString& reason);
  void releaseProcess();
  QCoro::Task<std::vector<std::string>> awaitAnswer(std::shared_ptr<Pending> pending);

  Options m_options;
  QProcess* m_process = nullptr;
  ControlModeParser m_parser;
  std::deque<std::shared_ptr<Pending>> m_pending;
  bool m_attached = false;
  std::uint64_t m_groups = 0;
  bool m_attachDone = false;
  bool m_starting = false;
  QString m_lastError;
  QString m_sessionId;
  QString m_sessionName;
  std::set<std::string> m_heldPanes;
};

}  // namespace vesket::daemon
