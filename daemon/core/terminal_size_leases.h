#pragma once

// Who decides the size of a pane's window while viewers attach in a mode that resizes the
// pane ("takeover", "owned"). tmux sizes windows, not panes, so leases are kept per
// window: the newest lease wins (the viewer that attached or resized last), and when it
// ends the next newest applies again; when the last one ends the window gets back what it
// had before the first: automatic sizing by its clients, or the fixed size it was given.
//
// Each call returns what to do to the window, so the caller only carries it out.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vesket::daemon {

class TerminalSizeLeases {
 public:
  struct Size {
    int cols = 0;
    int rows = 0;
    friend bool operator==(const Size&, const Size&) = default;
  };

  // What to do to the window.
  struct Action {
    enum class Kind {
      none,           // leave the window as it is
      apply,          // resize the window to `size`
      restoreAuto,    // give sizing back to the window's clients
      restoreManual,  // put the window back to the fixed `size` it had
    };
    Kind kind = Kind::none;
    std::string windowId;
    Size size;
    friend bool operator==(const Action&, const Action&) = default;
  };

  // A session starts resizing the window. `before` is the window's fixed size, or nothing
  // when its clients size it; it matters only for the first lease of the window. A session
  // holds one lease: acquiring again for the same window is a resize.
  Action acquire(const std::string& windowId, const std::string& sessionId, Size size,
                 std::optional<Size> before);
  // The session's viewer changed size (nothing to do for a session without a lease, or
  // when the window already has that size).
  Action resize(const std::string& sessionId, Size size);
  // The session ended (detach, closed connection, pane gone).
  Action release(const std::string& sessionId);

  bool holds(const std::string& sessionId) const;
  std::size_t leaseCount(const std::string& windowId) const;

 private:
  struct Lease {
    std::string sessionId;
    Size size;
  };
  struct Window {
    std::string windowId;
    std::optional<Size> before;
    std::vector<Lease> leases;  // oldest first; the last one decides
    Size applied;
  };

  Window* windowOf(const std::string& sessionId, std::size_t* leaseIndex = nullptr);

  std::vector<Window> m_windows;
};

}  // namespace vesket::daemon
