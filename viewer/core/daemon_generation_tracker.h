// Tells a daemon restart apart from a reconnect: the pane watch reports the daemon
// process's session id (its generation); a new id means the panes listed before are gone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vesket::viewer {

class DaemonGenerationTracker {
 public:
  // True when `generation` differs from the one seen before (the daemon restarted). An
  // absent or empty id changes nothing; the first id is only remembered.
  bool observe(std::optional<std::string_view> generation);

  const std::optional<std::string>& current() const { return m_current; }

 private:
  std::optional<std::string> m_current;
};

}  // namespace vesket::viewer
