#pragma once

#include <memory>

#include <qcoro/qcorotask.h>

#include "control_plane/core/cancellation.h"

namespace vesket::control_plane {

// Waits between reconnection attempts. Passed in so that tests can follow the exact
// sequence of states without waiting for real back-off delays.
class Sleeper {
 public:
  virtual ~Sleeper() = default;

  // Completes after `seconds` with true, or as soon as `cancel` fires with false.
  virtual QCoro::Task<bool> sleep(double seconds, CancellationToken cancel) = 0;
};

// Sleeps on the event loop of the calling thread with a precise one-shot timer.
class TimerSleeper : public Sleeper {
 public:
  QCoro::Task<bool> sleep(double seconds, CancellationToken cancel) override;
};

}  // namespace vesket::control_plane
