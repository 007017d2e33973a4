// Captures through the remote source while another machine is selected, else locally.
#pragma once

#include <functional>
#include <memory>

#include "viewer/pane_content_source.h"

namespace vesket::viewer {

class RoutedPaneContentSource : public PaneContentSource {
 public:
  using RemoteProvider = std::function<std::shared_ptr<PaneContentSource>()>;

  RoutedPaneContentSource(std::shared_ptr<PaneContentSource> local, RemoteProvider remote);

  QCoro::Task<std::string> captureContent(std::string paneId) override;
  QCoro::Task<std::string> captureContent(std::string paneId, std::optional<double> timeout) override;

 private:
  std::shared_ptr<PaneContentSource> route() const;

  std::shared_ptr<PaneContentSource> m_local;
  RemoteProvider m_remote;
};

}  // namespace vesket::viewer
