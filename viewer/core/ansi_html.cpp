#include "viewer/core/ansi_html.h"

#include <algorithm>
#include <cmath>

#include "viewer/core/ansi_styled_text.h"

namespace vesket::viewer::AnsiHtml {

namespace {

void appendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\n': out += "<br/>"; break;
      default: out.push_back(c);
    }
  }
}

}  // namespace

std::string hexColor(const AnsiRgb& rgb) {
  auto channel = [](double value) {
    return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
  };
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "#";
  for (double value : {rgb.red, rgb.green, rgb.blue}) {
    const int byte = channel(value);
    out.push_back(kDigits[byte >> 4]);
    out.push_back(kDigits[byte & 15]);
  }
  return out;
}

std::string fromAnsi(std::string_view text, const AnsiHtmlOptions& options) {
  const AnsiPalette& palette = options.onDarkCanvas ? AnsiPalette::dark() : AnsiPalette::light();
  const AnsiStyledText styled(text, palette, options.onDarkCanvas, options.detectLinks);

  std::string out;
  out.reserve(styled.plain().size() * 2 + 64);
  out += "<span style=\"white-space:pre-wrap\">";
  styled.forEachSegment([&](const AnsiSegment& segment) {
    const AnsiRgb color = segment.link           ? options.accentColor
                          : segment.style.color ? segment.style.color->resolved(options.darkAppearance)
                                                : options.defaultForeground;
    if (segment.link) {
      out += "<a href=\"";
      appendEscaped(out, segment.link->url);
      out += "\">";
    }
    out += "<span style=\"color:";
    out += hexColor(color);
    if (segment.style.bold) out += ";font-weight:bold";
    if (segment.link) out += ";text-decoration:underline";
    out += "\">";
    appendEscaped(out, segment.text);
    out += "</span>";
    if (segment.link) out += "</a>";
  });
  out += "</span>";
  return out;
}

}  // namespace vesket::viewer::AnsiHtml
