// Another machine's panes as the viewer uses them: their list, their text, and text and
// keys sent to them. The relay's pane source implements it; ids it takes may be namespaced
// ("d<daemon id>/%N"), ids it lists are the other machine's own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "control_plane/core/command_results.h"
#include "control_plane/core/pane_entry.h"
#include "viewer/pane_content_source.h"

namespace vesket::viewer {

struct RemotePaneRoster {
  std::vector<control_plane::PaneEntry> panes;
  std::optional<std::int64_t> resolvedDaemonId;  // the daemon that answered
};

class RemotePaneSource : public PaneContentSource {
 public:
  virtual QCoro::Task<RemotePaneRoster> listPanes() = 0;
  virtual QCoro::Task<control_plane::SendResult> sendText(std::string paneId, std::string text,
                                                          std::optional<std::string> clientRequestId) = 0;
  virtual QCoro::Task<void> sendKey(std::string paneId, std::string key) = 0;
};

}  // namespace vesket::viewer
