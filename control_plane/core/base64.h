#pragma once

// Standard Base64 (RFC 4648 alphabet "A-Z a-z 0-9 + /", "=" padding), the encoding of bytes
// inside the control socket's JSON lines (terminal frames, images) and the relay's bodies.
//
// Decoding is strict: no white space, no line breaks, no URL-safe alphabet, padding
// required (the length is a multiple of 4) and the unused bits of the last group must be
// zero. Anything else is an error that says what and where, so a corrupt stream is noticed
// instead of turning into garbled bytes.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vesket::control_plane {

// Text that is not strict standard Base64. The message says what is wrong and at which
// offset: "invalid Base64: unexpected character '%' at offset 12".
class Base64Error : public std::runtime_error {
 public:
  Base64Error(const std::string& message, std::size_t offset)
      : std::runtime_error(message), m_offset(offset) {}
  // Offset of the offending character in the text (its length for a length error).
  std::size_t offset() const { return m_offset; }

 private:
  std::size_t m_offset;
};

namespace Base64 {

// The Base64 text of `bytes` (any bytes, including NUL and bytes >= 0x80).
std::string encode(std::string_view bytes);
// Appends the Base64 text of `bytes` to `out` (saves an allocation in hot paths).
void encodeAppend(std::string_view bytes, std::string& out);
// Length of the text encode() produces for `byteCount` bytes.
constexpr std::size_t encodedSize(std::size_t byteCount) { return (byteCount + 2) / 3 * 4; }

// The bytes of `text`; throws Base64Error when it is not strict standard Base64.
std::string decode(std::string_view text);
// The bytes of `text`, or nothing when it is not strict standard Base64.
std::optional<std::string> tryDecode(std::string_view text);

}  // namespace Base64

}  // namespace vesket::control_plane
