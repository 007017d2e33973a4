// The ANSI walk's result laid out for a builder: the plain text, the styled runs placed in
// it, and the web links found over it. Builders walk the segments (a run's text cut at link
// boundaries) and turn each into their own format, so link marking never has to map
// offsets between text encodings afterwards.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "viewer/core/ansi_parser.h"
#include "viewer/core/web_link_detector.h"

namespace vesket::viewer {

struct AnsiSegment {
  std::string_view text;
  AnsiRunStyle style;
  const WebLink* link = nullptr;  // the link the segment belongs to, if any
};

class AnsiStyledText {
 public:
  AnsiStyledText(std::string_view text, const AnsiPalette& palette, bool onDarkCanvas,
                 bool detectLinks);

  const std::string& plain() const { return m_plain; }
  const std::vector<WebLink>& links() const { return m_links; }
  std::size_t runCount() const { return m_runs.size(); }

  void forEachSegment(const std::function<void(const AnsiSegment&)>& visit) const;

 private:
  struct PlacedRun {
    std::size_t begin;
    std::size_t length;
    AnsiRunStyle style;
  };

  std::string m_plain;
  std::vector<PlacedRun> m_runs;
  std::vector<WebLink> m_links;
};

}  // namespace vesket::viewer
