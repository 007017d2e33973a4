#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace vesket::inbox {
class InboxStore;
}
namespace vesket::supervision {
class DaemonCli;
}
namespace vesket::viewer {
class TerminalViewerModel;
}

namespace vesket::ui {

class MainWindow;

// The application's shell around the window: the tray icon and its menu (open the window,
// the daemon's state, quit), and the quit flow, which asks what live work quitting would cut
// off, confirms with the user, stops the daemon and quits only once the stop is confirmed.
// Where the desktop has no tray, the window is the application: closing it quits.
class DesktopShell : public QObject {
  Q_OBJECT

 public:
  DesktopShell(viewer::TerminalViewerModel& model, MainWindow& window, std::shared_ptr<supervision::DaemonCli> cli,
               QObject* parent = nullptr);
  ~DesktopShell() override;

  void start();
  // The inbox's open decisions join the tray's badge and its "Inbox" entry.
  void followDecisions(inbox::InboxStore& store);
  void requestQuit();
  bool hasTray() const { return m_tray != nullptr; }

 signals:
  // The tray's "Devices…" and "Pair this machine…".
  void devicesRequested();
  void pairingRequested();

 private:
  void updateTray();
  void showWindow();

  viewer::TerminalViewerModel& m_model;
  MainWindow& m_window;
  std::shared_ptr<supervision::DaemonCli> m_cli;
  QSystemTrayIcon* m_tray = nullptr;
  QMenu* m_menu = nullptr;
  QAction* m_stateAction = nullptr;
  QAction* m_inboxAction = nullptr;
  inbox::InboxStore* m_inbox = nullptr;
  bool m_quitting = false;
};

}  // namespace vesket::ui
