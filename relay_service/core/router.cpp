#include "relay_service/core/router.h"

namespace vesket::relay_service {

std::vector<std::string_view> RoutePath::segments(std::string_view path) {
  std::vector<std::string_view> result;
  if (!path.empty() && path.front() == '/') path.remove_prefix(1);
  if (!path.empty() && path.back() == '/') path.remove_suffix(1);
  if (path.empty()) return result;
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = path.find('/', start);
    result.push_back(path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  return result;
}

bool RoutePath::match(const std::vector<std::string>& pattern, const std::vector<std::string_view>& path,
                      PathParams& params) {
  if (pattern.size() != path.size()) return false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const std::string& expected = pattern[i];
    if (expected.size() > 2 && expected.front() == '{' && expected.back() == '}') {
      if (path[i].empty()) return false;
      params.emplace(expected.substr(1, expected.size() - 2), std::string(path[i]));
    } else if (expected != path[i]) {
      return false;
    }
  }
  return true;
}

}  // namespace vesket::relay_service
