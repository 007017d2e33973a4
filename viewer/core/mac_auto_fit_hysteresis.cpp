#include "viewer/core/mac_auto_fit_hysteresis.h"

namespace vesket::viewer {

bool MacAutoFitHysteresis::evaluate(bool canEngage, bool canHold, double now) {
  if (engaged) {
    if (canHold) return true;
    engaged = false;
    candidateSince.reset();
    return false;
  }
  if (!canEngage) {
    candidateSince.reset();
    return false;
  }
  if (!candidateSince) candidateSince = now;
  const bool heldLongEnough = now - *candidateSince >= kCandidateSeconds;
  const bool restedLongEnough = !lastEngageAt || now - *lastEngageAt >= kReengageSeconds;
  if (heldLongEnough && restedLongEnough) {
    engaged = true;
    lastEngageAt = now;
  }
  return engaged;
}

}  // namespace vesket::viewer
