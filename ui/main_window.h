#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "ui/account_section.h"

#include <QMainWindow>

class QComboBox;
class QLabel;
class QStackedWidget;
class QTreeView;
class QHBoxLayout;
class QShortcut;
class QToolButton;

namespace vesket::viewer {
class TerminalViewerModel;
}

namespace vesket::terminal {
class LiveTerminalView;
}
namespace vesket::relay {
class MyMachinesStore;
struct TerminalAttachParams;
class TerminalMirrorListener;
}  // namespace vesket::relay
namespace vesket::shell {
class SettingsStore;
}

namespace vesket::ui {

// Opens the relay's live terminal client for a pane (see LiveTerminalView::Options).
using RelayTerminalRoute = std::function<QObject*(const relay::TerminalAttachParams&,
                                                  std::weak_ptr<relay::TerminalMirrorListener>, QObject* parent)>;

class AnswerPanel;
class Composer;
class PaneSidebarModel;
class PaneTextView;
class ViewerStateView;

// The terminal window: the pane sidebar on the left; on the right either the state view or
// the selected pane (header with its location and the fit-width picker, its text, the
// answer panel when it waits, and the composer).
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(viewer::TerminalViewerModel& model, QWidget* parent = nullptr);
  ~MainWindow() override;

  QTreeView* sidebar() const { return m_sidebar; }
  PaneTextView* paneText() const { return m_paneText; }
  AnswerPanel* answerPanel() const { return m_answerPanel; }
  Composer* composer() const { return m_composer; }
  ViewerStateView* stateView() const { return m_stateView; }

  // The live terminal of the selected pane in place of its text (created on first use).
  void setLiveTerminalShown(bool shown);
  terminal::LiveTerminalView* liveTerminal() const { return m_liveTerminal; }
  void openSettings();
  // The account objects the settings' Account section works with.
  void setAccountServices(AccountServices services) { m_account = services; }
  // The live terminal's relay route (another machine's panes, and the fallback for this
  // one's); set before the live terminal is first shown.
  void setRelayTerminalRoute(RelayTerminalRoute route) { m_relayTerminalRoute = std::move(route); }
  // The account's machines: with another one paired, a picker under the sidebar's header
  // switches the pane list between this machine and that one (reloaded every minute).
  void setMachines(relay::MyMachinesStore* machines);
  // A widget kept below the pane list (the update banner).
  void addSidebarFooter(QWidget* widget);

 signals:
  void closing();
  // The header's "Setup…" button: the setup and readiness view should open.
  void setupRequested();
  // The header's "Teams" button: the Teams window should open.
  void teamsRequested();
  // The machine picker chose another machine (daemon id and name) or this one (0).
  void activeMachineChanged(qint64 daemonId, const QString& machineName);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* buildSidebar();
  QWidget* buildPaneArea();
  void syncState();
  void syncSelection();
  void syncSidebarCurrent();
  void syncHeader();
  void syncConnectionBadge();
  void syncAutoFit();
  void applyStyle();
  void reportCanvasWidth();
  // Digits answer the waiting prompt unless the focus is where typing goes (a text field,
  // the live terminal).
  void syncDigitShortcuts();
  bool focusTakesTyping() const;
  // The sidebar's menu for the pane under `at`, and naming a pane.
  void showPaneMenu(const QPoint& at);
  void renamePane(const QString& paneId);

  viewer::TerminalViewerModel& m_model;
  std::optional<AccountServices> m_account;
  RelayTerminalRoute m_relayTerminalRoute;
  PaneSidebarModel* m_sidebarModel = nullptr;
  QTreeView* m_sidebar = nullptr;
  QLabel* m_connectionBadge = nullptr;
  QComboBox* m_machinePicker = nullptr;
  relay::MyMachinesStore* m_machines = nullptr;
  void fillMachinePicker();
  QStackedWidget* m_stack = nullptr;
  ViewerStateView* m_stateView = nullptr;
  QWidget* m_paneArea = nullptr;
  QLabel* m_paneTitle = nullptr;
  QLabel* m_paneLocation = nullptr;
  QComboBox* m_fitPicker = nullptr;
  PaneTextView* m_paneText = nullptr;
  AnswerPanel* m_answerPanel = nullptr;
  Composer* m_composer = nullptr;
  std::vector<QShortcut*> m_digitShortcuts;

  // Live terminal switch and settings (the last section of the .cpp).
  void addLiveTerminalControls(QHBoxLayout* headerLayout);
  void addSettingsButton(QHBoxLayout* sidebarHeaderLayout);
  void syncLiveTerminalPane();
  void syncLiveTerminalTheme();
  QStackedWidget* m_textOrLive = nullptr;
  QToolButton* m_textToggle = nullptr;
  QToolButton* m_liveToggle = nullptr;
  terminal::LiveTerminalView* m_liveTerminal = nullptr;
  // The model's store (the isolated preferences in isolation mode), else the process's.
  shell::SettingsStore& settings();
};

}  // namespace vesket::ui
