// Keeps the selected pane's text current: polls the pane through a content source (every
// 0.35 s while its agent works, 2.0 s while idle), turns captures into append/replace
// changes for the text view, detects an awaiting prompt on the raw text and hides the
// agent's input box. Capture failures never clear what is shown; health says `retrying`.
#pragma once

#include <QDateTime>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <qcoro/qcorotask.h>

#include "control_plane/core/cancellation.h"
#include "viewer/core/pane_content_state.h"
#include "viewer/pane_content_source.h"

namespace vesket::viewer {

class PaneContentStore : public QObject {
  Q_OBJECT

 public:
  PaneContentStore(std::shared_ptr<PaneContentSource> source,
                   std::size_t maxLines = PaneContentPolling::kScrollbackCap, QObject* parent = nullptr);
  ~PaneContentStore() override;

  // Selects a pane (none: stop showing one). A new selection resets the text and polls it.
  void select(std::optional<std::string> paneId);
  // Starts the selected pane afresh.
  void forceRefresh();
  // Redraws a recreated view from the buffer (`onChange(replace(buffer))`), or starts
  // afresh when the buffer is empty.
  void resync();
  // Captures at once after the user typed or sent something; kicks within 0.15 s of the
  // last one are dropped.
  void kickImmediateCapture();
  // Takes effect at the next pause between captures.
  void setActivity(PaneActivity activity) { m_activity = activity; }
  void clearAwaiting();
  void stop();
  // Polls the selected pane again after stop(), keeping the text shown so far.
  void resume();
  // Applies one capture's raw text (the poll loop's path; public for callers holding text).
  LineDiffer::Change ingest(std::string_view raw);

  const std::optional<std::string>& selectedPaneId() const { return m_selectedPaneId; }
  PaneActivity activity() const { return m_activity; }
  bool isEmpty() const { return m_state.isEmpty(); }
  bool hasCaptured() const { return m_state.hasCaptured(); }
  LoadPhase loadPhase() const { return m_state.loadPhase(); }
  CaptureHealth captureHealth() const { return m_state.captureHealth(); }
  const std::optional<AwaitingPrompt>& awaitingPrompt() const { return m_state.awaitingPrompt(); }
  const LineDiffer& differ() const { return m_state.differ(); }
  // When the selected pane was last read (invalid before its first capture).
  QDateTime lastCaptureAt() const { return m_lastCaptureAt; }
  bool isPolling() const { return m_cancel.has_value(); }

  void setHideAgentInputChrome(bool hide) { m_state.hideAgentInputChrome = hide; }
  bool hideAgentInputChrome() const { return m_state.hideAgentInputChrome; }

  std::function<void(LoadPhase)> onLoadPhaseChange;
  std::function<void(CaptureHealth)> onCaptureHealthChange;
  std::function<void(const LineDiffer::Change&)> onChange;
  std::function<void(const std::optional<AwaitingPrompt>&)> onAwaitingChange;

  std::chrono::milliseconds runningInterval = PaneContentPolling::kRunningInterval;
  std::chrono::milliseconds idleInterval = PaneContentPolling::kIdleInterval;
  // Time source of the kick limiter (tests step it by hand).
  std::function<std::chrono::steady_clock::time_point()> now = [] { return std::chrono::steady_clock::now(); };

 signals:
  void isEmptyChanged();
  void hasCapturedChanged();
  void loadPhaseChanged();
  void captureHealthChanged();
  void awaitingPromptChanged();

 private:
  void reset();
  void restartPolling();
  void deliver(const PaneContentState::Effects& effects, bool hadCaptured);
  std::chrono::milliseconds intervalFor(PaneActivity activity) const;
  QCoro::Task<void> pollLoop(std::string paneId, control_plane::CancellationToken cancel);

  std::shared_ptr<PaneContentSource> m_source;
  PaneContentState m_state;
  std::optional<std::string> m_selectedPaneId;
  PaneActivity m_activity = PaneActivity::running;
  KickLimiter m_kicks;
  QDateTime m_lastCaptureAt;
  std::optional<control_plane::CancellationSource> m_cancel;  // set while a loop runs
};

}  // namespace vesket::viewer
