#include "relay_service/core/link_protocol.h"

namespace vesket::relay_service {

std::string LinkProtocol::encodeRequest(const std::string& id, const std::string& cmd, const nlohmann::json& args,
                                        std::optional<std::uint32_t> stream) {
  nlohmann::json request = {{"id", id}, {"cmd", cmd}, {"args", args.is_object() ? args : nlohmann::json::object()}};
  if (stream) request[std::string(relay::DaemonLinkFrame::kStreamKey)] = *stream;
  return request.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace vesket::relay_service
