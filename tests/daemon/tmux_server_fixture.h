#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace vesket::testing {

// A private tmux server for one test: `tmux -L vesket-test-<pid>-<n> -f /dev/null`, with
// TMUX_TMPDIR and HOME pointing into a temporary directory so that neither the user's
// server nor their home is touched. The server is killed when the fixture goes away.
class PrivateTmuxServer {
 public:
  PrivateTmuxServer();
  ~PrivateTmuxServer();
  PrivateTmuxServer(const PrivateTmuxServer&) = delete;
  PrivateTmuxServer& operator=(const PrivateTmuxServer&) = delete;

  QString name() const { return m_name; }
  QString socketPath() const;
  QString home() const { return m_dir.path() + QStringLiteral("/home"); }

  // Runs `tmux -L name -f /dev/null args...` and returns its standard output (trimmed);
  // a failing command fails the current test.
  QString tmux(const QStringList& args) const;
  // Creates a detached session of the given size; returns the first pane's id.
  QString newSession(const QString& session, int cols = 100, int rows = 30) const;
  // A format evaluated for a target, e.g. display("%1", "#{window_width}").
  QString display(const QString& target, const QString& format) const;
  // The pane ids tmux lists, in tmux's order.
  QStringList paneIds() const;

 private:
  QTemporaryDir m_dir;
  QString m_name;
};

}  // namespace vesket::testing
