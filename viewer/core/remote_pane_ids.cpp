#include "viewer/core/remote_pane_ids.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace vesket::viewer::RemotePaneIds {

std::string namespaced(std::int64_t daemonId, std::string_view raw) {
  return "d" + std::to_string(daemonId) + "/" + std::string(raw);
}

std::optional<std::int64_t> daemonId(std::string_view id) {
  const std::size_t slash = id.find('/');
  if (id.size() < 3 || id.front() != 'd' || slash == std::string_view::npos || slash < 2) return std::nullopt;
  const std::string_view digits = id.substr(1, slash - 1);
  if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

std::string raw(std::string_view id) {
  return isNamespaced(id) ? std::string(id.substr(id.find('/') + 1)) : std::string(id);
}

}  // namespace vesket::viewer::RemotePaneIds
