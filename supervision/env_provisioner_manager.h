#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

#include "supervision/core/env_installer.h"

namespace vesket::shell {
class SettingsStore;
}

namespace vesket::supervision {

// The optional environment installer as the setup view drives it: verify the installer
// script (its SHA-256 against the digest this build pins) and stage a private copy, let the
// user confirm what will be installed, run it with the chosen options and follow its steps
// and output. Everything runs on the UI thread; the script is a child process.
class EnvProvisionerManager : public QObject {
  Q_OBJECT

 public:
  enum class Phase { idle, verifying, verificationFailed, confirming, running, done, failed };

  struct Options {
    QString scriptPath;     // empty: the script beside this program
    QString pinnedSha256;   // empty: the digest this build was made with
    QString userHome;       // for the search path the script runs with
    shell::SettingsStore* settings = nullptr;  // the detection cache; nothing: the process's store
  };

  explicit EnvProvisionerManager(Options options, QObject* parent = nullptr);
  ~EnvProvisionerManager() override;

  Phase phase() const { return m_phase; }
  // verificationFailed / failed: why, in the user's language.
  const QString& message() const { return m_message; }
  bool installFish() const { return m_installFish; }
  void setInstallFish(bool install);
  bool installGhostty() const { return m_installGhostty; }
  void setInstallGhostty(bool install);
  const QStringList& log() const { return m_log; }
  const std::vector<EnvInstaller::StepStatus>& steps() const { return m_steps; }
  const std::vector<EnvComponents::Component>& components() const { return m_components; }

  // The components as last detected (from the cache until a probe reports them).
  void setDetectedComponents(std::vector<EnvComponents::Component> components);
  void loadCachedDetection();

  // Checks and stages the script, then waits for `runInstall` (phase confirming).
  void startVerification();
  // Runs the staged script (from confirming only).
  void runInstall();
  // Back to idle; a running script is stopped and the staged copy removed.
  void reset();

  static QString defaultScriptPath();

 signals:
  void changed();
  void logAppended(const QString& line);

 private:
  void setPhase(Phase phase, QString message = {});
  void readOutput();
  void finished(int exitCode, QProcess::ExitStatus status);
  void removeStagedCopy();
  shell::SettingsStore& settings() const;

  Options m_options;
  Phase m_phase = Phase::idle;
  QString m_message;
  bool m_installFish = false;
  bool m_installGhostty = false;
  QStringList m_log;
  std::vector<EnvInstaller::StepStatus> m_steps;
  std::vector<EnvComponents::Component> m_components;
  QString m_stagedCopy;
  QProcess* m_process = nullptr;
  QByteArray m_pending;
};

}  // namespace vesket::supervision
