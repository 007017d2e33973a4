#pragma once

// The update's place in the window: below the pane list, a small card that says an update
// is available (Install), shows the install's progress, asks for the restart that finishes
// it (Restart), or tells why it failed (Retry, Dismiss). Hidden while there is nothing to
// say.

#include <QFrame>

class QLabel;
class QProgressBar;
class QPushButton;

namespace vesket::maintenance {
class UpdateChecker;
class UpdateInstaller;
}  // namespace vesket::maintenance

namespace vesket::ui {

class UpdateBanner : public QFrame {
  Q_OBJECT
 public:
  UpdateBanner(maintenance::UpdateChecker& checker, maintenance::UpdateInstaller& installer, QWidget* parent = nullptr);

  // The question before an install ("Install" or "Later"); true for Install.
  static bool confirmInstall(QWidget* parent);

 private:
  void sync();

  maintenance::UpdateChecker& m_checker;
  maintenance::UpdateInstaller& m_installer;
  QLabel* m_title;
  QLabel* m_detail;
  QProgressBar* m_progress;
  QPushButton* m_primary;
  QPushButton* m_secondary;
};

}  // namespace vesket::ui
