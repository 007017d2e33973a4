#include "viewer/pane_content_store.h"

#include <QPointer>

#include "control_plane/sleeper.h"

namespace vesket::viewer {

PaneContentStore::PaneContentStore(std::shared_ptr<PaneContentSource> source, std::size_t maxLines,
                                   QObject* parent)
    : QObject(parent), m_source(std::move(source)), m_state(maxLines) {}

PaneContentStore::~PaneContentStore() { stop(); }

void PaneContentStore::select(std::optional<std::string> paneId) {
  if (paneId == m_selectedPaneId) return;
  m_selectedPaneId = std::move(paneId);
  reset();
}

void PaneContentStore::forceRefresh() {
  if (m_selectedPaneId) reset();
}

void PaneContentStore::resync() {
  if (!m_state.canResync()) {
    forceRefresh();
    return;
  }
  if (onChange) onChange(m_state.resyncChange());
}

void PaneContentStore::kickImmediateCapture() {
  if (!m_selectedPaneId || !m_kicks.admit(now())) return;
  restartPolling();
}

void PaneContentStore::clearAwaiting() { deliver(m_state.clearAwaiting(), m_state.hasCaptured()); }

void PaneContentStore::stop() {
  if (!m_cancel) return;
  m_cancel->cancel();
  m_cancel.reset();
}

void PaneContentStore::resume() {
  if (m_selectedPaneId && !m_cancel) restartPolling();
}

LineDiffer::Change PaneContentStore::ingest(std::string_view raw) {
  const bool hadCaptured = m_state.hasCaptured();
  m_lastCaptureAt = QDateTime::currentDateTime();
  auto effects = m_state.ingest(raw);
  deliver(effects, hadCaptured);
  return std::move(effects.change);
}

void PaneContentStore::reset() {
  const bool hadCaptured = m_state.hasCaptured();
  m_lastCaptureAt = QDateTime();
  deliver(m_state.reset(), hadCaptured);
  restartPolling();
}

// Publishes what an operation changed, in the order a view wants it: the text first, then
// the states derived from it.
void PaneContentStore::deliver(const PaneContentState::Effects& effects, bool hadCaptured) {
  if (effects.change.kind != LineDiffer::Change::Kind::none && onChange) onChange(effects.change);
  if (effects.isEmptyChanged) emit isEmptyChanged();
  if (hadCaptured != m_state.hasCaptured()) emit hasCapturedChanged();
  if (effects.awaitingChanged) {
    emit awaitingPromptChanged();
    if (onAwaitingChange) onAwaitingChange(m_state.awaitingPrompt());
  }
  if (effects.captureHealthChanged) {
    emit captureHealthChanged();
    if (onCaptureHealthChange) onCaptureHealthChange(m_state.captureHealth());
  }
  if (effects.loadPhaseChanged) {
    emit loadPhaseChanged();
    if (onLoadPhaseChange) onLoadPhaseChange(m_state.loadPhase());
  }
}

void PaneContentStore::restartPolling() {
  stop();
  if (!m_selectedPaneId) return;
  m_cancel.emplace();
  pollLoop(*m_selectedPaneId, m_cancel->token());  // runs on by itself; stop() ends it
}

std::chrono::milliseconds PaneContentStore::intervalFor(PaneActivity activity) const {
  return activity == PaneActivity::idle ? idleInterval : runningInterval;
}

QCoro::Task<void> PaneContentStore::pollLoop(std::string paneId, control_plane::CancellationToken cancel) {
  QPointer<PaneContentStore> self(this);
  auto source = m_source;
  auto sleeper = std::make_shared<control_plane::TimerSleeper>();
  // After every suspension: the store may be gone, the loop replaced or the pane changed.
  auto ended = [&] { return !self || cancel.isCancelled() || m_selectedPaneId != paneId; };
  bool hadSuccess = false;

  while (!ended()) {
    std::optional<std::string> text;
    try {
      const auto limit = PaneContentPolling::captureTimeout(hadSuccess);
      // Named before it is awaited: g++ 12 mishandles temporaries inside co_await.
      auto capture = source->captureContent(
          paneId, limit ? std::optional(std::chrono::duration<double>(*limit).count()) : std::nullopt);
      text = co_await std::move(capture);
    } catch (...) {
      // Reported through capture health below; the last good text stays.
    }
    if (ended()) co_return;
    std::chrono::milliseconds delay;
    if (text) {
      ingest(*text);
      if (ended()) co_return;  // a callback may have changed the selection
      hadSuccess = true;
      delay = intervalFor(m_activity);
    } else {
      deliver(m_state.captureFailed(), m_state.hasCaptured());
      delay = hadSuccess ? intervalFor(m_activity) : PaneContentPolling::kEarlyRetryDelay;
    }
    auto pause = sleeper->sleep(std::chrono::duration<double>(delay).count(), cancel);
    co_await std::move(pause);
  }
}

}  // namespace vesket::viewer
