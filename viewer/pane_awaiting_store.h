// Watches every listed pane for an open request for the user's input. A sweep captures the
// panes one after another (never in parallel, so a long list cannot flood the daemon),
// detects markers on the thread pool and applies the outcomes on the UI thread; sweeps are
// paced at max(pollInterval, 0.125 s per pane).
#pragma once

#include <QObject>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <qcoro/qcorotask.h>

#include "control_plane/core/cancellation.h"
#include "viewer/core/pane_awaiting_state.h"
#include "viewer/pane_content_source.h"

namespace vesket::viewer {

class PaneAwaitingStore : public QObject {
  Q_OBJECT

 public:
  explicit PaneAwaitingStore(std::shared_ptr<PaneContentSource> source, QObject* parent = nullptr);
  ~PaneAwaitingStore() override;

  // Starts sweeping unless a sweep loop runs already.
  void start();
  // Ends the sweep loop (a capture in flight is awaited, then its result dropped).
  void stop();
  bool isRunning() const { return m_cancel.has_value(); }

  // The panes to sweep, in sidebar order. Prompts of panes no longer listed are dropped.
  void setPaneIds(std::vector<std::string> paneIds);
  const std::vector<std::string>& paneIds() const { return m_paneIds; }

  // Applies captures a caller already holds, as a sweep would (detection runs here, on the
  // calling thread).
  void evaluate(const std::vector<PaneAwaitingSweep::Capture>& captures);
  // A fresher capture of `paneId` than the sweep's found no open marker: its prompt ends
  // now, not at the sweep's next visit.
  void markNotAwaiting(const std::string& paneId);

  // The prompts the agents reported through their hooks, from the latest pane list.
  void setAgentPrompts(std::map<std::string, AgentReportedPrompt> prompts);
  const std::map<std::string, AgentReportedPrompt>& agentPrompts() const { return m_state.agentPrompts(); }

  bool isAwaiting(const std::string& paneId) const { return m_state.isAwaiting(paneId); }
  const std::set<std::string>& awaitingPaneIds() const { return m_state.awaitingPaneIds(); }
  const std::map<std::string, AwaitingPrompt>& prompts() const { return m_state.prompts(); }

  // Called with the new set whenever the set of awaiting panes changes.
  std::function<void(const std::set<std::string>&)> onChange;
  std::chrono::milliseconds pollInterval = PaneAwaitingSweep::kDefaultPollInterval;

 signals:
  // After every publish: `prompts` may have changed.
  void promptsChanged();
  // The set of awaiting panes changed.
  void awaitingPaneIdsChanged();

 private:
  QCoro::Task<void> pollLoop(control_plane::CancellationToken cancel);
  void publish();

  std::shared_ptr<PaneContentSource> m_source;
  std::vector<std::string> m_paneIds;
  PaneAwaitingState m_state;
  std::optional<control_plane::CancellationSource> m_cancel;  // set while a loop runs
};

}  // namespace vesket::viewer
