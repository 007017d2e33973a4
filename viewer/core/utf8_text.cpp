#include "viewer/core/utf8_text.h"

#include <limits>

namespace vesket::viewer::utf8 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Scalars that never start a character of their own but extend the one before.
bool isExtender(char32_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
         (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
         (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F) ||
         (c >= 0x1F3FB && c <= 0x1F3FF) || (c >= 0xE0020 && c <= 0xE007F) ||
         (c >= 0xE0100 && c <= 0xE01EF) || c == 0x200C;
}

constexpr char32_t kZeroWidthJoiner = 0x200D;

}  // namespace

char32_t decode(std::string_view text, std::size_t pos, std::size_t& length) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  length = 1;
  if (lead < 0x80) return lead;
  std::size_t need = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    need = 1, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    need = 2, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    need = 3, value = lead & 0x07, minimum = 0x10000;
  } else {
    return kReplacement;
  }
  if (pos + need >= text.size()) return kReplacement;
  for (std::size_t i = 1; i <= need; ++i) {
    const auto byte = static_cast<unsigned char>(text[pos + i]);
    if (!isContinuation(byte)) return kReplacement;
    value = (value << 6) | (byte & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return kReplacement;
  }
  length = need + 1;
  return value;
}

std::vector<char32_t> decodeAll(std::string_view text) {
  std::vector<char32_t> out;
  out.reserve(text.size());
  for (std::size_t pos = 0, length = 0; pos < text.size(); pos += length) {
    out.push_back(decode(text, pos, length));
  }
  return out;
}

void append(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

std::vector<std::string_view> characters(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t start = pos;
    std::size_t length = 0;
    const char32_t base = decode(text, pos, length);
    pos += length;
    if (base == '\r' && pos < text.size() && text[pos] == '\n') {
      out.push_back(text.substr(start, pos + 1 - start));
      ++pos;
      continue;
    }
    while (pos < text.size()) {
      const char32_t next = decode(text, pos, length);
      if (isExtender(next)) {
        pos += length;
      } else if (next == kZeroWidthJoiner) {
        pos += length;
        if (pos < text.size()) {  // the joiner glues the following scalar on
          decode(text, pos, length);
          pos += length;
        }
      } else {
        break;
      }
    }
    out.push_back(text.substr(start, pos - start));
  }
  return out;
}

std::size_t characterCount(std::string_view text) { return characters(text).size(); }

bool isBlank(char32_t c) {
  return c == ' ' || c == '\t' || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
         c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isLineEnd(char32_t c) {
  return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

namespace {

template <typename Pred>
std::string_view trimWith(std::string_view text, Pred pred) {
  std::size_t begin = 0;
  std::size_t length = 0;
  while (begin < text.size() && pred(decode(text, begin, length))) begin += length;
  std::size_t end = text.size();
  while (end > begin) {
    // Step back to the start of the last scalar.
    std::size_t start = end - 1;
    while (start > begin && isContinuation(static_cast<unsigned char>(text[start]))) --start;
    const char32_t last = decode(text, start, length);
    if (start + length != end || !pred(last)) break;
    end = start;
  }
  return text.substr(begin, end - begin);
}

}  // namespace

std::string_view trimBlanks(std::string_view text) { return trimWith(text, isBlank); }

std::string_view trimWhitespace(std::string_view text) { return trimWith(text, isWhitespace); }

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool containsBlank(std::string_view text) {
  for (std::size_t pos = 0, length = 0; pos < text.size(); pos += length) {
    if (isBlank(decode(text, pos, length))) return true;
  }
  return false;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  // Accumulate as a negative number so that the minimum value fits too.
  std::int64_t value = 0;
  constexpr auto lowest = std::numeric_limits<std::int64_t>::min();
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    const int digit = c - '0';
    if (value < (lowest + digit) / 10) return std::nullopt;
    value = value * 10 - digit;
  }
  if (!negative) {
    if (value == lowest) return std::nullopt;
    value = -value;
  }
  return value;
}

}  // namespace vesket::viewer::utf8
