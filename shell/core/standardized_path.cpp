#include "shell/core/standardized_path.h"

#include <vector>

namespace vesket::shell {

std::string standardizedPath(std::string_view path, std::string_view userHome) {
  if (path.empty()) return {};

  // Only the current user's "~" is expanded; "~name" is left as a plain segment.
  std::string expanded;
  if (!userHome.empty() && path.front() == '~' && (path.size() == 1 || path[1] == '/')) {
    expanded.assign(userHome);
    expanded.append(path.substr(1));
  } else {
    expanded.assign(path);
  }

  const bool absolute = expanded.front() == '/';
  std::vector<std::string_view> segments;
  std::string_view rest(expanded);
  while (!rest.empty()) {
    const auto slash = rest.find('/');
    const std::string_view segment = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      if (!segments.empty() && segments.back() != "..") {
        segments.pop_back();
      } else if (!absolute) {
        segments.push_back(segment);
      }
      continue;
    }
    segments.push_back(segment);
  }

  std::string result;
  for (const auto segment : segments) {
    if (absolute || !result.empty()) result.push_back('/');
    result.append(segment);
  }
  if (result.empty()) return absolute ? "/" : ".";
  return result;
}

bool pathIsInside(std::string_view path, std::string_view directory) {
  if (path == directory) return true;
  if (directory == "/") return !path.empty() && path.front() == '/';
  return path.size() > directory.size() && path.substr(0, directory.size()) == directory &&
         path[directory.size()] == '/';
}

}  // namespace vesket::shell
