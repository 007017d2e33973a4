#pragma once

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

#include <qcoro/qcorotask.h>

#include "supervision/core/environment_readiness.h"

namespace vesket::supervision {

// What this machine offers Vesket: tmux, the agents' command-line tools and the agent teams'
// helpers (jq, python3, git), found through the user's login-shell search path rather than
// the application's own, and how to install what is missing. Blocking: probe off the UI
// thread.
struct ReadinessReport {
  std::vector<ToolReadiness> tools;  // tmux, each agent tool, jq, python3, git
  MacReadiness readiness;
  CrewDeps crewDeps;
  std::string searchPath;                      // the augmented search path the probes used
  PackageInstallPlan tmuxPlan;                 // how to install tmux here
  std::vector<EnvComponents::Component> environment;  // the optional environment installer
  PackageInstallPlan environmentPlan;          // how to install its willInstall components

  const ToolReadiness* tool(const std::string& name) const;
};

namespace EnvironmentReadiness {

// The user's login shell ($SHELL, else their account's shell) run as a login shell, asked
// for its PATH; nothing when it does not answer within `timeoutMs`.
std::optional<QString> loginShellPath(int timeoutMs = 5000);
// Every probe, for the user's home directory and product home.
ReadinessReport probe(const QString& userHome, const QString& productHome);
// Whether the distribution's package manager offers `package` (apt-cache on Debian-like
// systems; false elsewhere).
bool packaged(const OsRelease& os, const std::string& package);
OsRelease currentOsRelease();

}  // namespace EnvironmentReadiness

// The one-click tmux setup: tmux through the system package manager (or the command to run
// by hand), then Vesket's tmux configuration in ~/.config/tmux/tmux.conf written as a tracked
// change (never over a configuration of the user's own), then the tmux plugin manager when
// git can fetch it.
class TmuxSetupManager : public QObject {
  Q_OBJECT

 public:
  enum class State { idle, installing, done, needsPackageManager, failed };

  explicit TmuxSetupManager(QString userHome, QObject* parent = nullptr);

  State state() const { return m_state; }
  const QString& message() const { return m_message; }
  bool needsSetup() const { return m_needsSetup; }
  void setNeedsSetup(bool needs);

  // `report` says whether tmux is installed and how to install it.
  QCoro::Task<void> setup(ReadinessReport report);

 signals:
  void changed();

 private:
  void publish(State state, QString message);

  QString m_userHome;
  State m_state = State::idle;
  QString m_message;
  bool m_needsSetup = false;
};

// Runs a package-manager command (pkexec apt-get ...) off the UI thread; its exit code
// (-1: it did not run) and its output.
struct PackageInstallResult {
  int exitCode = -1;
  QString output;
};
QCoro::Task<PackageInstallResult> runPackageInstall(std::vector<std::string> arguments);

}  // namespace vesket::supervision
