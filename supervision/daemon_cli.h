#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <qcoro/qcorotask.h>

namespace vesket::supervision {

// Runs the daemon's command-line tool (`vesket`) as a child process with the isolation
// child environment, off the UI thread's critical path (awaited, never blocking).
class DaemonCli {
 public:
  struct Result {
    bool started = false;  // false: the executable could not be run
    int exitCode = -1;
    QString standardOutput;
    QString standardError;
  };

  explicit DaemonCli(QString executable) : m_executable(std::move(executable)) {}

  // The tool next to this program, else VESKET_DAEMON_BIN, else the product home's bin/.
  static QString locateExecutable(const QString& productHome);

  const QString& executable() const { return m_executable; }
  // Sets `name` to `value` in the child's environment (over the isolation environment).
  void setEnvironmentOverride(const QString& name, const QString& value) { m_overrides.insert(name, value); }

  // Gives up (and kills the child) after `timeoutMs`.
  QCoro::Task<Result> run(QStringList arguments, int timeoutMs = 15000) const;

 private:
  QString m_executable;
  QProcessEnvironment m_overrides;
};

}  // namespace vesket::supervision
