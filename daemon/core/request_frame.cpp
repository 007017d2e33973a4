#include "daemon/core/request_frame.h"

namespace vesket::daemon {

std::variant<RequestFrame, RequestRejection> parseRequestFrame(std::string_view line) {
  nlohmann::json doc = nlohmann::json::parse(line, nullptr, /*allow_exceptions=*/false);
  if (doc.is_discarded()) return RequestRejection{std::nullopt, "malformed request: not valid JSON"};
  if (!doc.is_object()) {
    return RequestRejection{std::nullopt, "malformed request: expected a JSON object"};
  }

  const auto idIt = doc.find("id");
  if (idIt == doc.end() || !idIt->is_string() || idIt->get_ref<const std::string&>().empty()) {
    return RequestRejection{std::nullopt, "malformed request: 'id' must be a non-empty string"};
  }
  RequestFrame frame;
  frame.id = idIt->get<std::string>();

  const auto cmdIt = doc.find("cmd");
  if (cmdIt == doc.end() || !cmdIt->is_string() || cmdIt->get_ref<const std::string&>().empty()) {
    return RequestRejection{frame.id, "malformed request: 'cmd' must be a non-empty string"};
  }
  frame.cmd = cmdIt->get<std::string>();

  const auto argsIt = doc.find("args");
  if (argsIt != doc.end() && !argsIt->is_null()) {
    if (!argsIt->is_object()) {
      return RequestRejection{frame.id, "malformed request: 'args' must be an object"};
    }
    frame.args = std::move(*argsIt);
  }

  const auto tokenIt = doc.find("token");
  if (tokenIt != doc.end() && !tokenIt->is_null()) {
    if (!tokenIt->is_string()) {
      return RequestRejection{frame.id, "malformed request: 'token' must be a string"};
    }
    frame.token = tokenIt->get<std::string>();
  }
  return frame;
}

}  // namespace vesket::daemon
