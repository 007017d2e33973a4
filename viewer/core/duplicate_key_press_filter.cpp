#include "viewer/core/duplicate_key_press_filter.h"

#include <algorithm>
#include <cmath>

namespace vesket::viewer {

double DuplicateKeyPressFilter::thresholdForRepeatInterval(double repeatIntervalSeconds) {
  const double ms = repeatIntervalSeconds * 1000.0 * 0.5;
  if (std::isnan(ms)) return 8;
  return std::clamp(ms, 8.0, 20.0);
}

bool DuplicateKeyPressFilter::admit(const std::string& bytes, double nowMs, bool isRepeat) {
  if (!isRepeat && last && last->bytes == bytes) {
    const double elapsed = nowMs - last->atMs;
    if (elapsed >= 0 && elapsed < thresholdMs) return false;
  }
  last = LastEmission{bytes, nowMs, std::string(rawEncoderSender), isRepeat};
  return true;
}

}  // namespace vesket::viewer
