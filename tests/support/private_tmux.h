#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "tests/support/scoped_environment.h"

namespace vesket::testing {

// Ends a tmux server for good. A server told to exit waits for its clients, and a client
// left behind (a daemon's control client, after the daemon was killed) would keep it, and
// the test's output pipe, alive: so kill-server, then SIGKILL if it is still there after a
// second. `serverArgs` name the server ("-L name" or "-S path").
void killTmuxServer(const QStringList& serverArgs,
                    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// A private tmux server for one test: `tmux -L vesket-test-<pid>-<n> -f /dev/null` with its
// socket under a temporary TMUX_TMPDIR and HOME in the same directory, so neither the user's
// server nor their home is touched. Every tmux the test process starts meanwhile (an engine
// inside the test, a daemon it launches) inherits both; they get their earlier values back
// and the server is killed when the fixture goes away.
class PrivateTmux {
 public:
  enum class Start {
    empty,         // no server until the test makes a session
    shellSession,  // session "main" (160x40); its panes run bash without start-up files
  };

  explicit PrivateTmux(Start start = Start::empty);
  ~PrivateTmux();
  PrivateTmux(const PrivateTmux&) = delete;
  PrivateTmux& operator=(const PrivateTmux&) = delete;

  const QString& name() const { return m_name; }
  QString socketPath() const;
  QString home() const { return m_dir.path() + QStringLiteral("/home"); }
  // A path in the fixture's temporary directory (for scripts the panes run).
  QString path(const QString& name) const { return m_dir.filePath(name); }

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

 private:
  QTemporaryDir m_dir;
  ScopedEnvironment m_environment;
  QString m_name;
};

}  // namespace vesket::testing
