#include "relay_service/api/relay_api.h"

#include <fmt/format.h>

#include "relay_service/api/endpoint_families.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/link_protocol.h"
#include "relay_service/link/daemon_registry.h"

namespace vesket::relay_service {

namespace net = boost::asio;

RelayApi::RelayApi(ApiContext& context, DaemonRegistry& registry) : m_context(context), m_registry(registry) {
  addAccountRoutes(m_router);
  addPaneRoutes(m_router);
  addDeviceRoutes(m_router);
  addDaemonRoutes(m_router);
  addPairPageRoutes(m_router);
  addInboxRoutes(m_router);
  addTaskRoutes(m_router);
  addAgentRoutes(m_router);
  addCrewRoutes(m_router);
  addRoutingRoutes(m_router);
}

std::size_t RelayApi::bodyLimit(const HttpRequest& head) const {
  if (head.path == "/api/upload-image" || head.path == "/api/upload-file" || head.path == "/api/agent/files") {
    return kUploadBodyLimit;
  }
  return kJsonBodyLimit;
}

net::awaitable<HttpResponse> RelayApi::handle(HttpRequest request) {
  std::optional<HttpResponse> failure;
  try {
    if (isDownloadPath(request.path)) {
      m_context.checkRate(RateClass::general, "ip|" + request.remoteAddress);
      const PathParams none;
      auto serving = serveDownload(ApiCall{request, none, m_context});
      co_return co_await std::move(serving);
    }
    auto match = m_router.match(request.method, request.path);
    if (std::holds_alternative<ApiRouter::NotFound>(match)) throw ApiError::notFound("no such endpoint");
    if (const auto* refused = std::get_if<ApiRouter::MethodNotAllowed>(&match)) {
      throw ApiError::methodNotAllowed(refused->allowed);
    }
    auto& route = std::get<ApiRouter::Match>(match);
    m_context.checkRate(route.handler->rateClass, "ip|" + request.remoteAddress);
    auto answering = route.handler->handler(ApiCall{request, route.params, m_context});
    co_return co_await std::move(answering);
  } catch (const ApiError& error) {
    failure = error.response();
  } catch (const std::exception& error) {
    m_context.log(fmt::format("{} {} failed: {}", request.method, request.path, error.what()));
    failure = ApiError::internal().response();
  }
  co_return std::move(*failure);
}

net::awaitable<WebSocketAcceptance> RelayApi::upgrade(HttpRequest request) {
  try {
    if (request.path != LinkProtocol::kPath && request.path != kTerminalAttachPath) {
      throw ApiError::notFound("no WebSocket endpoint here");
    }
    m_context.checkRate(RateClass::general, "ip|" + request.remoteAddress);
    if (request.path == kTerminalAttachPath) {
      const PathParams params;
      auto accepting = acceptTerminalAttach(ApiCall{request, params, m_context});
      co_return co_await std::move(accepting);
    }
    co_return m_registry.accept(request);
  } catch (const ApiError& error) {
    co_return WebSocketAcceptance{nullptr, error.response()};
  } catch (const std::exception& error) {
    m_context.log(fmt::format("upgrade {} failed: {}", request.path, error.what()));
    co_return WebSocketAcceptance{nullptr, ApiError::internal().response()};
  }
}

}  // namespace vesket::relay_service
