#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>

namespace vesket::control_plane {

// The result of capturing a pane's screen.
struct PaneCapture {
  std::string paneId;
  std::string content;  // the screen text as returned, terminal escape sequences included

  static PaneCapture fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const PaneCapture&, const PaneCapture&) = default;
};

}  // namespace vesket::control_plane
