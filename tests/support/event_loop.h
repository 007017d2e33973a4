#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

namespace vesket::testing {

// Runs the event loop until `done` holds or the time runs out; returns whether it held.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::usleep(200);
  }
  return true;
}

// Runs the event loop for a while (only where nothing can be awaited: proving that
// something does NOT happen).
inline void spinFor(int ms) {
  QDeadlineTimer deadline(ms);
  while (!deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}  // namespace vesket::testing
