#include "daemon/core/utf8_repair.h"

#include "control_plane/core/line_accumulator.h"

namespace vesket::daemon {

namespace {

// Length of the well-formed sequence starting at s[i], or 0 when it is malformed.
std::size_t sequenceLength(const unsigned char* s, std::size_t i, std::size_t n) {
  const unsigned char c = s[i];
  auto cont = [&](std::size_t k) { return i + k < n && (s[i + k] & 0xC0) == 0x80; };
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return cont(1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    if (!cont(1) || !cont(2)) return 0;
    if (c == 0xE0 && s[i + 1] < 0xA0) return 0;  // overlong
    if (c == 0xED && s[i + 1] >= 0xA0) return 0;  // surrogate
    return 3;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    if (!cont(1) || !cont(2) || !cont(3)) return 0;
    if (c == 0xF0 && s[i + 1] < 0x90) return 0;  // overlong
    if (c == 0xF4 && s[i + 1] >= 0x90) return 0;  // above U+10FFFF
    return 4;
  }
  return 0;
}

}  // namespace

std::string repairUtf8(std::string_view bytes) {
  if (control_plane::isValidUtf8(bytes)) return std::string(bytes);
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::string out;
  out.reserve(n + 8);
  for (std::size_t i = 0; i < n;) {
    const std::size_t len = sequenceLength(s, i, n);
    if (len == 0) {
      out += "\xEF\xBF\xBD";
      ++i;
    } else {
      out.append(bytes.data() + i, len);
      i += len;
    }
  }
  return out;
}

}  // namespace vesket::daemon
