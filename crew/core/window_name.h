#pragma once

#include <optional>
#include <string>

namespace vesket::crew {

// Names the user gives team, group and terminal windows. A trimmed name may be empty (no
// name); at most 40 characters; no control characters and none of ()[]{}<>:.;'"`$\|&*?!#%.
namespace WindowName {

inline constexpr std::size_t maxLength = 40;

// The localisation key of what is wrong with the name, or nothing when it is acceptable.
// "window.name.length_error" or "window.name.characters_error".
std::optional<std::string> error(const std::string& name);

// The name without leading and trailing white space.
std::string trimmed(const std::string& name);

}  // namespace WindowName

}  // namespace vesket::crew
