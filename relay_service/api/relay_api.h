#pragma once

#include "relay_service/api/api_context.h"
#include "relay_service/http/http_handler.h"

namespace vesket::relay_service {

class DaemonRegistry;

// The relay's HTTP API: routes each request to its endpoint family, applies the rate
// limits per client address, and turns every failure into the JSON error body. WebSocket
// upgrades go to the daemon links ("/daemon").
class RelayApi : public HttpHandler {
 public:
  static constexpr std::size_t kJsonBodyLimit = 1024 * 1024;
  static constexpr std::size_t kUploadBodyLimit = 25 * 1024 * 1024;

  RelayApi(ApiContext& context, DaemonRegistry& registry);

  std::size_t bodyLimit(const HttpRequest& head) const override;
  boost::asio::awaitable<HttpResponse> handle(HttpRequest request) override;
  boost::asio::awaitable<WebSocketAcceptance> upgrade(HttpRequest request) override;

 private:
  ApiContext& m_context;
  DaemonRegistry& m_registry;
  ApiRouter m_router;
};

}  // namespace vesket::relay_service
