#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vesket::shell {

// A user-visible text named by its dotted localisation key ("macos.<view>.<phrase>") with
// the values for its "%1", "%2", ... placeholders and, for a text that has plural forms, the
// count that picks the form (its "%n"). Pure decision code returns these; the Qt side turns
// them into the user's language (Localisation::text).
struct LocalisedText {
  std::string key;
  std::vector<std::string> arguments;
  std::optional<int> count;

  bool operator==(const LocalisedText&) const = default;
};

}  // namespace vesket::shell
