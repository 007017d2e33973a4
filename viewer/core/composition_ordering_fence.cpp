#include "viewer/core/composition_ordering_fence.h"

#include <utility>

namespace vesket::viewer {

CompositionOrderingFence::~CompositionOrderingFence() {
  cancel(m_boundTimer);
  cancel(m_graceTimer);
}

void CompositionOrderingFence::cancel(Cancel& timer) {
  if (timer) std::exchange(timer, nullptr)();
}

void CompositionOrderingFence::sendNow(const std::string& bytes, const Trace& trace) {
  if (trace && m_callbacks.willSend) m_callbacks.willSend(*trace);
  if (m_callbacks.send) m_callbacks.send(bytes);
}

void CompositionOrderingFence::hold(std::string bytes, Trace trace) {
  if (!m_isInFlight) {
    sendNow(bytes, trace);
    return;
  }
  m_heldBytes.push_back(Held{std::move(bytes), trace});
}

void CompositionOrderingFence::begin() {
  m_isInFlight = true;
  m_heldBytes.clear();
  cancel(m_boundTimer);
  m_boundTimer = m_callbacks.scheduleAfter(kBound, [this] {
    m_boundTimer = nullptr;
    resolve();
  });
}

void CompositionOrderingFence::compositionEndObserved() {
  cancel(m_graceTimer);
  m_graceTimer = m_callbacks.scheduleAfter(kGrace, [this] {
    m_graceTimer = nullptr;
    resolve();
  });
}

void CompositionOrderingFence::resolve() {
  m_isInFlight = false;
  cancel(m_boundTimer);
  cancel(m_graceTimer);
  // Taken out first: sending may type more (into an empty, open fence).
  std::vector<Held> held = std::exchange(m_heldBytes, {});
  for (const Held& entry : held) sendNow(entry.bytes, entry.trace);
}

void CompositionOrderingFence::discardOnTeardown() {
  m_heldBytes.clear();
  m_isInFlight = false;
  cancel(m_boundTimer);
  cancel(m_graceTimer);
}

}  // namespace vesket::viewer
