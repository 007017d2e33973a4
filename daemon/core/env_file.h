#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::daemon {

// The daemon's environment file (product home + "/daemon/.env"): "KEY=value" lines.
//
// The file is shared with people and other tools, so every line the daemon does not own
// (comments, blank lines, unknown keys, lines it cannot read) is kept byte for byte and in
// place; setting a key rewrites only that key's line, or appends one when it is missing.
class EnvFile {
 public:
  static EnvFile parse(std::string_view text);

  // The value of the first "KEY=" line; surrounding single or double quotes are removed.
  std::optional<std::string> get(std::string_view key) const;
  // Rewrites the first "KEY=" line (later duplicates are left alone) or appends one.
  void set(std::string_view key, std::string_view value);
  // Appends "KEY=" + value only when the key has no line yet. Returns whether it did.
  bool setDefault(std::string_view key, std::string_view value);

  std::string serialize() const;

 private:
  struct Line {
    std::string text;
    std::optional<std::string> key;  // set for "KEY=value" lines
  };
  Line* findLine(std::string_view key);
  const Line* findLine(std::string_view key) const;

  std::vector<Line> m_lines;
  bool m_trailingNewline = true;
};

}  // namespace vesket::daemon
