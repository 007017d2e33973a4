#pragma once

#include <QString>
#include <QThread>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

#include "maintenance/core/crash_report_core.h"
#include "maintenance/crash_report_manager.h"

class QObject;

namespace vesket::maintenance {

// Watches the UI thread for hangs: every 0.25 s a thread of its own posts a "pong" to the UI
// thread and feeds the detector the time of the last pong it got. A hang of 1 s or more is
// captured at most once per 30 s: a block in diagnostics-hang.log, a sample of every thread
// taken with gdb (skipped, with a log line, when gdb is not installed) and a hang record in
// the spool (at most one per 120 s). Captures run on a second thread so a slow sampler never
// delays the next tick.
class HangWatchdog {
 public:
  struct Options {
    CrashReportManager::Options reports;
    QString logPath;  // empty: $XDG_STATE_HOME/vesket/logs/diagnostics-hang.log
  };

  explicit HangWatchdog(Options options);
  ~HangWatchdog();
  HangWatchdog(const HangWatchdog&) = delete;
  HangWatchdog& operator=(const HangWatchdog&) = delete;

  // The process's watchdog, made by the first call with its options.
  static HangWatchdog& shared(const Options& options = {});

  // Starts watching (from the UI thread); later calls do nothing.
  void start();
  // Stops and waits for a capture in progress (tests; the shared one runs for the process).
  void stop();

  const QString& logPath() const { return m_options.logPath; }

  // A sample of every thread of process `pid` as the sampler's call-graph text; nothing
  // when gdb is missing or failed (`why` says which).
  static std::optional<QString> sampleProcess(qint64 pid, QString* why = nullptr);

 private:
  void tick();
  void capture(std::int64_t unresponsiveMs);
  void appendLog(const QString& text);
  static double nowSeconds();

  Options m_options;
  std::unique_ptr<CrashReportManager> m_reports;
  QThread m_watchdogThread;
  QThread m_captureThread;
  QObject* m_timerOwner = nullptr;
  QObject* m_captureOwner = nullptr;
  HangDetectorCore m_detector;
  std::mutex m_pongLock;
  double m_lastPong = 0;
  std::mutex m_logLock;
  std::atomic<bool> m_capturedEpisode{false};
  std::atomic<bool> m_started{false};
  std::shared_ptr<std::atomic<bool>> m_alive = std::make_shared<std::atomic<bool>>(true);
};

}  // namespace vesket::maintenance
