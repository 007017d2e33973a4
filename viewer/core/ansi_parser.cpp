#include "viewer/core/ansi_parser.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "viewer/core/ansi_contrast.h"
#include "viewer/core/utf8_text.h"

namespace vesket::viewer::AnsiParser {

namespace {

constexpr char kEsc = '\x1B';
constexpr char kBel = '\x07';

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The end of the escape sequence starting at `pos` (an ESC), or 0 when none starts there.
std::size_t matchAt(std::string_view text, std::size_t pos) {
  const std::size_t n = text.size();
  if (pos + 1 >= n) return 0;
  if (text[pos + 1] == '[') {
    std::size_t j = pos + 2;
    while (j < n && ((text[j] >= '0' && text[j] <= '9') || text[j] == ';')) ++j;
    return j < n && isAsciiLetter(text[j]) ? j + 1 : 0;
  }
  if (text[pos + 1] == ']') {
    std::size_t j = pos + 2;
    while (j < n && text[j] != kBel && text[j] != kEsc) ++j;
    if (j >= n) return 0;
    if (text[j] == kBel) return j + 1;
    return j + 1 < n && text[j + 1] == '\\' ? j + 2 : 0;
  }
  return 0;
}

struct SgrState {
  bool bold = false;
  bool dim = false;
  std::optional<AnsiColor> foreground;
};

// Agents repeat a handful of 24-bit colours thousands of times; each readable colour takes
// a bisection, so one walk remembers the colours it made.
class TrueColorCache {
 public:
  explicit TrueColorCache(bool onDarkCanvas) : m_onDarkCanvas(onDarkCanvas) {}

  AnsiColor get(std::int64_t r, std::int64_t g, std::int64_t b) {
    auto channel = [](std::int64_t c) { return static_cast<std::uint32_t>(std::clamp<std::int64_t>(c, 0, 255)); };
    const std::uint32_t key = channel(r) << 16 | channel(g) << 8 | channel(b);
    for (const auto& [k, color] : m_entries) {
      if (k == key) return color;
    }
    const AnsiColor color = m_onDarkCanvas ? AnsiContrast::darkCanvasTrueColor(r, g, b)
                                           : AnsiContrast::themeAwareTrueColor(r, g, b);
    if (m_entries.size() == kCapacity) m_entries.erase(m_entries.begin());
    m_entries.emplace_back(key, color);
    return color;
  }

 private:
  static constexpr std::size_t kCapacity = 32;
  bool m_onDarkCanvas;
  std::vector<std::pair<std::uint32_t, AnsiColor>> m_entries;
};

void applySgr(std::string_view params, const AnsiPalette& palette, TrueColorCache& trueColors,
              SgrState& state, std::vector<std::int64_t>& codes) {
  codes.clear();
  std::size_t start = 0;
  while (start <= params.size()) {
    std::size_t stop = params.find(';', start);
    if (stop == std::string_view::npos) stop = params.size();
    if (stop > start) {
      if (auto code = utf8::parseInteger(params.substr(start, stop - start))) {
        codes.push_back(*code);
      }
    }
    start = stop + 1;
  }
  if (codes.empty()) codes.push_back(0);

  const std::size_t n = codes.size();
  std::size_t i = 0;
  while (i < n) {
    const std::int64_t code = codes[i];
    if (code == 38 || code == 48) {
      if (i + 1 < n && codes[i + 1] == 2 && i + 4 < n) {
        if (code == 38) state.foreground = trueColors.get(codes[i + 2], codes[i + 3], codes[i + 4]);
        i += 5;
      } else if (i + 1 < n && codes[i + 1] == 5) {
        i += 3;  // 256-colour form: read and ignored
      } else {
        i += 1;
      }
      continue;
    }
    switch (code) {
      case 0:
        state = SgrState{};
        break;
      case 1:
        state.bold = true;
        break;
      case 2:
        state.dim = true;
        break;
      case 22:
        state.bold = false;
        state.dim = false;
        break;
      case 39:
        state.foreground.reset();
        break;
      default:
        if (auto color = palette.colorForSGR(code)) state.foreground = *color;
        break;
    }
    ++i;
  }
}

}  // namespace

std::optional<EscapeMatch> findEscape(std::string_view text, std::size_t from) {
  while (from < text.size()) {
    const void* hit = std::memchr(text.data() + from, kEsc, text.size() - from);
    if (hit == nullptr) return std::nullopt;
    const auto pos = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    if (const std::size_t end = matchAt(text, pos)) return EscapeMatch{pos, end};
    from = pos + 1;
  }
  return std::nullopt;
}

std::string stripAnsi(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t cursor = 0;
  while (auto match = findEscape(text, cursor)) {
    out.append(text.substr(cursor, match->begin - cursor));
    cursor = match->end;
  }
  out.append(text.substr(cursor));
  return out;
}

std::string normalizeLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t cursor = 0;
  while (cursor < text.size()) {
    std::size_t cr = text.find('\r', cursor);
    if (cr == std::string_view::npos) cr = text.size();
    out.append(text.substr(cursor, cr - cursor));
    cursor = cr + 1;
  }
  return out;
}

std::string plainText(std::string_view text) { return stripAnsi(normalizeLineEnds(text)); }

void walk(std::string_view text, const AnsiPalette& palette, bool onDarkCanvas,
          const RunSink& emit) {
  SgrState state;
  AnsiRunStyle style;
  std::vector<std::int64_t> codes;
  TrueColorCache trueColors(onDarkCanvas);
  auto restyle = [&] {
    style.bold = state.bold;
    style.dim = state.dim;
    style.color = state.dim ? std::optional<AnsiColor>(palette.dim) : state.foreground;
  };
  std::size_t cursor = 0;
  while (auto match = findEscape(text, cursor)) {
    if (match->begin > cursor) emit(text.substr(cursor, match->begin - cursor), style);
    cursor = match->end;
    if (text[match->end - 1] == 'm' && text[match->begin + 1] == '[') {
      applySgr(text.substr(match->begin + 2, match->end - match->begin - 3), palette,
               trueColors, state, codes);
      restyle();
    }
  }
  if (cursor < text.size()) emit(text.substr(cursor), style);
}

std::vector<AnsiRun> styledRuns(std::string_view text, const AnsiPalette& palette,
                                bool onDarkCanvas) {
  const std::string normalized = normalizeLineEnds(text);
  std::vector<AnsiRun> runs;
  walk(normalized, palette, onDarkCanvas, [&](std::string_view piece, const AnsiRunStyle& style) {
    runs.push_back(AnsiRun{std::string(piece), style});
  });
  return runs;
}

}  // namespace vesket::viewer::AnsiParser
