#pragma once

#include <QPointer>
#include <QWidget>

#include <optional>

#include "supervision/core/daemon_provision_core.h"
#include "supervision/env_provisioner_manager.h"
#include "supervision/environment_readiness.h"

#include <QMessageBox>

class QGridLayout;
class QLabel;
class QPushButton;
class QFrame;
class QCheckBox;
class QPlainTextEdit;
class QVBoxLayout;

namespace vesket::supervision {
class StatusPoller;
}

namespace vesket::ui {

// The setup and readiness view: the daemon's state, the last provisioning failure and the
// rollback pin (with the action that resumes automatic updates), then each tool Vesket uses,
// found or missing, with the action that fixes it (one click through the package manager
// where this system allows it, else a command to copy), and the optional environment
// components. A provisioning failure the user is to see also opens an alert, which goes as
// soon as the daemon runs again.
class SetupView : public QWidget {
  Q_OBJECT

 public:
  SetupView(supervision::StatusPoller& poller, QString userHome, QWidget* parent = nullptr);

  // Probes the tools again (off the UI thread); `refreshed` follows.
  void refresh();
  const std::optional<supervision::ReadinessReport>& report() const { return m_report; }
  // The alert open for a provisioning failure, if any.
  QMessageBox* failureAlert() const { return m_alert; }
  supervision::EnvProvisionerManager& environmentInstaller() { return m_envInstaller; }

 signals:
  void refreshed();

 private:
  void updateDaemon();
  void buildEnvironmentInstaller(QVBoxLayout* layout);
  void updateEnvironmentInstaller();
  void rebuildTools();
  void showFailureAlert(supervision::DaemonProvision::Failure failure);
  QWidget* actionFor(const supervision::ToolReadiness& tool);
  void runInstall(std::vector<std::string> arguments, QString what);

  supervision::StatusPoller& m_poller;
  QString m_userHome;
  supervision::TmuxSetupManager m_tmuxSetup;
  supervision::EnvProvisionerManager m_envInstaller;
  std::optional<supervision::ReadinessReport> m_report;
  QLabel* m_daemonState = nullptr;
  QLabel* m_failureTitle = nullptr;
  QLabel* m_failureReason = nullptr;
  QFrame* m_pinFrame = nullptr;
  QLabel* m_pinBody = nullptr;
  QLabel* m_tmuxMessage = nullptr;
  QLabel* m_installMessage = nullptr;
  QLabel* m_actionError = nullptr;
  QGridLayout* m_tools = nullptr;
  QGridLayout* m_environment = nullptr;
  QPushButton* m_checkAgain = nullptr;
  QFrame* m_envFrame = nullptr;
  QLabel* m_envStatus = nullptr;
  QLabel* m_envSteps = nullptr;
  QCheckBox* m_envFish = nullptr;
  QPlainTextEdit* m_envLog = nullptr;
  QPushButton* m_envRun = nullptr;
  QPushButton* m_envClose = nullptr;
  QPointer<QMessageBox> m_alert;
  bool m_probing = false;
};

}  // namespace vesket::ui
