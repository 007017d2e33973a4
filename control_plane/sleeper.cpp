#include "control_plane/sleeper.h"

#include <QTimer>

#include "control_plane/resume_once.h"

namespace vesket::control_plane {

QCoro::Task<bool> TimerSleeper::sleep(double seconds, CancellationToken cancel) {
  ResumeOnce<bool> once;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, [&once] { once.resumeValue(true); });
  once.onResume = [&timer] { timer.stop(); };
  auto registration = cancel.onCancel([&once] { once.resumeValue(false); });
  if (!once.isResolved()) timer.start(static_cast<int>(seconds * 1000.0));
  co_return co_await once.wait();
}

}  // namespace vesket::control_plane
