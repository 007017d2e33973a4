#include "viewer/core/web_link_detector.h"

#include "viewer/core/utf8_text.h"

namespace vesket::viewer::WebLinkDetector {

namespace {

bool isAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Bytes that end a URL: controls, blanks and the characters RFC 3986 leaves out.
bool endsUrl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte < 0x21 || byte == 0x7F) return true;
  switch (c) {
    case '<': case '>': case '"': case '`': case '\\': case '^': case '{': case '}': case '|':
      return true;
    default:
      return false;
  }
}

// Non-ASCII scalars that end a URL: white space, box drawing and blocks (TUI frames drawn
// right after a link), braille spinners, the ellipsis of a truncated line, curly quotes,
// CJK and full-width punctuation.
bool endsUrl(char32_t c) {
  return utf8::isWhitespace(c) || (c >= 0x2500 && c <= 0x259F) || (c >= 0x2800 && c <= 0x28FF) ||
         c == 0x2026 || (c >= 0x2018 && c <= 0x201F) || (c >= 0x3000 && c <= 0x303F) ||
         (c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20);
}

bool isTrailingPunctuation(char c) {
  switch (c) {
    case '.': case ',': case ';': case ':': case '!': case '?': case '\'': case '*':
      return true;
    default:
      return false;
  }
}

// True when `url` holds more `close` than `open`, so its last `close` belongs outside.
bool unbalanced(std::string_view url, char open, char close) {
  long depth = 0;
  for (char c : url) depth += c == open ? 1 : c == close ? -1 : 0;
  return depth < 0;
}

// A host begins with a letter or digit, internationalised ones included.
bool startsHost(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return false;
  if (static_cast<unsigned char>(text[pos]) < 0x80) return isAsciiAlnum(text[pos]);
  std::size_t length = 0;
  return !endsUrl(utf8::decode(text, pos, length));
}

std::size_t schemeLength(std::string_view text, std::size_t pos) {
  if (text.substr(pos, 7) == "http://") return 7;
  if (text.substr(pos, 8) == "https://") return 8;
  return 0;
}

}  // namespace

std::vector<WebLink> find(std::string_view text) {
  std::vector<WebLink> links;
  std::size_t pos = 0;
  while ((pos = text.find("http", pos)) != std::string_view::npos) {
    const std::size_t scheme = schemeLength(text, pos);
    if (scheme == 0 || (pos > 0 && isAsciiAlnum(text[pos - 1])) ||
        !startsHost(text, pos + scheme)) {
      pos += 4;
      continue;
    }
    std::size_t end = pos + scheme;
    while (end < text.size()) {
      const auto byte = static_cast<unsigned char>(text[end]);
      if (byte < 0x80) {
        if (endsUrl(text[end])) break;
        ++end;
      } else {
        std::size_t length = 0;
        if (endsUrl(utf8::decode(text, end, length))) break;
        end += length;
      }
    }
    while (end > pos + scheme) {
      const char last = text[end - 1];
      const std::string_view url = text.substr(pos, end - pos);
      const bool drop = isTrailingPunctuation(last) ||
                        (last == ')' && unbalanced(url, '(', ')')) ||
                        (last == ']' && unbalanced(url, '[', ']'));
      if (!drop) break;
      --end;
    }
    links.push_back(WebLink{pos, end, std::string(text.substr(pos, end - pos))});
    pos = end;
  }
  return links;
}

}  // namespace vesket::viewer::WebLinkDetector
