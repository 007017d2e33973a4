#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcessEnvironment>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "control_plane/core/pane_entry.h"
#include "daemon/agent_facts_reader.h"
#include "daemon/core/pane_activity_tracker.h"
#include "daemon/tmux_control_client.h"

namespace vesket::daemon {


// Where the engine finds its tmux server.
struct TmuxServerOptions {
  QString tmuxBinary = QStringLiteral("tmux");
  // Exactly one way of naming the server, in this order of precedence:
  QString socketPath;  // `-S path` (the --tmux-socket option, VESKET_TMUX_SOCKET)
  QString socketName;  // `-L name` (tests use private servers); resolved to a path too
  // Neither: the user's default server, $TMUX_TMPDIR (or /tmp) + "/tmux-<uid>/default".
  // The environment tmux runs with, and that a server started here keeps for its panes
  // (the daemon's secrets always taken out); its TMUX_TMPDIR is where `-L` names and the
  // scan for servers look. Empty: the daemon's own environment.
  QProcessEnvironment environment;
};

// The window size after "resize-window".
struct WindowSizeResult {
  int cols = 0;
  int rows = 0;
  QString mode;  // "manual" or "auto"
};

// What a client needs to attach its own tmux client to a pane ("attach-info").
struct TmuxAttachInfo {
  QString tmuxBin;         // absolute path of the tmux executable
  QStringList socketArgs;  // {"-S", "<socket path>"}
  QString session;         // the pane's session name (empty without a pane)
  QString windowId;        // the pane's window id (empty without a pane)
};

// One tmux server found in the socket directory ("tmux-source-list").
struct TmuxSourceCandidate {
  QString value;  // the socket path; pass it back to switchSource
  QString label;  // "default", or the socket's file name
  int sessionCount = 0;
};

// The daemon's side of tmux: one tmux server, its pane registry and every operation the
// control commands need, all through persistent control-mode clients (no process per
// command).
//
// Lifecycle: construct, connect to `panesChanged`, call start(). The engine never starts a
// tmux server: while the server is not running or has no session it reports zero panes and
// tries again every `reconnectInterval`. (Only spawnShell starts a server when none runs,
// because that is what the user asked for.)
//
// Pane registry: `list-panes -a` is re-read through the control client at once after every
// notification that may mean a change, and every `refreshInterval` for what tmux does not
// notify (titles, commands, directories, other sessions' splits, activity).
// `panesChanged` fires only when the list differs from the last one (load changes count).
// `registeredAt` (milliseconds since the epoch) is the moment the engine first saw the
// pane and stays stable while the pane lives.
//
// Facts: `agentKind` from the pane's process tree (AgentClassifier); model, context and
// topic from Claude Code transcripts (AgentFactsReader); crew fields absent. `load` is "idle", "light",
// "heavy" or "stale" (see PaneActivityTracker); output is seen only for panes of the
// control client's session, other panes' load comes from tmux's window activity until
// streamed panes get a client per session.
//
// Errors: operations throw TmuxError with a readable message ("no such pane: %9", tmux's
// own error text, "tmux is not running") and change nothing on failure.
// All methods are called on the thread that owns the engine (the daemon's main thread).
class TmuxEngine : public QObject {
  Q_OBJECT

 public:
  struct Options {
    TmuxServerOptions server;
    QString homeDir;  // where ~/.claude lives; empty: the user's home
    std::chrono::milliseconds refreshInterval{1000};
    std::chrono::milliseconds reconnectInterval{2000};
    std::chrono::milliseconds commandTimeout{10000};
    int historyLines = 500;   // lines of history a capture includes (the pane text view keeps 500)
    LoadThresholds load;      // what counts as idle, light, heavy, stale
  };

  explicit TmuxEngine(Options options, QObject* parent = nullptr);
  ~TmuxEngine() override;

  // Starts connecting (asynchronously); panesChanged follows once the server answers.
  void start();
  // Detaches the control client and stops the timers.
  void stop();

  // The last published pane list (empty before the first read or without a server).
  const std::vector<control_plane::PaneEntry>& panes() const { return m_panes; }
  bool isConnected() const;
  // The socket path of the server in use.
  QString socketPath() const { return m_socketPath; }

  // What the pane's agent reported waiting for (AgentPromptService), carried in its pane
  // entry while the pane lives; none ends it. Publishes at once.
  void setAgentPrompt(const std::string& paneId, std::optional<control_plane::AgentPromptRow> prompt);

  // Adds what the engine does not know to each pane list before it is published (the
  // crew fields of team members).
  void setPaneDecorator(std::function<void(std::vector<control_plane::PaneEntry>&)> decorate) {
    m_decorate = std::move(decorate);
  }

  // Re-reads the pane list now and returns it (publishing it when it changed).
  QCoro::Task<std::vector<control_plane::PaneEntry>> refreshNow();

  // "capture": the pane's screen with `historyLines` of history, escape sequences kept
  // (-e), wrapped lines joined (-J); lines joined with "\n"; malformed UTF-8 replaced by
  // U+FFFD so the text always encodes as JSON (PaneEntry texts are repaired likewise).
  QCoro::Task<std::string> capture(QString paneId);
  // Captures from `startLine` (negative: into history) to the end of the screen.
  QCoro::Task<std::string> capture(QString paneId, int startLine);

  // Types `text` literally (send-keys -l); any byte is allowed, including ";", "-" first,
  // quotes and line feeds (a line feed is typed as a line feed, i.e. Enter in most
  // programs: send multi-line text with bracketed paste if that matters).
  QCoro::Task<void> sendText(QString paneId, std::string text);
  // Pastes `text` the way a terminal pastes: through a tmux buffer, wrapped in bracketed
  // paste when the program asked for it, line feeds sent as carriage returns. Agents take a
  // multi-line paste as one message instead of submitting at the first line feed.
  QCoro::Task<void> pasteText(QString paneId, std::string text);
  // Sends tmux key names ("Enter", "C-c", "Escape", "BTab", "Up"...; see KeyNames for the
  // translation of the application's names). Each name is one key; none is typed as text.
  QCoro::Task<void> sendKeys(QString paneId, QStringList tmuxKeys);

  // Sets the pane's window to `cols` columns (manual; rows unchanged) or, without cols,
  // returns it to automatic sizing by the attached clients.
  QCoro::Task<WindowSizeResult> resizeWindow(QString paneId, std::optional<int> cols);

  // Opens a new window running the user's shell (tmux's default command) and returns its
  // pane id: a window in the control client's session, not made current (-d), or a new
  // session "vesket" when the server has none or is not running (the server is started
  // then: the user asked for a shell). "spawn-plain-terminal" is the same with a name.
  QCoro::Task<QString> spawnShell(QString windowName = {}, QString startDirectory = {});

  // Kills the pane, or its whole window when `wholeWindow`; returns "pane" or "window".
  QCoro::Task<QString> kill(QString paneId, bool wholeWindow = false);
  // Names the pane (its "@vesket-name" option, which the pane list reads back); an empty
  // name removes it.
  QCoro::Task<void> setPaneName(QString paneId, std::string name);

  // Attach facts for a pane (or just the server without one). Throws for an unknown pane.
  QCoro::Task<TmuxAttachInfo> attachInfo(std::optional<QString> paneId);

  // The tmux servers in the socket directory that answer, with their session counts.
  QCoro::Task<std::vector<TmuxSourceCandidate>> listSources();
  // Switches to the server at `socketPath` (a value from listSources); the pane list
  // follows. Throws when no server answers there; the current one stays in use then.
  // Persisting the choice across restarts is the caller's (pass it back as socketPath).
  QCoro::Task<void> switchSource(QString socketPath);

  // The pane's output reaches the daemon another way (a stream's pane pipe): the engine's
  // control client stops receiving it (tmux escapes and sends it once less per byte) and
  // whoever holds it reports the pane's output through `recordPaneOutput`. Holds are kept
  // over a reconnect of the control client.
  void holdPaneOutput(const std::string& paneId);
  void releasePaneOutput(const std::string& paneId);
  void recordPaneOutput(const std::string& paneId, std::size_t bytes);

  // Runs one tmux command line (already quoted, see TmuxCommand) through the engine's
  // control client and returns its output lines.
  QCoro::Task<std::vector<std::string>> command(std::string line) { return run(std::move(line)); }

  // Socket paths: the directory tmux keeps its sockets in and the path for a server name.
  static QString socketDirectory(const TmuxServerOptions& server);
  static QString socketPathForName(const TmuxServerOptions& server, const QString& name);
  static QString resolveSocketPath(const TmuxServerOptions& server);
  // The absolute path of the tmux executable ("tmux" looked up on PATH).
  QString tmuxBinaryPath() const;

 signals:
  // The complete pane list, whenever it changed.
  void panesChanged(const std::vector<vesket::control_plane::PaneEntry>& panes);
  // The control client attached (true) or was lost (false).
  void connectionChanged(bool connected);
  // An attempt to attach the control client ended, attached or not.
  void connectAttemptEnded();
  // Bytes a pane produced, for panes the control client receives output of (windows of
  // its own session). Live terminal streaming hooks in here.
  void paneOutput(const QString& paneId, const QByteArray& bytes);
  // tmux paused the pane's output because the daemon lagged (pause-after) and it has been
  // resumed; bytes in between were dropped, so a streamer resynchronises from a capture.
  void paneOutputPaused(const QString& paneId);

 private:
  QCoro::Task<void> connectLoop();
  QCoro::Task<void> refreshLoop();
  void requestRefresh();
  void scheduleReconnect();
  void onClientExited();
  bool serverAnswers(const QString& socketPath) const;
  QCoro::Task<std::vector<std::string>> run(std::string line);
  QCoro::Task<void> waitWhileAttaching();
  void publish(std::vector<control_plane::PaneEntry> panes);

  Options m_options;
  QString m_socketPath;
  QPointer<TmuxControlClient> m_client;
  std::set<std::string> m_heldOutput;  // panes whose output the control client does not get
  bool m_running = false;
  bool m_connecting = false;
  bool m_refreshing = false;
  bool m_refreshAgain = false;
  QTimer m_refreshTimer;
  QTimer m_reconnectTimer;
  std::vector<control_plane::PaneEntry> m_panes;
  std::map<std::string, double> m_registeredAt;
  std::map<std::string, control_plane::AgentPromptRow> m_agentPrompts;
  std::uint64_t m_pasteCounter = 0;
  std::unique_ptr<PaneActivityTracker> m_activity;
  std::uint64_t m_refreshSerial = 0;    // pane list reads started
  std::uint64_t m_publishedSerial = 0;  // the read whose list is published
  // Read off the loop, one refresh at a time; shared so that a read outlives the engine.
  struct FactsReading {
    explicit FactsReading(const QString& homeDir) : reader(homeDir) {}
    AgentFactsReader reader;
    std::mutex lock;
  };
  std::shared_ptr<FactsReading> m_facts;
  std::function<void(std::vector<control_plane::PaneEntry>&)> m_decorate;
};

}  // namespace vesket::daemon
