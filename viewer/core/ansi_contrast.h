// Readable colours for 24-bit SGR colours: agents pick true colours for one background,
// and the pane canvas may have the other. Colours too dark for the dark canvas are lifted
// toward white to 3:1 contrast; colours too light for the light canvas are scaled toward
// black to 4.5:1.
#pragma once

#include <cstdint>

#include "viewer/core/ansi_palette.h"

namespace vesket::viewer::AnsiContrast {

// Relative luminances of the light and dark canvas backgrounds.
inline constexpr double lightCanvasLuminance = 0.9346950799088632;
inline constexpr double darkCanvasLuminance = 0.011746611358276456;

// WCAG 2 relative luminance of an sRGB colour, channels 0..1.
double relativeLuminance(double r, double g, double b);

// Channels 0..255 (clamped). A fixed colour readable on the dark canvas.
AnsiColor darkCanvasTrueColor(std::int64_t r, std::int64_t g, std::int64_t b);

// Channels 0..255 (clamped). Under a dark appearance the colour itself; under a light one,
// the colour darkened until it reads on the light canvas.
AnsiColor themeAwareTrueColor(std::int64_t r, std::int64_t g, std::int64_t b);

}  // namespace vesket::viewer::AnsiContrast
