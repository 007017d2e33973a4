#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vesket::control_plane {

// Splits a byte stream into newline-delimited lines.
//
// Bytes after the last line feed wait in the buffer for the next push. A line that is not
// valid UTF-8 is dropped, and so is a line made only of spaces and tabs (carriage returns
// are not trimmed). Lines are delivered untrimmed, in arrival order. The buffer has no
// size limit: a peer that never sends a line feed grows it, which is acceptable for the
// local daemon the client trusts; servers that read untrusted peers bound it themselves.
// A server that answers every line, even one that is not UTF-8, keeps such lines.
class LineAccumulator {
 public:
  enum class InvalidUtf8 { drop, keep };
  explicit LineAccumulator(InvalidUtf8 invalid = InvalidUtf8::drop) : m_keepInvalid(invalid == InvalidUtf8::keep) {}

  std::vector<std::string> push(std::string_view bytes);

  // Bytes received but not yet terminated by a line feed.
  const std::string& pending() const { return m_buffer; }

 private:
  bool m_keepInvalid;
  std::string m_buffer;
  std::size_t m_scanned = 0;  // prefix of m_buffer known to hold no line feed
};

// Whether the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Whether the line holds nothing but spaces and tabs.
bool isBlankLine(std::string_view line);

}  // namespace vesket::control_plane
