#include "viewer/control_plane_pane_content_source.h"

#include "control_plane/control_plane_client.h"

namespace vesket::viewer {

ControlPlanePaneContentSource::ControlPlanePaneContentSource(
    std::shared_ptr<control_plane::ControlPlaneClient> client)
    : m_client(std::move(client)) {}

QCoro::Task<std::string> ControlPlanePaneContentSource::captureContent(std::string paneId) {
  auto client = m_client;  // the source may go away while the request runs
  // Tasks are named before they are awaited: g++ 12 mishandles temporaries with destructors
  // inside co_await expressions.
  auto task = client->capture(std::move(paneId));
  auto capture = co_await std::move(task);
  co_return std::move(capture.content);
}

QCoro::Task<std::string> ControlPlanePaneContentSource::captureContent(std::string paneId,
                                                                       std::optional<double> timeout) {
  auto client = m_client;
  nlohmann::json args = nlohmann::json::object();
  args["paneId"] = std::move(paneId);
  auto task = client->request<control_plane::PaneCapture>("capture", std::move(args), timeout);
  auto capture = co_await std::move(task);
  co_return std::move(capture.content);
}

}  // namespace vesket::viewer
