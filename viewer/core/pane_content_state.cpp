#include "viewer/core/pane_content_state.h"

#include <algorithm>

#include "viewer/core/agent_input_chrome.h"
#include "viewer/core/awaiting_detector.h"
#include "viewer/core/utf8_text.h"

namespace vesket::viewer {

namespace PaneContentPolling {

std::optional<std::chrono::milliseconds> captureTimeout(bool hadSuccess) {
  if (hadSuccess) return std::nullopt;
  return kFirstCaptureTimeout;
}

std::chrono::milliseconds intervalFor(PaneActivity activity) {
  return activity == PaneActivity::idle ? kIdleInterval : kRunningInterval;
}

std::chrono::milliseconds delayAfterSuccess(PaneActivity activity) { return intervalFor(activity); }

std::chrono::milliseconds delayAfterFailure(PaneActivity activity, bool hadSuccess) {
  return hadSuccess ? intervalFor(activity) : kEarlyRetryDelay;
}

}  // namespace PaneContentPolling

bool KickLimiter::admit(TimePoint now) {
  if (m_lastKickAt && now - *m_lastKickAt < PaneContentPolling::kKickSpacing) return false;
  m_lastKickAt = now;
  return true;
}

PaneContentState::PaneContentState(std::size_t maxLines) : m_differ(maxLines) {}

PaneTextFeed paneTextFeedOf(LoadPhase phase, CaptureHealth health) {
  if (health == CaptureHealth::retrying) return phase == LoadPhase::loading ? PaneTextFeed::failed : PaneTextFeed::stale;
  switch (phase) {
    case LoadPhase::loading: return PaneTextFeed::loading;
    case LoadPhase::empty: return PaneTextFeed::empty;
    case LoadPhase::loaded: return PaneTextFeed::live;
  }
  return PaneTextFeed::loading;
}

LoadPhase PaneContentState::loadPhaseOf(const LineDiffer& differ, bool hasCaptured) {
  const bool anyText = std::any_of(differ.lines().begin(), differ.lines().end(),
                                   [](const std::string& line) {
                                     for (std::size_t pos = 0, length = 0; pos < line.size();
                                          pos += length) {
                                       if (!utf8::isWhitespace(utf8::decode(line, pos, length))) {
                                         return true;
                                       }
                                     }
                                     return false;
                                   });
  if (anyText) return LoadPhase::loaded;
  return hasCaptured ? LoadPhase::empty : LoadPhase::loading;
}

bool PaneContentState::setHealth(CaptureHealth health) {
  if (m_captureHealth == health) return false;
  m_captureHealth = health;
  return true;
}

bool PaneContentState::setIsEmpty(bool isEmpty) {
  if (m_isEmpty == isEmpty) return false;
  m_isEmpty = isEmpty;
  return true;
}

bool PaneContentState::recomputeLoadPhase() {
  const LoadPhase phase = loadPhaseOf(m_differ, m_hasCaptured);
  if (phase == m_loadPhase) return false;
  m_loadPhase = phase;
  return true;
}

PaneContentState::Effects PaneContentState::reset() {
  Effects effects;
  m_differ.reset();
  m_lastRawCapture.reset();
  effects.isEmptyChanged = setIsEmpty(true);
  m_hasCaptured = false;
  effects.loadPhaseChanged = recomputeLoadPhase();
  effects.captureHealthChanged = setHealth(CaptureHealth::waiting);
  effects.awaitingChanged = m_awaitingPrompt.has_value();
  m_awaitingPrompt.reset();
  effects.change = LineDiffer::Change::replace({});
  return effects;
}

PaneContentState::Effects PaneContentState::ingest(std::string_view raw) {
  Effects effects;
  effects.captureHealthChanged = setHealth(CaptureHealth::live);
  m_hasCaptured = true;
  if (m_lastRawCapture && *m_lastRawCapture == raw) {
    effects.loadPhaseChanged = recomputeLoadPhase();
    return effects;
  }
  m_lastRawCapture = std::string(raw);

  auto prompt = AwaitingDetector::detect(raw);
  if (prompt != m_awaitingPrompt) {
    m_awaitingPrompt = std::move(prompt);
    effects.awaitingChanged = true;
  }
  effects.change = hideAgentInputChrome ? m_differ.apply(AgentInputChrome::stripped(raw))
                                        : m_differ.apply(raw);
  if (effects.change.kind != LineDiffer::Change::Kind::none) {
    effects.isEmptyChanged = setIsEmpty(m_differ.lines().empty());
  }
  effects.loadPhaseChanged = recomputeLoadPhase();
  return effects;
}

PaneContentState::Effects PaneContentState::captureFailed() {
  Effects effects;
  effects.captureHealthChanged = setHealth(CaptureHealth::retrying);
  return effects;
}

PaneContentState::Effects PaneContentState::clearAwaiting() {
  Effects effects;
  effects.awaitingChanged = m_awaitingPrompt.has_value();
  m_awaitingPrompt.reset();
  return effects;
}

}  // namespace vesket::viewer
