// The colours the ANSI parser paints with. A colour is "dynamic": it holds one value for a
// dark appearance and one for a light appearance, and the view resolves it when it draws;
// fixed colours hold the same value twice.
#pragma once

#include <optional>

namespace vesket::viewer {

// An sRGB colour, channels 0..1.
struct AnsiRgb {
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 1;
  bool operator==(const AnsiRgb&) const = default;
  static constexpr AnsiRgb grey(double level) { return {level, level, level, 1}; }
};

struct AnsiColor {
  AnsiRgb dark;   // under a dark appearance
  AnsiRgb light;  // under a light appearance

  static constexpr AnsiColor fixed(AnsiRgb rgb) { return {rgb, rgb}; }
  const AnsiRgb& resolved(bool darkAppearance) const { return darkAppearance ? dark : light; }
  bool isDynamic() const { return !(dark == light); }
  bool operator==(const AnsiColor&) const = default;
};

struct AnsiPalette {
  AnsiColor black, red, green, yellow, blue, magenta, cyan, white;
  AnsiColor brightBlack, brightRed, brightGreen, brightYellow, brightBlue, brightMagenta,
      brightCyan, brightWhite;
  AnsiColor dim;

  // Pastel colours for text on a dark canvas.
  static const AnsiPalette& dark();
  // Deep colours for text on a light canvas (white and bright white are dark greys there).
  static const AnsiPalette& light();
  // Each field follows the appearance: the dark palette's colour under a dark appearance,
  // the light palette's otherwise.
  static const AnsiPalette& adaptive();

  // Foreground codes 30..37 and 90..97; none for any other code.
  std::optional<AnsiColor> colorForSGR(long long code) const;

  bool operator==(const AnsiPalette&) const = default;
};

}  // namespace vesket::viewer
