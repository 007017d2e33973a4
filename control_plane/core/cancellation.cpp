#include "control_plane/core/cancellation.h"

namespace vesket::control_plane {

CancellationToken::Registration& CancellationToken::Registration::operator=(Registration&& other) noexcept {
  if (this != &other) {
    reset();
    m_state = std::move(other.m_state);
    m_key = other.m_key;
    other.m_key = 0;
  }
  return *this;
}

void CancellationToken::Registration::reset() {
  if (auto state = m_state.lock()) state->handlers.erase(m_key);
  m_state.reset();
  m_key = 0;
}

bool CancellationToken::isCancelled() const { return m_state && m_state->cancelled; }

CancellationToken::Registration CancellationToken::onCancel(std::function<void()> handler) const {
  Registration registration;
  if (!m_state) return registration;
  if (m_state->cancelled) {
    handler();
    return registration;
  }
  registration.m_state = m_state;
  registration.m_key = m_state->nextKey++;
  m_state->handlers.emplace(registration.m_key, std::move(handler));
  return registration;
}

void CancellationSource::cancel() {
  if (m_state->cancelled) return;
  m_state->cancelled = true;
  // Handlers may drop their own registrations while we run them.
  auto handlers = std::move(m_state->handlers);
  m_state->handlers.clear();
  for (auto& [key, handler] : handlers) handler();
}

}  // namespace vesket::control_plane
