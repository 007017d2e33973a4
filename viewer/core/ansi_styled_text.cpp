#include "viewer/core/ansi_styled_text.h"

#include <algorithm>

namespace vesket::viewer {

AnsiStyledText::AnsiStyledText(std::string_view text, const AnsiPalette& palette,
                               bool onDarkCanvas, bool detectLinks) {
  const std::string normalized = AnsiParser::normalizeLineEnds(text);
  m_plain.reserve(normalized.size());
  AnsiParser::walk(normalized, palette, onDarkCanvas,
                   [this](std::string_view piece, const AnsiRunStyle& style) {
                     m_runs.push_back(PlacedRun{m_plain.size(), piece.size(), style});
                     m_plain.append(piece);
                   });
  if (detectLinks) m_links = WebLinkDetector::find(m_plain);
}

void AnsiStyledText::forEachSegment(const std::function<void(const AnsiSegment&)>& visit) const {
  const std::string_view plain = m_plain;
  std::size_t nextLink = 0;
  for (const PlacedRun& run : m_runs) {
    std::size_t at = run.begin;
    const std::size_t runEnd = run.begin + run.length;
    while (at < runEnd) {
      while (nextLink < m_links.size() && m_links[nextLink].end <= at) ++nextLink;
      const WebLink* link = nullptr;
      std::size_t stop = runEnd;
      if (nextLink < m_links.size()) {
        const WebLink& candidate = m_links[nextLink];
        if (candidate.begin <= at) {
          link = &candidate;
          stop = std::min(stop, candidate.end);
        } else {
          stop = std::min(stop, candidate.begin);
        }
      }
      visit(AnsiSegment{plain.substr(at, stop - at), run.style, link});
      at = stop;
    }
  }
}

}  // namespace vesket::viewer
