#include "viewer/core/ansi_contrast.h"

#include <algorithm>
#include <cmath>

namespace vesket::viewer::AnsiContrast {

namespace {

constexpr int kBisectionRounds = 14;

double linearise(double c) {
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double unit(std::int64_t channel) {
  return static_cast<double>(std::clamp<std::int64_t>(channel, 0, 255)) / 255.0;
}

}  // namespace

double relativeLuminance(double r, double g, double b) {
  return 0.2126 * linearise(r) + 0.7152 * linearise(g) + 0.0722 * linearise(b);
}

AnsiColor darkCanvasTrueColor(std::int64_t r8, std::int64_t g8, std::int64_t b8) {
  const double r = unit(r8), g = unit(g8), b = unit(b8);
  const double target = (darkCanvasLuminance + 0.05) * 3.0 - 0.05;
  if (relativeLuminance(r, g, b) >= target) return AnsiColor::fixed({r, g, b, 1});
  auto lift = [](double c, double t) { return c + (1 - c) * t; };
  double low = 0, high = 1;
  for (int round = 0; round < kBisectionRounds; ++round) {
    const double mid = (low + high) / 2;
    if (relativeLuminance(lift(r, mid), lift(g, mid), lift(b, mid)) < target) {
      low = mid;
    } else {
      high = mid;
    }
  }
  return AnsiColor::fixed({lift(r, high), lift(g, high), lift(b, high), 1});
}

AnsiColor themeAwareTrueColor(std::int64_t r8, std::int64_t g8, std::int64_t b8) {
  const double r = unit(r8), g = unit(g8), b = unit(b8);
  const AnsiRgb original{r, g, b, 1};
  const double target = (lightCanvasLuminance + 0.05) / 4.5 - 0.05;
  if (relativeLuminance(r, g, b) <= target) return {original, original};
  double low = 0, high = 1;
  for (int round = 0; round < kBisectionRounds; ++round) {
    const double mid = (low + high) / 2;
    if (relativeLuminance(r * mid, g * mid, b * mid) > target) {
      high = mid;
    } else {
      low = mid;
    }
  }
  return {original, AnsiRgb{r * low, g * low, b * low, 1}};
}

}  // namespace vesket::viewer::AnsiContrast
