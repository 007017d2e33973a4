#include "viewer/core/held_key_repeat_throttle.h"

#include <algorithm>

namespace vesket::viewer {

double HeldKeyRepeatThrottle::intervalFromSetting(std::optional<double> settingValue) {
  const double value =
      settingValue && *settingValue > 0 ? *settingValue
                                                                        : defaultIntervalMs;
  return std::clamp(value, 1.0, 500.0);
}

bool HeldKeyRepeatThrottle::admit(bool isRepeat, double nowMs) {
  if (!isRepeat) {
    lastRepeatEmissionMs.reset();
    return true;
  }
  if (lastRepeatEmissionMs) {
    const double elapsed = nowMs - *lastRepeatEmissionMs;
    if (elapsed >= 0 && elapsed < minIntervalMs) return false;
  }
  lastRepeatEmissionMs = nowMs;
  return true;
}

}  // namespace vesket::viewer
