#include "viewer/core/fit_width.h"

#include <algorithm>
#include <cmath>

namespace vesket::viewer {

namespace FitWidthModes {

std::string_view id(FitWidthMode mode) {
  switch (mode) {
    case FitWidthMode::off: return "off";
    case FitWidthMode::fit: return "fit";
    case FitWidthMode::cols80: return "cols80";
    case FitWidthMode::cols120: return "cols120";
    case FitWidthMode::cols160: return "cols160";
  }
  return {};
}

std::string_view label(FitWidthMode mode) {
  switch (mode) {
    case FitWidthMode::off: return "Off";
    case FitWidthMode::fit: return "Fit";
    case FitWidthMode::cols80: return "80";
    case FitWidthMode::cols120: return "120";
    case FitWidthMode::cols160: return "160";
  }
  return {};
}

std::optional<int> fixedColumns(FitWidthMode mode) {
  switch (mode) {
    case FitWidthMode::cols80: return 80;
    case FitWidthMode::cols120: return 120;
    case FitWidthMode::cols160: return 160;
    case FitWidthMode::off:
    case FitWidthMode::fit: return std::nullopt;
  }
  return std::nullopt;
}

std::optional<FitWidthMode> fromId(std::string_view text) {
  for (FitWidthMode mode : kAll) {
    if (id(mode) == text) return mode;
  }
  return std::nullopt;
}

}  // namespace FitWidthModes

namespace FitWidth {

std::optional<int> cols(double canvasWidth, double charWidth) {
  // Written so that NaN is rejected too.
  if (!(canvasWidth > 0) || !(charWidth > 0)) return std::nullopt;
  const double columns = std::floor(canvasWidth / charWidth);
  return static_cast<int>(std::clamp(columns, double(kMinCols), double(kMaxCols)));
}

}  // namespace FitWidth

}  // namespace vesket::viewer
