// GET /pair (the page) and GET /pair.js (its script). The page's own calls are the
// account and pairing endpoints; the claim token stays in the query, never in a log.
#include "relay_service/api/pair_page.h"

#include "relay_service/api/endpoint_families.h"

namespace vesket::relay_service {
namespace {

namespace net = boost::asio;

HttpResponse asset(const char* contentType, const char* body) {
  HttpResponse response;
  response.status = 200;
  response.contentType = contentType;
  response.body = body;
  response.headers.emplace_back("cache-control", "no-store");
  response.headers.emplace_back("referrer-policy", "no-referrer");
  response.headers.emplace_back("x-content-type-options", "nosniff");
  response.headers.emplace_back("x-frame-options", "DENY");
  response.headers.emplace_back("content-security-policy",
                                "default-src 'none'; script-src 'self'; style-src 'unsafe-inline'; connect-src 'self'; "
                                "img-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'");
  return response;
}

net::awaitable<HttpResponse> page(ApiCall) { co_return asset("text/html; charset=utf-8", PairPage::html()); }
net::awaitable<HttpResponse> script(ApiCall) { co_return asset("text/javascript; charset=utf-8", PairPage::script()); }

}  // namespace

void addPairPageRoutes(ApiRouter& router) {
  router.add("GET", "/pair", {page, RateClass::general});
  router.add("GET", "/pair.js", {script, RateClass::general});
}

}  // namespace vesket::relay_service
