// Paces the automatic repeats of a held key, so that holding an arrow or backspace does not
// flood a remote pane faster than it can redraw.
#pragma once

#include <optional>
#include <string_view>

namespace vesket::viewer {

// The setting that holds the minimum interval between repeats, in milliseconds.
inline constexpr std::string_view kHeldKeyRepeatIntervalSetting = "durnvale.heldKeyRepeatIntervalMs";

struct HeldKeyRepeatThrottle {
  static constexpr double defaultIntervalMs = 80;

  std::optional<double> lastRepeatEmissionMs;
  double minIntervalMs = defaultIntervalMs;

  // The setting's value when positive, else 80; clamped to 1..500 ms.
  static double intervalFromSetting(std::optional<double> settingValue);

  // False drops an automatic repeat that comes too soon after the last one sent. A press
  // that is not a repeat always passes and starts the pacing afresh.
  bool admit(bool isRepeat, double nowMs);
};

}  // namespace vesket::viewer
