#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QProcess;
class QTimer;

namespace vesket::maintenance {

// Installs an update by running the product tool's updater (<home>/bin/vesket update),
// following its output lines (a percentage moves `progressFraction`), and relaunches the
// application from the updated bundle. A watchdog resolves the install to pendingRestart as
// soon as the updater writes its pending-restart marker (or after its timeout), so a
// finished install never waits on an updater that lingers. UI thread only.
class UpdateInstaller : public QObject {
  Q_OBJECT
 public:
  struct State {
    enum class Kind { idle, installing, failed, upToDate, pendingRestart };
    Kind kind = Kind::idle;
    QString progress;  // installing
    QString message;   // failed
    QString output;    // failed: the updater's output
    bool operator==(const State&) const = default;
  };

  struct Options {
    QString home;  // the product home
    // False for an isolated instance: updates are refused.
    bool updatesPermitted = true;
    // Asks the user whether to install; true means the first button ("Install").
    std::function<bool()> confirm;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    int watchdogIntervalMs = 1000;
    double watchdogTimeoutSeconds = 900;
    // Ends the application once the relaunch is arranged (default: QCoreApplication::quit).
    std::function<void()> quit;
    qint64 pid = 0;  // the process the relaunch waits for (default: this one)
  };

  explicit UpdateInstaller(Options options, QObject* parent = nullptr);
  ~UpdateInstaller() override;

  const State& state() const { return m_state; }
  std::optional<double> progressFraction() const { return m_progressFraction; }
  const QStringList& collectedOutput() const { return m_collectedOutput; }
  const QStringList& collectedError() const { return m_collectedError; }
  // The failure is about write permission in the install location.
  bool isPermsError() const;
  QString updaterPath() const;

  void install(bool skipConfirm);
  void reset();
  // Starts the updated application once this one has exited, then ends this one. The text
  // to show when that could not be arranged.
  std::optional<QString> restartToFinish();

 signals:
  void stateChanged();
  void progressFractionChanged();

 private:
  void setState(State state);
  void readLines(bool standardError);
  void finished(int exitCode, bool crashed);
  void startInstallingWatchdogs();
  void stopWatchdogs();

  Options m_options;
  State m_state;
  std::optional<double> m_progressFraction;
  QStringList m_collectedOutput;
  QStringList m_collectedError;
  QByteArray m_partialOut;
  QByteArray m_partialErr;
  QProcess* m_process = nullptr;
  QTimer* m_markerPollTask = nullptr;
  QElapsedTimer m_installingFor;
  QDateTime m_installStartedAt;
};

}  // namespace vesket::maintenance
