// Column fitting of the live terminal: the modes offered to the user and the column count
// that fills a canvas.
#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace vesket::viewer {

enum class FitWidthMode { off, fit, cols80, cols120, cols160 };

namespace FitWidthModes {
inline constexpr std::array<FitWidthMode, 5> kAll = {
    FitWidthMode::off, FitWidthMode::fit, FitWidthMode::cols80, FitWidthMode::cols120,
    FitWidthMode::cols160};
// The raw value, e.g. "cols80".
std::string_view id(FitWidthMode mode);
// The text shown in the picker, e.g. "80".
std::string_view label(FitWidthMode mode);
// The fixed column count of the numbered modes; none for `off` and `fit`.
std::optional<int> fixedColumns(FitWidthMode mode);
std::optional<FitWidthMode> fromId(std::string_view id);
}  // namespace FitWidthModes

namespace FitWidth {
inline constexpr int kMinCols = 40;
inline constexpr int kMaxCols = 400;
// floor(canvasWidth / charWidth) clamped to 40..400; none when either is not positive.
std::optional<int> cols(double canvasWidth, double charWidth);
}  // namespace FitWidth

}  // namespace vesket::viewer
