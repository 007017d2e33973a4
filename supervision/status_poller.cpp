#include "supervision/status_poller.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QtConcurrent/QtConcurrent>

#include <qcoro/qcorofuture.h>
#include <qcoro/qcorotimer.h>

#include "control_plane/control_plane_client.h"
#include "maintenance/crash_report_manager.h"
#include "shell/desktop_isolation.h"
#include "shell/settings_key.h"
#include "shell/settings_store.h"
#include "supervision/daemon_cli.h"

namespace vesket::supervision {
namespace {

// Runs `work` on the thread pool; awaiting the future resumes on the UI thread with its
// result. Keep the future in a variable before awaiting it: g++ 12 may destroy a temporary
// with captures twice when it is built inside a co_await expression.
template <typename Work>
auto offUiThread(Work work) {
  return QtConcurrent::run(std::move(work));
}

// The search path of the post-provision tasks: the system's and the usual local tool folders.
constexpr const char* kPostProvisionPath = "/opt/homebrew/bin:/opt/homebrew/sbin:/usr/local/bin:/usr/local/sbin:/usr/bin:/bin";

std::optional<double> pidAgeSeconds(qint64 pid) {
  QProcess ps;
  ps.start(QStringLiteral("ps"), {QStringLiteral("-o"), QStringLiteral("etime="), QStringLiteral("-p"),
                                  QString::number(pid)});
  if (!ps.waitForFinished(3000) || ps.exitCode() != 0) return std::nullopt;
  const auto seconds = PidEtime::parseSeconds(ps.readAllStandardOutput().toStdString());
  if (!seconds) return std::nullopt;
  return static_cast<double>(*seconds);
}

}  // namespace

StatusPoller::StatusPoller(ProvisionPaths paths, Options options, QObject* parent)
    : QObject(parent),
      m_log(std::make_shared<ProvisionDiagnosticLog>()),
      m_provisioner(std::make_shared<DaemonProvisioner>(std::move(paths), m_log)),
      m_options(options) {
  m_timer.setInterval(m_options.pollIntervalMs);
  connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
}

StatusPoller::~StatusPoller() { *m_alive = false; }

void StatusPoller::start() {
  if (qEnvironmentVariable("VESKET_DESKTOP_BUILD_SMOKE") == QStringLiteral("1")) {
    m_log->append(QStringLiteral("event=buildSmokeProvisioningSkipped reason=Staged build smoke mode does not "
                                 "provision or control a daemon."));
    return;
  }
  startUp();
  m_timer.start();
}

QCoro::Task<void> StatusPoller::startUp() {
  QPointer self(this);
  const bool provisioned = co_await provisionDaemonOnce();
  if (!self) co_return;
  if (provisioned && QFileInfo::exists(paths().installedDaemon())) {
    m_autostartAttempts = 0;
    poll([this] { convergeStep(); });
  } else {
    poll();
  }
}

QCoro::Task<bool> StatusPoller::provisionDaemonOnce() {
  if (m_provisionFlight.isInFlight()) co_return co_await m_provisionFlight.join();
  QPointer self(this);
  m_provisionFlight.begin();
  const bool result = co_await performProvisioning();
  if (self) m_provisionFlight.finish(result);
  co_return result;
}

QCoro::Task<void> StatusPoller::provisionDaemonIfNeeded() { co_await provisionDaemonOnce(); }

QCoro::Task<bool> StatusPoller::performProvisioning() {
  QPointer self(this);
  if (qEnvironmentVariable("VESKET_DESKTOP_BUILD_SMOKE") == QStringLiteral("1")) co_return false;
  emit changed();
  auto provisioner = m_provisioner;
  auto work = offUiThread([provisioner] { return provisioner->performProvisionWork(); });
  const auto outcome = co_await work;
  if (!self) co_return false;
  if (outcome.nonBlockingFailure) recordDaemonProvisionFailure(*outcome.nonBlockingFailure);
  switch (outcome.kind) {
    case ProvisionWorkOutcome::Kind::fail:
      recordDaemonProvisionFailure(outcome.failure);
      emit changed();
      co_return false;
    case ProvisionWorkOutcome::Kind::keepInstalled:
      if (outcome.embeddedIsOlder) {
        m_log->append(QStringLiteral("provisionDaemonIfNeeded: REFUSING to replace \u2014 trusted embedded daemon build "
                                     "is OLDER than the trusted installed one."));
      }
      if (outcome.rollbackPinDigest) {
        m_log->append(QStringLiteral("provisionDaemonIfNeeded: keeping operator-pinned rollback daemon sha256=%1\u2026; "
                                     "automatic updates remain paused until explicitly resumed.")
                          .arg(*outcome.rollbackPinDigest));
      }
      m_rollbackPinDigest = outcome.rollbackPinDigest;
      break;
    case ProvisionWorkOutcome::Kind::provisioned:
      m_rollbackPinDigest.reset();
      if (outcome.migratesUntrustedIdentity) m_untrustedNotice = outcome.untrustedReplacementNotice;
      schedulePostProvisionTasks();
      break;
  }
  emit changed();
  co_return true;
}

void StatusPoller::scanDaemonCrashReports() {
  maintenance::CrashReportManager::Options options{paths().home, {}, m_options.settings, {}, {}, {}, {}};
  if (!options.settings) options.settings = &shell::DesktopIsolation::defaults();
  // A crashing process writes its report as it dies: give it a moment.
  QTimer::singleShot(2000, this, [options] {
    auto scan = QtConcurrent::run([options] {
      maintenance::CrashReportManager(options).checkAndEnqueue(maintenance::CrashReportManager::daemonProcessNames(),
                                                               QStringLiteral("daemon-hard"),
                                                               shell::SettingsKeys::crashReportLastDaemonCheck);
    });
  });
}

void StatusPoller::schedulePostProvisionTasks() {
  const QStringList skills{QStringLiteral("skills"), QStringLiteral("sync")};
  if (!shell::DesktopIsolation::permitsDaemonCommand(skills)) return;
  auto& settings = m_options.settings ? *m_options.settings : shell::DesktopIsolation::defaults();
  if (settings.get(shell::SettingsKeys::postProvisionTasksDone)) return;
  // Marked first: a run that dies half-way is not repeated at every start.
  settings.set(shell::SettingsKeys::postProvisionTasksDone, true);
  runPostProvisionTasks();
}

QCoro::Task<void> StatusPoller::runPostProvisionTasks() {
  QPointer self(this);
  DaemonCli cli(paths().installedDaemon());
  cli.setEnvironmentOverride(QStringLiteral("HOME"), QDir::homePath());
  cli.setEnvironmentOverride(QStringLiteral("PATH"), QString::fromLatin1(kPostProvisionPath));
  auto log = m_log;
  const auto report = [log](const char* prefix, const DaemonCli::Result& result) {
    const QString output = (result.standardOutput + result.standardError).trimmed();
    log->append(QString::fromLatin1(prefix) +
                (result.started ? QStringLiteral("exit=%1 ").arg(result.exitCode) : QStringLiteral("did not run ")) +
                output.left(2000).replace(QLatin1Char('\n'), QStringLiteral(" | ")));
  };
  const QStringList attach{QStringLiteral("daemon"), QStringLiteral("auto-attach"), QStringLiteral("--json")};
  const auto attached = co_await cli.run(attach, 30000);
  report("[auto-attach] ", attached);
  const QStringList skills{QStringLiteral("skills"), QStringLiteral("sync")};
  const auto synced = co_await cli.run(skills, 60000);
  report("[skills-sync] ", synced);
  if (self) emit postProvisionTasksFinished();
}

void StatusPoller::recordDaemonProvisionFailure(DaemonProvision::Failure failure) {
  m_provisionFailure = failure;
  m_log->append(QStringLiteral("failure=%1 disposition=%2 reason=%3")
                    .arg(QString::fromLatin1(DaemonProvision::rawValue(failure)),
                         QString::fromLatin1(DaemonProvision::disposition(failure)),
                         QString::fromUtf8(DaemonProvision::failureReason(failure))));
  if (DaemonProvision::shouldPresentToUser(failure)) {
    emit provisionFailureShown(failure);
  } else {
    m_log->append(QStringLiteral("provisionDaemonIfNeeded: %1 logged without user remediation UI.")
                      .arg(QString::fromLatin1(DaemonProvision::rawValue(failure))));
  }
  emit changed();
}

void StatusPoller::poll(std::function<void()> completion) {
  if (completion) m_pollCompletions.push_back(std::move(completion));
  if (!QFileInfo::exists(paths().installedDaemon())) {
    bool changedNow = m_snapshot.isRunning || m_snapshot.pid || m_snapshot.isPaired || !m_version.isEmpty();
    m_snapshot = {};
    m_version.clear();
    if (changedNow) emit changed();
    for (auto& done : std::exchange(m_pollCompletions, {})) done();
    return;
  }
  if (m_pollInFlight) return;
  m_pollInFlight = true;
  runStatusRound();
}

QCoro::Task<void> StatusPoller::runStatusRound() {
  QPointer self(this);
  DaemonCli cli(paths().installedDaemon());
  const QStringList arguments{QStringLiteral("daemon"), QStringLiteral("status")};
  const auto result = co_await cli.run(arguments, 15000);
  if (!self) co_return;
  m_pollInFlight = false;
  if (result.started && !result.standardOutput.isEmpty()) {
    applyDaemonStatus(DaemonStatusSnapshot::parse(result.standardOutput.toStdString()));
  } else {
    markStatusUnavailable();
  }
  for (auto& done : std::exchange(m_pollCompletions, {})) done();
}

void StatusPoller::markStatusUnavailable() {
  const bool wasRunning = m_snapshot.isRunning;
  m_daemonStatusFresh = false;
  m_snapshot.isRunning = false;
  m_snapshot.pid.reset();
  emit changed();
  if (wasRunning && !m_expectingStop) convergeStep();
}

void StatusPoller::applyDaemonStatus(const DaemonStatusSnapshot& snapshot) {
  const bool wasRunning = m_snapshot.isRunning;
  const auto oldPid = m_snapshot.pid;
  m_daemonStatusFresh = true;
  m_snapshot = snapshot;
  m_version = QString::fromStdString(snapshot.version);
  if (snapshot.isRunning && m_provisionFailure) {
    m_provisionFailure.reset();
    m_log->append(QStringLiteral("event=daemonProvisionFailureRecovered"));
    emit provisionFailureRecovered();
  }
  if (wasRunning != snapshot.isRunning || oldPid != snapshot.pid) {
    m_log->append(QStringLiteral("event=daemonStatusTransition running=%1 pid=%2")
                      .arg(snapshot.isRunning ? QStringLiteral("true") : QStringLiteral("false"),
                           snapshot.pid ? QString::number(*snapshot.pid) : QStringLiteral("none")));
  }
  emit changed();
  if (wasRunning && !snapshot.isRunning) {
    if (m_expectingStop) {
      m_expectingStop = false;
    } else {
      // The daemon went away without being asked to: bring it back as after provisioning,
      // and collect the report it may have left when it crashed.
      m_autostartAttempts = 0;
      convergeStep();
      scanDaemonCrashReports();
    }
  }
}

void StatusPoller::convergeStep() {
  if (m_converging || m_provisionFlight.isInFlight()) return;
  const auto decision = DaemonAutostart::decide(m_snapshot.isRunning, m_autostartAttempts);
  if (decision.kind != DaemonAutostart::Decision::Kind::retry) return;
  const int attempt = m_autostartAttempts++;
  runConvergenceAttempt(attempt);
}

QCoro::Task<void> StatusPoller::runConvergenceAttempt(int attempt) {
  QPointer self(this);
  m_converging = true;
  const QString installed = paths().installedDaemon();
  auto check = offUiThread([installed] { return DaemonProvisioner::hasTrustedReleaseSignature(installed); });
  const bool trusted = co_await check;
  if (!self) co_return;
  if (!trusted) {
    m_converging = false;
    recordDaemonProvisionFailure(DaemonProvision::Failure::replacementFailed);
    co_return;
  }
  co_await forceReloadDaemon();
  if (!self) co_return;
  QTimer grace;
  grace.setSingleShot(true);
  grace.start(static_cast<int>(DaemonAutostart::graceSeconds(attempt) * 1000 * m_options.graceScale));
  co_await qCoro(grace).waitForTimeout();
  if (!self) co_return;
  m_converging = false;
  poll([this] { convergeStep(); });
}

QCoro::Task<bool> StatusPoller::forceReloadDaemon() {
  auto provisioner = m_provisioner;
  auto work = offUiThread([provisioner] { return provisioner->forceReload(); });
  const bool loaded = co_await work;
  co_return loaded;
}

QCoro::Task<CleanRestartResult> StatusPoller::cleanRestartDaemon() {
  QPointer self(this);
  if (!QFileInfo::exists(paths().installedDaemon())) {
    CleanRestartResult missing{false, qtTrId("macos.daemon_provision.restart_binary_not_found").arg(paths().installedDaemon()), {}};
    emit actionFailed(missing.message);
    co_return missing;
  }
  auto provisioner = m_provisioner;
  auto work = offUiThread([provisioner] { return provisioner->cleanRestart(); });
  auto result = co_await work;
  if (!self) co_return result;
  if (!result.restarted) {
    m_log->append(QStringLiteral("event=cleanRestartFailed message=") + result.message);
    emit actionFailed(qtTrId("macos.daemon_provision.could_not_cleanly_restart").arg(result.message, result.checkCommand));
  }
  QTimer::singleShot(2000, this, [this] { poll(); });
  co_return result;
}

QCoro::Task<void> StatusPoller::startDaemon() {
  QPointer self(this);
  auto provisioner = m_provisioner;
  auto work = offUiThread([provisioner] { return provisioner->runInstallService(); });
  co_await work;
  if (!self) co_return;
  QTimer::singleShot(2000, this, [this] { poll(); });
}

QCoro::Task<bool> StatusPoller::stopDaemon() {
  QPointer self(this);
  m_expectingStop = true;
  DaemonCli cli(paths().installedDaemon());
  const QStringList arguments{QStringLiteral("daemon"), QStringLiteral("stop")};
  const auto result = co_await cli.run(arguments, 30000);
  if (!self) co_return false;
  poll();
  co_return result.started && result.exitCode == 0;
}

QCoro::Task<bool> StatusPoller::waitForDaemonSocketReady() {
  QPointer self(this);
  std::optional<double> age;
  if (const auto daemonPid = m_snapshot.pid) {
    const qint64 pidValue = *daemonPid;
    auto work = offUiThread([pidValue] { return pidAgeSeconds(pidValue); });
    age = co_await work;
    if (!self) co_return false;
  }
  const int attempts = SocketReadinessWait::maxAttempts(age);
  auto client = control_plane::ControlPlaneClient::createDefault(2.0);
  for (int attempt = 0; attempt < attempts; ++attempt) {
    try {
      co_await client->ping();
      co_return true;
    } catch (const std::exception&) {
    }
    QTimer interval;
    interval.setSingleShot(true);
    interval.start(static_cast<int>(SocketReadinessWait::intervalSeconds * 1000));
    co_await qCoro(interval).waitForTimeout();
    if (!self) co_return false;
  }
  co_return false;
}

QCoro::Task<DaemonReadinessOutcome> StatusPoller::ensureDaemonReadyForLocalAttach() {
  QPointer self(this);
  auto client = control_plane::ControlPlaneClient::createDefault(2.0);
  try {
    co_await client->ping();
    co_return DaemonReadinessOutcome::ready;
  } catch (const std::exception&) {
  }
  if (!co_await provisionDaemonOnce() || !self) co_return DaemonReadinessOutcome::notRunning;
  const auto awaitPoll = [this]() -> QCoro::Task<void> {
    QTimer done;
    poll([&done] { done.start(0); });
    done.setSingleShot(true);
    co_await qCoro(done).waitForTimeout();
  };
  co_await awaitPoll();
  for (int reload = 0; self && !m_snapshot.isRunning && reload < 3; ++reload) {
    const QString installed = paths().installedDaemon();
    auto check = offUiThread([installed] { return DaemonProvisioner::hasTrustedReleaseSignature(installed); });
    if (!co_await check) break;
    if (!self) break;
    co_await forceReloadDaemon();
    if (!self) break;
    co_await awaitPoll();
  }
  if (!self || !m_snapshot.isRunning) co_return DaemonReadinessOutcome::notRunning;
  const bool ready = co_await waitForDaemonSocketReady();
  co_return ready ? DaemonReadinessOutcome::ready : DaemonReadinessOutcome::timedOut;
}

QCoro::Task<void> StatusPoller::resumeAutomaticDaemonUpdates() {
  QPointer self(this);
  auto provisioner = m_provisioner;
  auto work = offUiThread([provisioner] { return provisioner->clearRollbackPin(); });
  const auto error = co_await work;
  if (!self) co_return;
  if (error) {
    m_log->append(*error);
    emit actionFailed(*error);
    co_return;
  }
  m_rollbackPinDigest.reset();
  emit changed();
  if (co_await provisionDaemonOnce() && self) poll([this] { convergeStep(); });
}

}  // namespace vesket::supervision
