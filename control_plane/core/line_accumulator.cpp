#include "control_plane/core/line_accumulator.h"

#include <cstdint>
#include <cstring>

namespace vesket::control_plane {

std::vector<std::string> LineAccumulator::push(std::string_view bytes) {
  std::vector<std::string> lines;
  m_buffer.append(bytes.data(), bytes.size());
  std::size_t start = 0;
  std::size_t from = m_scanned;
  while (from < m_buffer.size()) {
    const void* hit = std::memchr(m_buffer.data() + from, '\n', m_buffer.size() - from);
    if (hit == nullptr) break;
    const auto end = static_cast<std::size_t>(static_cast<const char*>(hit) - m_buffer.data());
    std::string_view line(m_buffer.data() + start, end - start);
    if (!isBlankLine(line) && (m_keepInvalid || isValidUtf8(line))) lines.emplace_back(line);
    start = end + 1;
    from = start;
  }
  m_buffer.erase(0, start);
  m_scanned = m_buffer.size();
  return lines;
}

bool isBlankLine(std::string_view line) {
  for (char c : line) {
    if (c != ' ' && c != '\t') return false;
  }
  return true;
}

bool isValidUtf8(std::string_view bytes) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    // Fast path over ASCII, eight bytes at a time.
    while (i + 8 <= n) {
      std::uint64_t word;
      std::memcpy(&word, s + i, 8);
      if ((word & 0x8080808080808080ULL) != 0) break;
      i += 8;
    }
    if (i >= n) break;
    const unsigned char c = s[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t len;
    std::uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (std::size_t k = 1; k < len; ++k) {
      const unsigned char cc = s[i + k];
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += len;
  }
  return true;
}

}  // namespace vesket::control_plane
