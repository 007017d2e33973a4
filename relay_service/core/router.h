#pragma once

// Maps a method and a decoded path to a handler. Patterns are paths whose segments are
// literal or "{name}" (one whole segment, captured under that name):
//
//   router.add("POST", "/api/devices/{id}/revoke", handler);
//
// A path that matches some pattern but not with this method is told apart from one that
// matches none, so the caller can answer 405 (with the allowed methods) instead of 404.

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace vesket::relay_service {

using PathParams = std::map<std::string, std::string, std::less<>>;

namespace RoutePath {
// "/a/b/" -> {"a", "b"}; empty segments are kept except a trailing one.
std::vector<std::string_view> segments(std::string_view path);
// Matches pattern segments against path segments, filling `params`.
bool match(const std::vector<std::string>& pattern, const std::vector<std::string_view>& path, PathParams& params);
}  // namespace RoutePath

template <typename Handler>
class Router {
 public:
  struct Match {
    const Handler* handler;
    PathParams params;
  };
  struct NotFound {};
  struct MethodNotAllowed {
    std::string allowed;  // "GET, POST"
  };
  using Result = std::variant<Match, NotFound, MethodNotAllowed>;

  void add(std::string method, std::string_view pattern, Handler handler) {
    Route route{std::move(method), {}, std::move(handler)};
    for (const std::string_view segment : RoutePath::segments(pattern)) route.pattern.emplace_back(segment);
    m_routes.push_back(std::move(route));
  }

  Result match(std::string_view method, std::string_view path) const {
    const auto segments = RoutePath::segments(path);
    std::string allowed;
    for (const Route& route : m_routes) {
      PathParams params;
      if (!RoutePath::match(route.pattern, segments, params)) continue;
      if (route.method == method) return Match{&route.handler, std::move(params)};
      if (allowed.find(route.method) == std::string::npos) allowed += (allowed.empty() ? "" : ", ") + route.method;
    }
    if (!allowed.empty()) return MethodNotAllowed{std::move(allowed)};
    return NotFound{};
  }

 private:
  struct Route {
    std::string method;
    std::vector<std::string> pattern;
    Handler handler;
  };
  std::vector<Route> m_routes;
};

}  // namespace vesket::relay_service
