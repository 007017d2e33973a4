#include "control_plane/core/connection_state.h"

#include <algorithm>
#include <cmath>

namespace vesket::control_plane {

std::string ConnectionState::debugName() const {
  switch (kind) {
    case Kind::idle: return "idle";
    case Kind::connecting: return "connecting";
    case Kind::connected: return "connected";
    case Kind::unavailable: return "unavailable";
    case Kind::reconnecting: return "reconnecting(" + std::to_string(attempt) + ")";
  }
  return "unknown";
}

double BackoffSchedule::delay(int attempt) const {
  if (attempt < 1) return base;
  const double value = base * std::ldexp(1.0, std::min(attempt, 30));
  return value < cap ? value : cap;
}

}  // namespace vesket::control_plane
