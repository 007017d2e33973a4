#pragma once

#include <optional>

namespace vesket::viewer {

// Decides when auto-fit takes over the selected pane's width. Engaging needs the conditions
// to hold for a second, and never comes sooner than five seconds after the last engagement,
// so a window that flickers between states does not keep resizing an agent's pane. Times
// are seconds on a monotonic clock.
struct MacAutoFitHysteresis {
  static constexpr double kCandidateSeconds = 1.0;
  static constexpr double kReengageSeconds = 5.0;

  bool engaged = false;
  std::optional<double> candidateSince;
  std::optional<double> lastEngageAt;

  // Updates the state for this tick and gives whether auto-fit is engaged.
  bool evaluate(bool canEngage, bool canHold, double now);
};

// The conditions the ticker feeds into the hysteresis.
namespace MacAutoFitGate {

inline bool shouldHoldAutoFit(bool enabled, bool surfaceActive, bool hasSelection) {
  return enabled && surfaceActive && hasSelection;
}
inline bool shouldEngageAutoFit(bool enabled, bool windowForeground, bool surfaceActive, bool hasNonEmptySelection) {
  return enabled && windowForeground && surfaceActive && hasNonEmptySelection;
}

}  // namespace MacAutoFitGate

}  // namespace vesket::viewer
