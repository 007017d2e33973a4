#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vesket::testing {

// Ends a tmux server for good. A server told to exit waits for its clients, and a client
// left behind (a daemon's control client, after the daemon was killed) would keep it, and
// the test's output pipe, alive: so kill-server, then SIGKILL if it is still there after a
// second. `serverArgs` name the server ("-L name" or "-S path").
void killTmuxServer(const QStringList& serverArgs,
                    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// A private tmux server and the user it runs for, as one machine of a test:
// `tmux -L vesket-test-<pid>-<n> -f /dev/null` with its socket under a temporary
// TMUX_TMPDIR, and HOME, VESKET_HOME and the XDG_* directories in the same temporary
// directory. None of it reaches the test's own environment: every tmux the fixture runs
// (and so every pane of its server) gets `environment()`, and a daemon or engine the test
// starts against the server is given it too. Several can run side by side; the server is
// killed when the fixture goes away.
class PrivateTmux {
 public:
  enum class Start {
    empty,         // no server until the test makes a session
    shellSession,  // session "main" (160x40); its panes run bash without start-up files
  };

  // `extraEnvironment` is added to the environment (e.g. SHELL for the panes).
  explicit PrivateTmux(Start start = Start::empty, const QProcessEnvironment& extraEnvironment = {});
  ~PrivateTmux();
  PrivateTmux(const PrivateTmux&) = delete;
  PrivateTmux& operator=(const PrivateTmux&) = delete;

  const QString& name() const { return m_name; }
  QString socketPath() const;
  QString home() const { return m_dir.path() + QStringLiteral("/home"); }
  // The product home processes of this machine use ($VESKET_HOME).
  QString productHome() const { return home() + QStringLiteral("/.vesket"); }
  // A path in the fixture's temporary directory (for scripts the panes run).
  QString path(const QString& name) const { return m_dir.filePath(name); }
  // What every process of this machine starts with: the test's environment without the
  // variables of a surrounding tmux or product home, and the directories above.
  const QProcessEnvironment& environment() const { return m_environment; }

  // Runs `tmux -L name -f /dev/null args...` and gives its standard output without the
  // final line feed; a failing command fails the current test when `mustSucceed`.
  QString run(const QStringList& args, bool mustSucceed = true) const;
  // A detached session of the given size; gives its first pane's id.
  QString newSession(const QString& session, int cols = 100, int rows = 30) const;
  // A format evaluated for a target, e.g. display("%1", "#{window_width}").
  QString display(const QString& target, const QString& format) const;
  // The visible text of a pane, wrapped lines joined.
  QString capturePane(const QString& paneId) const;
  // The pane ids tmux lists, in tmux's order.
  QStringList paneIds() const;
  // Waits until the pane's foreground program is `command` (tmux's pane_current_command):
  // the echo of a typed command line only says that the terminal got it, not that the
  // shell runs it yet, nor that an interrupted program has given the terminal back. Fails
  // the current test, showing the pane, when it never is.
  bool waitForCommand(const QString& paneId, const QString& command, int timeoutMs = 10000) const;

 private:
  QTemporaryDir m_dir;
  QString m_name;
  QProcessEnvironment m_environment;
};

}  // namespace vesket::testing
