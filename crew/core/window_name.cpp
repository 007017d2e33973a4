#include "crew/core/window_name.h"

#include <string_view>

namespace vesket::crew::WindowName {

namespace {

constexpr std::string_view kForbidden = "()[]{}<>:.;'\"`$\\|&*?!#%";

// Decodes one UTF-8 code point at `i`; invalid bytes read as U+FFFD, one byte each.
char32_t next(const std::string& text, std::size_t& i) {
  const auto c = static_cast<unsigned char>(text[i]);
  int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xe ? 2 : (c >> 3) == 0x1e ? 3 : -1;
  if (extra < 0 || i + static_cast<std::size_t>(extra) >= text.size()) {
    ++i;
    return 0xfffd;
  }
  char32_t cp = extra == 0 ? c : (c & (0x3f >> extra));
  for (int k = 1; k <= extra; ++k) {
    const auto more = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
    if ((more & 0xc0) != 0x80) {
      ++i;
      return 0xfffd;
    }
    cp = (cp << 6) | (more & 0x3f);
  }
  i += static_cast<std::size_t>(extra) + 1;
  return cp;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

std::string trimmed(const std::string& name) {
  std::size_t begin = 0;
  std::size_t end = name.size();
  while (begin < end && isSpace(name[begin])) ++begin;
  while (end > begin && isSpace(name[end - 1])) --end;
  return name.substr(begin, end - begin);
}

std::optional<std::string> error(const std::string& name) {
  const std::string text = trimmed(name);
  std::size_t characters = 0;
  bool bad = false;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t cp = next(text, i);
    ++characters;
    if (cp < 0x20 || (cp >= 0x7f && cp < 0xa0) || cp == 0xfffd) bad = true;
    if (cp < 0x80 && kForbidden.find(static_cast<char>(cp)) != std::string_view::npos) bad = true;
  }
  if (characters > maxLength) return "window.name.length_error";
  if (bad) return "window.name.characters_error";
  return std::nullopt;
}

}  // namespace vesket::crew::WindowName
