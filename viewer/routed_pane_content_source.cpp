#include "viewer/routed_pane_content_source.h"

namespace vesket::viewer {

RoutedPaneContentSource::RoutedPaneContentSource(std::shared_ptr<PaneContentSource> local,
                                                 RemoteProvider remote)
    : m_local(std::move(local)), m_remote(std::move(remote)) {}

std::shared_ptr<PaneContentSource> RoutedPaneContentSource::route() const {
  if (m_remote) {
    if (auto remote = m_remote()) return remote;
  }
  return m_local;
}

QCoro::Task<std::string> RoutedPaneContentSource::captureContent(std::string paneId) {
  auto source = route();  // held for the whole capture
  // Named before it is awaited: g++ 12 mishandles temporaries inside co_await expressions.
  auto capture = source->captureContent(std::move(paneId));
  co_return co_await std::move(capture);
}

QCoro::Task<std::string> RoutedPaneContentSource::captureContent(std::string paneId,
                                                                 std::optional<double> timeout) {
  auto source = route();
  auto capture = source->captureContent(std::move(paneId), timeout);
  co_return co_await std::move(capture);
}

}  // namespace vesket::viewer
