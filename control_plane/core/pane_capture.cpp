#include "control_plane/core/pane_capture.h"

#include "control_plane/core/json_codec.h"

namespace vesket::control_plane {

namespace {

constexpr auto kPaneCapture = json_codec::record<PaneCapture>(
    "PaneCapture",
    json_codec::field("paneId", &PaneCapture::paneId),
    json_codec::field("content", &PaneCapture::content));

}  // namespace

PaneCapture PaneCapture::fromJson(const nlohmann::json& json) { return kPaneCapture.decode(json); }
nlohmann::json PaneCapture::toJson() const { return kPaneCapture.encode(*this); }

}  // namespace vesket::control_plane
