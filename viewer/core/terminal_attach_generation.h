#pragma once

// The attach generations of one live terminal bridge. Every new transport session gets the
// next generation; callbacks, output and page scripts carry the generation they came from,
// and only those of the current one are acted on. After tear-down none is.

#include <cstdint>
#include <optional>

namespace vesket::viewer {

class TerminalAttachGeneration {
 public:
  std::int64_t current() const { return m_current; }
  bool isTornDown() const { return m_tornDown; }

  // Starts a session: the next generation (1 for the first).
  std::int64_t beginSession() { return ++m_current; }
  // Whether a callback of `source` still counts. A source of none belongs to no session
  // and counts until tear-down.
  bool accepts(std::optional<std::int64_t> source) const {
    return !m_tornDown && (!source || *source == m_current);
  }
  void tearDown() { m_tornDown = true; }

 private:
  std::int64_t m_current = 0;
  bool m_tornDown = false;
};

}  // namespace vesket::viewer
