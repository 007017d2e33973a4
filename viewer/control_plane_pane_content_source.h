// The daemon as a pane content source: the control socket's "capture" command.
#pragma once

#include <memory>

#include "viewer/pane_content_source.h"

namespace vesket::control_plane {
class ControlPlaneClient;
}

namespace vesket::viewer {

class ControlPlanePaneContentSource : public PaneContentSource {
 public:
  explicit ControlPlanePaneContentSource(std::shared_ptr<control_plane::ControlPlaneClient> client);

  // With the client's default time limit.
  QCoro::Task<std::string> captureContent(std::string paneId) override;
  // With the given limit (or the client's default).
  QCoro::Task<std::string> captureContent(std::string paneId, std::optional<double> timeout) override;

 private:
  std::shared_ptr<control_plane::ControlPlaneClient> m_client;
};

}  // namespace vesket::viewer
