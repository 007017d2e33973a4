// Anything that can capture a pane's text: the daemon, the agent-history renderer, the
// relay for another machine's panes.
#pragma once

#include <optional>
#include <string>

#include <qcoro/qcorotask.h>

namespace vesket::viewer {

class PaneContentSource {
 public:
  virtual ~PaneContentSource() = default;

  // The pane's text, escape sequences included. Throws when the capture fails.
  virtual QCoro::Task<std::string> captureContent(std::string paneId) = 0;
  // The same within `timeout` seconds when given; by default the limit is ignored.
  virtual QCoro::Task<std::string> captureContent(std::string paneId, std::optional<double> timeout) {
    (void)timeout;
    return captureContent(std::move(paneId));
  }
};

}  // namespace vesket::viewer
