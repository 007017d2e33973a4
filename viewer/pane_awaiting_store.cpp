#include "viewer/pane_awaiting_store.h"

#include <QPointer>

#include "control_plane/sleeper.h"
#include "viewer/background_work.h"

namespace vesket::viewer {

PaneAwaitingStore::PaneAwaitingStore(std::shared_ptr<PaneContentSource> source, QObject* parent)
    : QObject(parent), m_source(std::move(source)) {}

PaneAwaitingStore::~PaneAwaitingStore() { stop(); }

void PaneAwaitingStore::start() {
  if (m_cancel) return;
  m_cancel.emplace();
  pollLoop(m_cancel->token());  // runs on by itself; stop() ends it
}

void PaneAwaitingStore::stop() {
  if (!m_cancel) return;
  m_cancel->cancel();
  m_cancel.reset();
}

void PaneAwaitingStore::setPaneIds(std::vector<std::string> paneIds) {
  m_paneIds = std::move(paneIds);
  if (m_state.setPaneIds(m_paneIds)) publish();
}

void PaneAwaitingStore::setAgentPrompts(std::map<std::string, AgentReportedPrompt> prompts) {
  if (m_state.setAgentPrompts(std::move(prompts))) publish();
}

void PaneAwaitingStore::evaluate(const std::vector<PaneAwaitingSweep::Capture>& captures) {
  m_state.apply(PaneAwaitingSweep::outcomes(captures));
  publish();
}

void PaneAwaitingStore::markNotAwaiting(const std::string& paneId) {
  if (!m_state.lastKnown().contains(paneId)) return;
  m_state.apply({{paneId, DetectOutcome::notAwaiting()}});
  publish();
}

void PaneAwaitingStore::publish() {
  const bool setChanged = m_state.publish();
  emit promptsChanged();
  if (!setChanged) return;
  emit awaitingPaneIdsChanged();
  if (onChange) onChange(m_state.awaitingPaneIds());
}

QCoro::Task<void> PaneAwaitingStore::pollLoop(control_plane::CancellationToken cancel) {
  QPointer<PaneAwaitingStore> self(this);
  auto source = m_source;
  auto sleeper = std::make_shared<control_plane::TimerSleeper>();
  // After every suspension: the store may be gone or the loop stopped.
  auto ended = [&] { return !self || cancel.isCancelled(); };
  // Every awaited task or future is a named local: g++ 12 mishandles temporaries with
  // destructors inside co_await expressions.

  while (!ended()) {
    const std::vector<std::string> panes = m_paneIds;
    if (panes.empty()) {
      auto pause = sleeper->sleep(std::chrono::duration<double>(pollInterval).count(), cancel);
      co_await std::move(pause);
      continue;
    }
    std::vector<PaneAwaitingSweep::Capture> captures;
    captures.reserve(panes.size());
    for (const std::string& paneId : panes) {
      std::optional<std::string> text;
      try {
        auto capture = source->captureContent(paneId);
        text = co_await std::move(capture);
      } catch (...) {
        // A failed capture keeps what was known about the pane.
      }
      if (ended()) co_return;
      captures.emplace_back(paneId, std::move(text));
    }
    auto detection = runInBackground(
        [captures = std::move(captures)] { return PaneAwaitingSweep::outcomes(captures); });
    auto outcomes = co_await detection;
    if (ended()) co_return;
    m_state.apply(outcomes);
    publish();
    const auto delay = PaneAwaitingSweep::sweepDelay(pollInterval, panes.size());
    auto pause = sleeper->sleep(std::chrono::duration<double>(delay).count(), cancel);
    co_await std::move(pause);
  }
}

}  // namespace vesket::viewer
