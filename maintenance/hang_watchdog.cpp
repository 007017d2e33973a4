#include "maintenance/hang_watchdog.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>

#include <chrono>

#include "shell/desktop_isolation.h"

namespace vesket::maintenance {

HangWatchdog::HangWatchdog(Options options) : m_options(std::move(options)) {
  if (m_options.logPath.isEmpty()) {
    m_options.logPath = shell::DesktopIsolation::stateDirectory() + QStringLiteral("/logs/diagnostics-hang.log");
  }
  m_reports = std::make_unique<CrashReportManager>(m_options.reports);
  m_lastPong = nowSeconds();
  m_watchdogThread.setObjectName(QStringLiteral("com.nimbrel.vesket-status.hang-watchdog"));
  m_captureThread.setObjectName(QStringLiteral("com.nimbrel.vesket-status.hang-capture"));
}

HangWatchdog::~HangWatchdog() { stop(); }

HangWatchdog& HangWatchdog::shared(const Options& options) {
  static HangWatchdog* watchdog = new HangWatchdog(options);  // lives as long as the process
  return *watchdog;
}

double HangWatchdog::nowSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void HangWatchdog::start() {
  if (m_started.exchange(true)) return;
  m_timerOwner = new QObject;
  m_timerOwner->moveToThread(&m_watchdogThread);
  m_captureOwner = new QObject;
  m_captureOwner->moveToThread(&m_captureThread);
  QObject::connect(&m_watchdogThread, &QThread::finished, m_timerOwner, &QObject::deleteLater);
  QObject::connect(&m_captureThread, &QThread::finished, m_captureOwner, &QObject::deleteLater);
  m_captureThread.start(QThread::LowPriority);
  m_watchdogThread.start();
  QMetaObject::invokeMethod(m_timerOwner, [this] {
    auto* timer = new QTimer(m_timerOwner);
    timer->setTimerType(Qt::PreciseTimer);
    timer->setInterval(250);
    QObject::connect(timer, &QTimer::timeout, m_timerOwner, [this] { tick(); });
    timer->start();
  });
}

void HangWatchdog::stop() {
  *m_alive = false;
  m_watchdogThread.quit();
  m_watchdogThread.wait();
  m_captureThread.quit();
  m_captureThread.wait();
}

void HangWatchdog::tick() {
  // The pong runs on the UI thread whenever it gets to it.
  if (auto* application = QCoreApplication::instance()) {
    auto alive = m_alive;
    QMetaObject::invokeMethod(
        application,
        [this, alive] {
          if (!*alive) return;
          std::lock_guard lock(m_pongLock);
          m_lastPong = nowSeconds();
        },
        Qt::QueuedConnection);
  }
  double lastPong;
  {
    std::lock_guard lock(m_pongLock);
    lastPong = m_lastPong;
  }
  const double now = nowSeconds();
  const auto event = m_detector.tick(now, lastPong);
  if (event.kind == HangDetectorCore::Event::Kind::capture) {
    m_capturedEpisode = true;
    const auto ms = static_cast<std::int64_t>(event.seconds * 1000);
    QMetaObject::invokeMethod(m_captureOwner, [this, ms] { capture(ms); });
  } else if (event.kind == HangDetectorCore::Event::Kind::ended && m_capturedEpisode.exchange(false)) {
    appendLog(QStringLiteral("===== MAIN-THREAD HANG ENDED after %1 ms\n").arg(qint64(event.seconds * 1000)));
  }
}

void HangWatchdog::appendLog(const QString& text) {
  std::lock_guard lock(m_logLock);
  QDir().mkpath(QFileInfo(m_options.logPath).absolutePath());
  QFile log(m_options.logPath);
  if (!log.open(QIODevice::Append)) return;
  log.write(text.toUtf8());
}

std::optional<QString> HangWatchdog::sampleProcess(qint64 pid, QString* why) {
  const QString gdb = QStandardPaths::findExecutable(QStringLiteral("gdb"));
  if (gdb.isEmpty()) {
    if (why) *why = QStringLiteral("gdb is not installed");
    return std::nullopt;
  }
  QTemporaryFile output(QDir::tempPath() + QStringLiteral("/vesket-hang-XXXXXX.sample.txt"));
  if (!output.open()) {
    if (why) *why = QStringLiteral("no temporary file for the sample");
    return std::nullopt;
  }
  QProcess process;
  process.setStandardOutputFile(output.fileName());
  process.setStandardInputFile(QProcess::nullDevice());
  process.start(gdb, {QStringLiteral("-batch"), QStringLiteral("-nx"), QStringLiteral("-p"), QString::number(pid),
                      QStringLiteral("-ex"), QStringLiteral("thread apply all bt")});
  if (!process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished(2000);
    if (why) *why = QStringLiteral("gdb did not finish within 30 s");
    return std::nullopt;
  }
  const QByteArray text = output.readAll();
  if (!text.contains("Thread ")) {
    if (why) *why = QStringLiteral("gdb could not attach: ") + QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    return std::nullopt;
  }
  const QString executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  return QString::fromStdString(CrashReportCore::callGraphFromGdb(text.toStdString(), pid, executable.toStdString()));
}

void HangWatchdog::capture(std::int64_t unresponsiveMs) {
  const qint64 pid = ::getpid();
  QString why;
  const auto sample = sampleProcess(pid, &why);
  QString block = QStringLiteral("===== MAIN-THREAD HANG DETECTED at %1 (unresponsive \u2265%2ms, pid %3, version %4)\n")
                      .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs))
                      .arg(unresponsiveMs)
                      .arg(pid)
                      .arg(QCoreApplication::applicationVersion());
  block += sample ? *sample : QStringLiteral("(no sample: %1)\n").arg(why);
  appendLog(block);
  m_reports->enqueueHangReport(sample, unresponsiveMs);
}

}  // namespace vesket::maintenance
