#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vesket::shell {

// A process environment as the pure decisions see it: variable name to value. A variable
// that is present with an empty value is different from one that is absent.
using Environment = std::map<std::string, std::string, std::less<>>;

// The value of `name`, or nothing when the variable is absent.
inline std::optional<std::string> environmentValue(const Environment& environment,
                                                   std::string_view name) {
  auto it = environment.find(name);
  if (it == environment.end()) return std::nullopt;
  return it->second;
}

// The value of `name` when it is present and not empty.
inline std::optional<std::string> nonEmptyEnvironmentValue(const Environment& environment,
                                                           std::string_view name) {
  auto it = environment.find(name);
  if (it == environment.end() || it->second.empty()) return std::nullopt;
  return it->second;
}

}  // namespace vesket::shell
