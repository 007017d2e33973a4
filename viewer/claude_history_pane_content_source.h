// Renders a Claude Code pane from the daemon's structured conversation history (its
// agent-history stream) rather than from the screen, falling back to another source when
// the history is switched off, disabled for the pane, or the stream ends without a picture.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "viewer/pane_content_source.h"

namespace vesket::control_plane {
class ControlPlaneClient;
}
namespace vesket::shell {
class SettingsStore;
}

namespace vesket::viewer {

class ClaudeHistoryPaneContentSource : public PaneContentSource {
 public:
  static constexpr const char* kPilotDefaultsKey = "vesket.claudeHistoryPilotEnabled";

  ClaudeHistoryPaneContentSource(std::shared_ptr<control_plane::ControlPlaneClient> client,
                                 std::shared_ptr<PaneContentSource> fallback,
                                 std::function<bool()> enabled, std::function<std::int64_t()> width);

  // The stored flag; on when the key is absent or not a flag.
  static bool pilotEnabled(const shell::SettingsStore& defaults);

  // The history stream and then, when it gives no picture, the fallback, each within the
  // time limit (the client's request timeout when none is given): a daemon that stops
  // answering fails the capture instead of holding it open for ever.
  QCoro::Task<std::string> captureContent(std::string paneId) override;
  QCoro::Task<std::string> captureContent(std::string paneId, std::optional<double> timeout) override;

 private:
  std::shared_ptr<control_plane::ControlPlaneClient> m_client;
  std::shared_ptr<PaneContentSource> m_fallback;
  std::function<bool()> m_enabled;
  std::function<std::int64_t()> m_width;
};

}  // namespace vesket::viewer
