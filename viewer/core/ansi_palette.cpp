#include "viewer/core/ansi_palette.h"

namespace vesket::viewer {

namespace {

constexpr AnsiColor c(double r, double g, double b) { return AnsiColor::fixed({r, g, b, 1}); }
constexpr AnsiColor grey(double level) { return AnsiColor::fixed(AnsiRgb::grey(level)); }

constexpr AnsiPalette kDark{
    grey(0.7),           c(1.0, 0.5, 0.5),    c(0.45, 0.95, 0.45), c(0.95, 0.85, 0.45),
    c(0.6, 0.75, 1.0),   c(0.95, 0.6, 1.0),   c(0.45, 0.95, 1.0),  grey(1.0),
    grey(0.75),          c(1.0, 0.55, 0.55),  c(0.55, 1.0, 0.55),  c(1.0, 1.0, 0.55),
    c(0.65, 0.8, 1.0),   c(1.0, 0.65, 1.0),   c(0.6, 1.0, 1.0),    grey(1.0),
    grey(0.55)};

constexpr AnsiPalette kLight{
    grey(0.18),          c(0.72, 0.11, 0.11), c(0.12, 0.5, 0.18),  c(0.6, 0.44, 0.0),
    c(0.11, 0.37, 0.82), c(0.66, 0.16, 0.6),  c(0.07, 0.5, 0.54),  grey(0.28),
    grey(0.36),          c(0.8, 0.16, 0.16),  c(0.16, 0.46, 0.2),  c(0.66, 0.48, 0.0),
    c(0.1, 0.42, 0.88),  c(0.7, 0.18, 0.64),  c(0.06, 0.45, 0.49), grey(0.16),
    grey(0.36)};

constexpr AnsiColor mix(const AnsiColor& dark, const AnsiColor& light) {
  return {dark.dark, light.light};
}

constexpr AnsiPalette makeAdaptive() {
  return {mix(kDark.black, kLight.black),
          mix(kDark.red, kLight.red),
          mix(kDark.green, kLight.green),
          mix(kDark.yellow, kLight.yellow),
          mix(kDark.blue, kLight.blue),
          mix(kDark.magenta, kLight.magenta),
          mix(kDark.cyan, kLight.cyan),
          mix(kDark.white, kLight.white),
          mix(kDark.brightBlack, kLight.brightBlack),
          mix(kDark.brightRed, kLight.brightRed),
          mix(kDark.brightGreen, kLight.brightGreen),
          mix(kDark.brightYellow, kLight.brightYellow),
          mix(kDark.brightBlue, kLight.brightBlue),
          mix(kDark.brightMagenta, kLight.brightMagenta),
          mix(kDark.brightCyan, kLight.brightCyan),
          mix(kDark.brightWhite, kLight.brightWhite),
          mix(kDark.dim, kLight.dim)};
}

constexpr AnsiPalette kAdaptive = makeAdaptive();

}  // namespace

const AnsiPalette& AnsiPalette::dark() { return kDark; }
const AnsiPalette& AnsiPalette::light() { return kLight; }
const AnsiPalette& AnsiPalette::adaptive() { return kAdaptive; }

std::optional<AnsiColor> AnsiPalette::colorForSGR(long long code) const {
  const AnsiColor* const normal[] = {&black, &red, &green, &yellow, &blue, &magenta, &cyan, &white};
  const AnsiColor* const bright[] = {&brightBlack, &brightRed,     &brightGreen, &brightYellow,
                                     &brightBlue,  &brightMagenta, &brightCyan,  &brightWhite};
  if (code >= 30 && code <= 37) return *normal[code - 30];
  if (code >= 90 && code <= 97) return *bright[code - 90];
  return std::nullopt;
}

}  // namespace vesket::viewer
