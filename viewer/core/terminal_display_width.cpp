#include "viewer/core/terminal_display_width.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

#include "viewer/core/utf8_text.h"

namespace vesket::viewer::TerminalDisplayWidth {

namespace {

struct Range {
  char32_t first;
  char32_t last;
};

// Sorted, non-overlapping.
constexpr std::array<Range, 14> kZeroWidth = {{
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A},
    {0x064B, 0x065F}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
    {0x2060, 0x2064}, {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F},
    {0xE0001, 0xE007F}, {0xE0100, 0xE01EF},
}};

// Sorted, non-overlapping.
constexpr std::array<Range, 24> kWide = {{
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x23F0, 0x23F0},   {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},
    {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},
    {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE30, 0xFE4F},
    {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF},
    {0x1F900, 0x1F9FF}, {0x1FA70, 0x1FAFF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
}};

template <std::size_t N>
bool inRanges(const std::array<Range, N>& ranges, char32_t scalar) {
  const auto it = std::upper_bound(ranges.begin(), ranges.end(), scalar,
                                   [](char32_t value, const Range& r) { return value < r.first; });
  return it != ranges.begin() && scalar <= std::prev(it)->last;
}

}  // namespace

int ofScalar(char32_t scalar) {
  if (scalar < 0x20 || (scalar >= 0x7F && scalar < 0xA0)) return 0;
  if (inRanges(kZeroWidth, scalar)) return 0;
  if (inRanges(kWide, scalar)) return 2;
  return 1;
}

int of(std::string_view text) {
  int width = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t length = 1;
    width += ofScalar(utf8::decode(text, pos, length));
    pos += length;
  }
  return width;
}

}  // namespace vesket::viewer::TerminalDisplayWidth
