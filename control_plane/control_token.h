#pragma once

#include <optional>
#include <string>

namespace vesket::control_plane {

// The control token of the daemon whose product home is `home`, found the same way by the
// daemon (which requires it) and by every client (which presents it): CONTROL_TOKEN when set
// and not empty, else the first line of <home>/daemon/control-token, else none.
std::optional<std::string> controlTokenForHome(const std::string& home);

// The file a daemon's control token lives in.
std::string controlTokenFile(const std::string& home);

}  // namespace vesket::control_plane
