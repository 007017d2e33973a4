#pragma once

// The object behind the terminal window: it keeps the pane roster fed from the daemon's
// reconnecting pane watch, the selection (remembered across runs), the state the window
// shows, the selected pane's text and awaiting prompt, the fit width of the selected pane's
// window, and the actions the window offers (send a message or a key, answer a prompt).
// Lives on the UI thread; the window observes it through signals and never talks to the
// daemon itself.

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <qcoro/qcorotask.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "control_plane/core/connection_state.h"
#include "control_plane/core/pane_entry.h"
#include "viewer/core/active_remote_target.h"
#include "viewer/core/awaiting_prompt.h"
#include "viewer/core/composer_attachments.h"
#include "viewer/core/daemon_generation_tracker.h"
#include "viewer/core/fit_width.h"
#include "viewer/core/line_differ.h"
#include "viewer/core/mac_auto_fit_hysteresis.h"
#include "viewer/core/pane_content_state.h"
#include "viewer/core/viewer_state.h"

namespace vesket::control_plane {
class ControlPlaneClient;
template <typename T>
class EventStream;
class WatchEvent;
}  // namespace vesket::control_plane

namespace vesket::shell {
class SettingsStore;
}

namespace vesket::viewer {

class PaneListStore;
class PaneContentStore;
class PaneAwaitingStore;
class PaneContentSource;
class RemotePaneSource;

class TerminalViewerModel : public QObject {
  Q_OBJECT

 public:
  static constexpr const char* kLastSelectedPaneKey = "terminalViewerLastSelectedPaneId";
  static constexpr const char* kFitWidthModeKey = "terminalViewerFitWidthMode";
  static constexpr int kFitDebounceMs = 250;
  static constexpr int kAutoFitTickMs = 250;
  static constexpr int kSentHistoryLimit = 50;

  // `settings` may be null (nothing is remembered then).
  TerminalViewerModel(std::shared_ptr<control_plane::ControlPlaneClient> client, shell::SettingsStore* settings,
                      QObject* parent = nullptr);
  ~TerminalViewerModel() override;

  PaneListStore& paneList() { return *m_paneList; }
  // The daemon client the model talks through; the live terminal attaches through it too.
  const std::shared_ptr<control_plane::ControlPlaneClient>& client() const { return m_client; }
  // The settings store the window reads and writes (null when nothing is remembered).
  shell::SettingsStore* settings() const { return m_settings; }
  PaneContentStore& content() { return *m_content; }
  PaneAwaitingStore& paneAwaiting() { return *m_awaiting; }

  // Starts the roster feed and the stores (once); stop() ends everything.
  void start();
  void stop();

  control_plane::ConnectionState connection() const { return m_connection; }
  ViewerState state() const { return m_state; }
  const std::optional<std::string>& selectedPaneId() const { return m_selectedPaneId; }
  const std::optional<AwaitingPrompt>& awaitingPrompt() const { return m_awaitingPrompt; }
  const std::set<std::string>& awaitingPaneIds() const { return m_awaitingPaneIds; }
  bool isAnswering() const { return m_isAnswering; }
  const std::optional<std::string>& answerError() const { return m_answerError; }
  bool isSending() const { return m_isSending; }
  const std::optional<std::string>& composerError() const { return m_composerError; }
  // While attachments are copied to another machine's pane: the fraction (0..1) sent.
  const std::optional<double>& uploadProgress() const { return m_uploadProgress; }
  FitWidthMode fitWidthMode() const { return m_fitWidthMode; }
  bool autoFitEngaged() const { return m_autoFitEngaged; }
  std::vector<std::string> sentHistory(const std::string& paneId) const;
  // The selected pane's text: its load phase and capture health (mirrors of the content
  // store's), what that tells the reader, and when it was last read.
  LoadPhase terminalLoadPhase() const;
  CaptureHealth terminalFeedHealth() const;
  PaneTextFeed paneTextFeed() const { return paneTextFeedOf(terminalLoadPhase(), terminalFeedHealth()); }
  QDateTime lastUpdate() const;

  // Another machine: while a target is set, the roster is that machine's (its panes with
  // namespaced ids, "d<daemon id>/%N", listed every `kRemoteRosterMs`), and text, messages,
  // keys and answers go through the remote source; clearing it brings this machine's back.
  static constexpr int kRemoteRosterMs = 2000;
  void setRemoteSource(std::shared_ptr<RemotePaneSource> source);
  void setActiveRemoteTarget(std::optional<ActiveRemoteTarget> target);
  const std::optional<ActiveRemoteTarget>& activeRemoteTarget() const { return m_remoteTarget; }
  // The last failure to list the other machine's panes (its relay error), if any.
  const std::optional<std::string>& remoteRosterError() const { return m_remoteRosterError; }

  // Selection.
  void select(const std::optional<std::string>& paneId);
  void selectByIndex(int index);
  void selectRelative(int delta);
  void restoreRememberedSelectionOnReturn();

  // Fit width. `canvasWidth` and `charWidth` in the same unit (pixels).
  void setFitWidthMode(FitWidthMode mode);
  void canvasWidthChanged(double canvasWidth, double charWidth);
  void handBackWidthOnDisappear();
  void setWindowForeground(bool foreground);
  void setAutoFitSurfaceActive(bool active);
  void setChatModeActive(bool active);

  // Actions on the selected pane.
  void sendComposed(const std::string& text);
  // The message with files of this machine attached (ComposerAttachments): images through
  // send-image, other files as their paths (for another machine's pane, after each has been
  // copied there, with uploadProgress). Emits attachmentsSent when they arrived, so that the
  // composer lets go of them.
  void sendWithAttachments(const std::string& text, std::vector<ComposerAttachment> attachments);
  void sendNavKey(const std::string& key);
  void answerOption(const ApprovalOption& option);
  void answerFreeText(const std::string& text);
  void dismissAwaiting();
  // Gives a pane the name the user chose (empty: back to the automatic label).
  void renamePane(const std::string& paneId, const std::string& name);

 signals:
  void connectionChanged();
  void stateChanged();
  void selectionChanged();
  void awaitingPromptChanged();
  void awaitingPaneIdsChanged();
  void answeringChanged();
  void sendingChanged();
  void uploadProgressChanged();
  void fitWidthModeChanged();
  void autoFitEngagedChanged();
  void sentHistoryChanged();
  void remoteTargetChanged();
  // The load phase or the capture health of the selected pane's text changed.
  void paneTextFeedChanged();
  // Files attached in the composer went out with a message.
  void attachmentsSent();
  // The selected pane's text changed (append, replace) or was reset for a new selection.
  void contentChanged(const vesket::viewer::LineDiffer::Change& change);

 private:
  void runRosterFeed();
  void onSnapshot(const control_plane::WatchEvent& event);
  void applyPanes(const std::vector<control_plane::PaneEntry>& panes);
  void pollRemoteRoster();
  // The remote source when the pane is another machine's.
  std::shared_ptr<RemotePaneSource> remoteFor(const std::string& paneId) const;
  void onDaemonGeneration(const std::optional<std::string>& generation);
  void setConnection(control_plane::ConnectionState state);
  void recomputeState();
  bool selectedIsRunning() const;
  void reconcileSelection();
  void persistSelection();
  void updateAwaitingPrompt();
  void onContentAwaitingChanged();
  void scheduleFitResize();
  void resizeSelected(std::optional<int> cols);
  void autoFitTick();
  std::optional<int> fittedColumns() const;

  // What goes to the pane for an answer or a message: an option's number, or text.
  struct Delivery {
    std::optional<std::int64_t> choice;
    std::optional<std::string> text;
    std::optional<std::string> promptId;  // the prompt a choice answers
  };
  void runAnswer(Delivery delivery);
  // Delivers to the pane; the error text, or nothing when it arrived.
  static QCoro::Task<std::optional<std::string>> deliver(std::shared_ptr<control_plane::ControlPlaneClient> client,
                                                         std::shared_ptr<RemotePaneSource> remote, std::string paneId,
                                                         Delivery what, std::string failureText);

  std::shared_ptr<control_plane::ControlPlaneClient> m_client;
  shell::SettingsStore* m_settings;
  // The column count the agent-history source renders at (shared with that source).
  std::shared_ptr<std::int64_t> m_historyWidth = std::make_shared<std::int64_t>(80);
  // The other machine's source while a target is set (read by the routed content sources).
  std::shared_ptr<std::shared_ptr<PaneContentSource>> m_activeRemote = std::make_shared<std::shared_ptr<PaneContentSource>>();
  std::shared_ptr<RemotePaneSource> m_remoteSource;
  std::optional<ActiveRemoteTarget> m_remoteTarget;
  std::optional<std::string> m_remoteRosterError;
  std::vector<control_plane::PaneEntry> m_localPanes;  // this machine's, kept while another is shown
  QTimer m_remoteRoster;
  std::uint64_t m_remoteRound = 0;  // answers of an earlier target are dropped
  std::unique_ptr<PaneListStore> m_paneList;
  std::unique_ptr<PaneContentStore> m_content;
  std::unique_ptr<PaneAwaitingStore> m_awaiting;
  std::unique_ptr<control_plane::EventStream<control_plane::WatchEvent>> m_watch;

  bool m_started = false;
  control_plane::ConnectionState m_connection = control_plane::ConnectionState::idle();
  ViewerState m_state = ViewerState::of(ViewerState::Kind::connecting);
  std::optional<std::string> m_selectedPaneId;
  std::optional<std::string> m_persistedSelectedPaneId;
  std::optional<AwaitingPrompt> m_awaitingPrompt;
  std::optional<std::string> m_dismissedAwaitingId;
  // The prompt answered last: hidden at once, so that no second answer can follow, until
  // it is gone from every source.
  std::optional<std::string> m_answeredAwaitingId;
  // The prompt the selected pane's own capture showed last.
  std::optional<std::string> m_contentPromptId;
  std::set<std::string> m_awaitingPaneIds;
  bool m_isAnswering = false;
  std::optional<std::string> m_answerError;
  bool m_isSending = false;
  std::optional<double> m_uploadProgress;
  std::optional<std::string> m_composerError;
  std::map<std::string, std::vector<std::string>> m_sentMessageHistory;
  DaemonGenerationTracker m_daemonGeneration;

  FitWidthMode m_fitWidthMode = FitWidthMode::off;
  double m_lastCanvasWidth = 0;
  double m_charWidth = 0;
  bool m_widthImposed = false;
  QTimer m_fitDebounce;
  QTimer m_autoFitTicker;
  MacAutoFitHysteresis m_autoFitHysteresis;
  bool m_autoFitEngaged = false;
  bool m_autoFitSurfaceActive = false;
  bool m_isWindowForeground = true;
  bool m_chatModeActive = false;
};

}  // namespace vesket::viewer
