#include "viewer/core/ansi_html.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "viewer/core/ansi_parser.h"
#include "viewer/core/web_link_detector.h"

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

struct PlacedRun {
  std::size_t begin;  // offset in the plain text
  std::string_view text;
  AnsiRunStyle style;
};

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
  const std::string normalized = AnsiParser::normalizeLineEnds(text);

  std::vector<PlacedRun> runs;
  std::string plain;
  AnsiParser::walk(normalized, palette, options.onDarkCanvas,
                   [&](std::string_view piece, const AnsiRunStyle& style) {
                     runs.push_back(PlacedRun{plain.size(), piece, style});
                     plain.append(piece);
                   });
  const std::vector<WebLink> links =
      options.detectLinks ? WebLinkDetector::find(plain) : std::vector<WebLink>{};

  std::string out;
  out.reserve(plain.size() * 2 + 64);
  out += "<span style=\"white-space:pre-wrap\">";
  auto openSpan = [&](const AnsiRunStyle& style, bool link) {
    const AnsiRgb color = link ? options.accentColor
                               : style.color ? style.color->resolved(options.darkAppearance)
                                             : options.defaultForeground;
    out += "<span style=\"color:";
    out += hexColor(color);
    if (style.bold) out += ";font-weight:bold";
    if (link) out += ";text-decoration:underline";
    out += "\">";
  };

  std::size_t nextLink = 0;
  for (const PlacedRun& run : runs) {
    std::size_t offset = 0;
    while (offset < run.text.size()) {
      const std::size_t at = run.begin + offset;
      while (nextLink < links.size() && links[nextLink].end <= at) ++nextLink;
      const WebLink* link = nextLink < links.size() && links[nextLink].begin <= at
                                ? &links[nextLink]
                                : nullptr;
      std::size_t stop = run.text.size();
      if (link) {
        stop = std::min(stop, link->end - run.begin);
      } else if (nextLink < links.size()) {
        stop = std::min(stop, links[nextLink].begin - run.begin);
      }
      if (link) {
        out += "<a href=\"";
        appendEscaped(out, link->url);
        out += "\">";
      }
      openSpan(run.style, link != nullptr);
      appendEscaped(out, run.text.substr(offset, stop - offset));
      out += "</span>";
      if (link) out += "</a>";
      offset = stop;
    }
  }
  out += "</span>";
  return out;
}

}  // namespace vesket::viewer::AnsiHtml
