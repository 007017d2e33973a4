#pragma once

// The daemon link, relay side: one WebSocket between a paired daemon and the relay.
//
// Text messages carry the daemon's control protocol, one JSON object per message: the
// relay sends requests {"id", "cmd", "args"} (a terminal attach request also names the
// link stream number of its frames, "stream": N), the daemon answers and streams with
// lines carrying the request's id, exactly as on its local control socket. Binary
// messages carry terminal frames (relay/core/daemon_link_frame.h). Right after the upgrade
// the relay sends "link-hello" with the daemon's identity on this relay.

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "relay/core/daemon_link_frame.h"

namespace vesket::relay_service::LinkProtocol {

inline constexpr std::string_view kPath = relay::DaemonLinkFrame::kPath;
inline constexpr std::string_view kHelloCommand = relay::DaemonLinkFrame::kHelloCommand;

std::string encodeRequest(const std::string& id, const std::string& cmd, const nlohmann::json& args,
                          std::optional<std::uint32_t> stream = std::nullopt);

}  // namespace vesket::relay_service::LinkProtocol
