#include "daemon/core/terminal_size_leases.h"

#include <algorithm>

namespace vesket::daemon {

using Kind = TerminalSizeLeases::Action::Kind;

TerminalSizeLeases::Window* TerminalSizeLeases::windowOf(const std::string& sessionId,
                                                         std::size_t* leaseIndex) {
  for (auto& window : m_windows) {
    for (std::size_t i = 0; i < window.leases.size(); ++i) {
      if (window.leases[i].sessionId != sessionId) continue;
      if (leaseIndex) *leaseIndex = i;
      return &window;
    }
  }
  return nullptr;
}

TerminalSizeLeases::Action TerminalSizeLeases::acquire(const std::string& windowId,
                                                       const std::string& sessionId, Size size,
                                                       std::optional<Size> before) {
  if (const Window* held = windowOf(sessionId)) {
    // An attach session stays on its pane for its whole life; acquiring again is a resize.
    if (held->windowId == windowId) return resize(sessionId, size);
    release(sessionId);
  }
  auto it = std::find_if(m_windows.begin(), m_windows.end(),
                         [&](const Window& w) { return w.windowId == windowId; });
  if (it == m_windows.end()) {
    m_windows.push_back(Window{windowId, before, {}, Size{}});
    it = std::prev(m_windows.end());
  }
  it->leases.push_back(Lease{sessionId, size});
  if (it->applied == size && it->leases.size() > 1) return {};
  it->applied = size;
  return {Kind::apply, windowId, size};
}

TerminalSizeLeases::Action TerminalSizeLeases::resize(const std::string& sessionId, Size size) {
  std::size_t index = 0;
  Window* window = windowOf(sessionId, &index);
  if (!window) return {};
  // The viewer that resized becomes the newest lease.
  Lease lease = window->leases[index];
  window->leases.erase(window->leases.begin() + static_cast<std::ptrdiff_t>(index));
  lease.size = size;
  window->leases.push_back(lease);
  if (window->applied == size) return {};
  window->applied = size;
  return {Kind::apply, window->windowId, size};
}

TerminalSizeLeases::Action TerminalSizeLeases::release(const std::string& sessionId) {
  std::size_t index = 0;
  Window* window = windowOf(sessionId, &index);
  if (!window) return {};
  window->leases.erase(window->leases.begin() + static_cast<std::ptrdiff_t>(index));
  if (window->leases.empty()) {
    Action action;
    action.windowId = window->windowId;
    if (window->before) {
      action.kind = Kind::restoreManual;
      action.size = *window->before;
    } else {
      action.kind = Kind::restoreAuto;
    }
    m_windows.erase(m_windows.begin() + (window - m_windows.data()));
    return action;
  }
  const Size newest = window->leases.back().size;
  if (window->applied == newest) return {};
  window->applied = newest;
  return {Kind::apply, window->windowId, newest};
}

bool TerminalSizeLeases::holds(const std::string& sessionId) const {
  return std::any_of(m_windows.begin(), m_windows.end(), [&](const Window& window) {
    return std::any_of(window.leases.begin(), window.leases.end(),
                       [&](const Lease& lease) { return lease.sessionId == sessionId; });
  });
}

std::size_t TerminalSizeLeases::leaseCount(const std::string& windowId) const {
  for (const auto& window : m_windows) {
    if (window.windowId == windowId) return window.leases.size();
  }
  return 0;
}

}  // namespace vesket::daemon
