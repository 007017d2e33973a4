#include "supervision/daemon_provisioner.h"

#include <sys/xattr.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QUuid>
#include <cerrno>
#include <cstdio>

#include "platform/release_verifier.h"
#include "platform/service_manager.h"
#include "shell/desktop_isolation.h"
#include "shell/host_environment.h"
#include "shell/vesket_identity.h"

namespace vesket::supervision {
namespace {

using DaemonProvision::Failure;

QString uniqueSuffix() { return QUuid::createUuid().toString(QUuid::Id128).left(12); }

QString sidecar(const QString& executable) { return platform::ReleaseVerifier::sidecarPath(executable); }

// The daemon's log, where the own supervisor writes its output too.
QString daemonLogFile() {
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  if (state.isEmpty()) state = QDir::homePath() + QStringLiteral("/.local/state");
  return state + QStringLiteral("/vesket/logs/daemon-stdout.log");
}

// Copies `from` to `to` through a temporary file beside `to` and a rename, so that `to` is
// never seen half written. The file mode is `permissions`.
bool copyAtomically(const QString& from, const QString& to, QFileDevice::Permissions permissions) {
  const QString temporary = to + QStringLiteral(".tmp-") + uniqueSuffix();
  if (!QFile::copy(from, temporary)) return false;
  if (!QFile::setPermissions(temporary, permissions) ||
      ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(to).constData()) != 0) {
    QFile::remove(temporary);
    return false;
  }
  return true;
}

constexpr QFileDevice::Permissions kExecutable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                 QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                 QFileDevice::ExeOther;
constexpr QFileDevice::Permissions kReadable =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;

// The download origin attributes a browser leaves on a file (this platform's quarantine).
void stripQuarantine(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  for (const char* attribute : {"user.xdg.origin.url", "user.xdg.referrer.url"}) {
    ::removexattr(name.constData(), attribute);
  }
}

QStringList companionNames() {
  QStringList names{QString::fromLatin1(DaemonProvision::kBundledTmuxName)};
  for (const auto name : DaemonProvision::daemonSidecarNames) names << QString::fromLatin1(name);
  return names;
}

}  // namespace

ProvisionDiagnosticLog::ProvisionDiagnosticLog() {
  QString dir = qEnvironmentVariable("VESKET_DESKTOP_PROVISION_LOG_DIR");
  if (dir.isEmpty()) dir = shell::DesktopIsolation::stateDirectory() + QStringLiteral("/logs");
  m_path = dir + QStringLiteral("/daemon-provision.log");
}

void ProvisionDiagnosticLog::append(const QString& text) {
  QMutexLocker lock(&m_mutex);
  QDir().mkpath(QFileInfo(m_path).absolutePath());
  QFile file(m_path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
  file.write(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toUtf8() + ' ' + text.toUtf8() + '\n');
}

QString ProvisionPaths::rollbackPin() const {
  return home + QLatin1Char('/') + QString::fromLatin1(DaemonProvision::rollbackPinRelativePath);
}

QString ProvisionPaths::embeddedBesideApplication() {
  return QCoreApplication::applicationDirPath() + QStringLiteral("/vesket");
}

DaemonProvisioner::DaemonProvisioner(ProvisionPaths paths, std::shared_ptr<ProvisionDiagnosticLog> log)
    : m_paths(std::move(paths)), m_log(std::move(log)) {}

DaemonProvisioner::~DaemonProvisioner() = default;

std::unique_ptr<platform::ServiceManager> DaemonProvisioner::serviceManager() const {
  return platform::ServiceManager::forHost({m_paths.home, m_paths.home + QStringLiteral("/daemon"), daemonLogFile()});
}

DaemonProvisioner::ChildResult DaemonProvisioner::runChild(const QString& program, const QStringList& arguments,
                                                           int timeoutMs) {
  ChildResult result;
  QProcess process;
  auto environment = shell::DesktopIsolation::childProcessEnvironment();
  environment.insert(QStringLiteral("VESKET_HOME"), m_paths.home);
  process.setProcessEnvironment(environment);
  process.setStandardInputFile(QProcess::nullDevice());
  process.start(program, arguments);
  if (!process.waitForStarted(5000)) return result;
  result.started = true;
  if (!process.waitForFinished(timeoutMs)) {
    process.kill();
    process.waitForFinished(2000);
  } else if (process.exitStatus() == QProcess::NormalExit) {
    result.exitCode = process.exitCode();
  }
  result.out = QString::fromUtf8(process.readAllStandardOutput());
  result.err = QString::fromUtf8(process.readAllStandardError());
  return result;
}

void DaemonProvisioner::phase(const char* name) {
  m_log->append(QStringLiteral("phase=%1 elapsedMs=%2")
                    .arg(QLatin1String(name))
                    .arg(QDateTime::currentMSecsSinceEpoch() - m_startedMs));
}

bool DaemonProvisioner::hasTrustedReleaseSignature(const QString& path) {
  return platform::ReleaseVerifier::hasTrustedReleaseSignature(path);
}

bool DaemonProvisioner::daemonNeedsRefresh(const QString& installedPath, const QString& embeddedPath) {
  const auto installed = platform::ReleaseVerifier::fileDigest(installedPath);
  const auto embedded = platform::ReleaseVerifier::fileDigest(embeddedPath);
  if (!installed || !embedded) return true;
  return installed->size != embedded->size || installed->sha256 != embedded->sha256;
}

bool DaemonProvisioner::embeddedBuildIsOlder(const QString& installedPath, const QString& embeddedPath) {
  const auto installed = runVersionCommand(installedPath);
  const auto embedded = runVersionCommand(embeddedPath);
  return DaemonProvision::embeddedBuildIsOlder(
      DaemonProvision::VersionFacts::parse(installed.value_or(QString()).toStdString()),
      DaemonProvision::VersionFacts::parse(embedded.value_or(QString()).toStdString()));
}

std::optional<QString> DaemonProvisioner::activeRollbackPinDigest() const {
  QFile pin(m_paths.rollbackPin());
  if (!pin.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray text = pin.read(4096);
  const auto installed = platform::ReleaseVerifier::fileDigest(m_paths.installedDaemon());
  if (!installed) return std::nullopt;
  const auto pinned = DaemonProvision::activeRollbackPin(text.toStdString(), installed->sha256);
  if (!pinned) return std::nullopt;
  return QString::fromStdString(*pinned);
}

std::optional<QString> DaemonProvisioner::clearRollbackPin() const {
  const QString path = m_paths.rollbackPin();
  if (!QFileInfo::exists(path) || QFile::remove(path)) return std::nullopt;
  return qtTrId("macos.daemon_provision.could_not_clear_rollback_pin").arg(path);
}

std::optional<QString> DaemonProvisioner::runVersionCommand(const QString& path) {
  const auto result = runChild(path, {QStringLiteral("--version")}, 10000);
  if (!result.started || result.exitCode != 0) return std::nullopt;
  return result.out;
}

std::optional<QString> DaemonProvisioner::shortDigestHex(const QString& path) {
  const auto digest = platform::ReleaseVerifier::fileDigest(path);
  if (!digest) return std::nullopt;
  return QString::fromStdString(DaemonProvision::shortDigestHex(digest->sha256));
}

FreshInstallOutcome DaemonProvisioner::installFreshBinary() {
  const QString installed = m_paths.installedDaemon();
  if (!QDir().mkpath(m_paths.binDir())) return FreshInstallOutcome::failed;
  const QString staging = m_paths.binDir() + QLatin1Char('/') +
                          QString::fromLatin1(DaemonProvision::kFreshInstallPrefix) + uniqueSuffix();
  const auto cleanUp = [&] {
    QFile::remove(staging);
    QFile::remove(sidecar(staging));
  };
  if (!QFile::copy(m_paths.embeddedDaemon, staging) || !QFile::setPermissions(staging, kExecutable)) {
    cleanUp();
    return FreshInstallOutcome::failed;
  }
  const bool hasSidecar = QFileInfo::exists(sidecar(m_paths.embeddedDaemon));
  if (hasSidecar && !QFile::copy(sidecar(m_paths.embeddedDaemon), sidecar(staging))) {
    cleanUp();
    return FreshInstallOutcome::failed;
  }
  // A hard link never replaces a daemon that appeared meanwhile (another instance of the
  // application installing at the same moment): that one is kept and verified instead.
  if (::link(QFile::encodeName(staging).constData(), QFile::encodeName(installed).constData()) != 0) {
    const bool appeared = errno == EEXIST;
    cleanUp();
    return appeared ? FreshInstallOutcome::keptExisting : FreshInstallOutcome::failed;
  }
  if (hasSidecar) {
    ::rename(QFile::encodeName(sidecar(staging)).constData(), QFile::encodeName(sidecar(installed)).constData());
  }
  cleanUp();
  return FreshInstallOutcome::installed;
}

bool DaemonProvisioner::syncCompanions() {
  const QString embeddedDir = QFileInfo(m_paths.embeddedDaemon).absolutePath();
  bool ok = true;
  for (const QString& name : companionNames()) {
    const QString from = embeddedDir + QLatin1Char('/') + name;
    if (!QFileInfo(from).isFile()) continue;
    const QString to = m_paths.binDir() + QLatin1Char('/') + name;
    if (!daemonNeedsRefresh(to, from)) continue;
    const bool executable = QFileInfo(from).isExecutable();
    if (!copyAtomically(from, to, executable ? kExecutable : kReadable)) ok = false;
  }
  return ok;
}

std::optional<QString> DaemonProvisioner::snapshotCompanions(std::set<QString>& existing) {
  const QString dir = QDir::tempPath() + QLatin1Char('/') +
                      QString::fromLatin1(DaemonProvision::kCompanionSnapshotPrefix) + uniqueSuffix();
  if (!QDir().mkpath(dir)) return std::nullopt;
  for (const QString& name : companionNames()) {
    const QString path = m_paths.binDir() + QLatin1Char('/') + name;
    if (!QFileInfo(path).isFile()) continue;
    if (!QFile::copy(path, dir + QLatin1Char('/') + name)) {
      QDir(dir).removeRecursively();
      return std::nullopt;
    }
    existing.insert(name);
  }
  return dir;
}

void DaemonProvisioner::restoreCompanions(const QString& snapshot, const std::set<QString>& existing) {
  for (const QString& name : companionNames()) {
    const QString path = m_paths.binDir() + QLatin1Char('/') + name;
    if (existing.count(name)) {
      const QString saved = snapshot + QLatin1Char('/') + name;
      copyAtomically(saved, path, QFileInfo(saved).isExecutable() ? kExecutable : kReadable);
    } else {
      QFile::remove(path);
    }
  }
}

bool DaemonProvisioner::daemonIsRunning() const { return serviceManager()->print().loaded; }

int DaemonProvisioner::runInstallService() {
  if (!shell::DesktopIsolation::permitsDaemonCommand({QStringLiteral("daemon"), QStringLiteral("install-service")})) {
    return -1;
  }
  m_installServiceRunning = true;
  const auto result =
      runChild(m_paths.installedDaemon(), {QStringLiteral("daemon"), QStringLiteral("install-service")}, 30000);
  m_installServiceRunning = false;
  if (result.exitCode != 0) {
    m_log->append(QStringLiteral("install-service exited %1: %2%3")
                      .arg(result.exitCode)
                      .arg(result.out.trimmed(), result.err.trimmed()));
  }
  return result.started ? result.exitCode : -1;
}

void DaemonProvisioner::ensureServiceJob(ProvisionWorkOutcome& outcome) {
  if (serviceManager()->jobMatchesInstall(m_paths.installedDaemon())) {
    phase("existing-plist.fast-path");
    return;
  }
  phase("install-service.spawned");
  outcome.serviceInstalled = runInstallService() == 0;
  phase("install-wait.end");
}

ProvisionWorkOutcome DaemonProvisioner::performProvisionWork() {
  m_startedMs = QDateTime::currentMSecsSinceEpoch();
  phase("provision.begin");
  ProvisionWorkOutcome outcome;
  const auto fail = [&](Failure failure) {
    outcome.kind = ProvisionWorkOutcome::Kind::fail;
    outcome.failure = failure;
    return outcome;
  };

  // The account's own product home (from the account database, not $HOME): an isolated or
  // test run never provisions into it.
  const QString realHome = QString::fromStdString(shell::HostEnvironment::accountDatabaseHome()) + QStringLiteral("/.vesket");
  if (!shell::VesketIdentity::provisioningPermitted(m_paths.home, realHome)) {
    m_log->append(QStringLiteral("performProvisionWork: REFUSED \u2014 running in an XCTest host without an isolated "
                                 "VESKET_HOME; would have written to '%1'. Set a scratch VESKET_HOME for provisioning "
                                 "tests.")
                      .arg(m_paths.home));
    return fail(Failure::testHostRefused);
  }
  if (shell::VesketIdentity::provisioningTargetIsRedirected(m_paths.home)) {
    m_log->append(QStringLiteral("performProvisionWork: REFUSED \u2014 this process was launched with "
                                 "VESKET_HOME/DURNVALE_HOME='%1' but home resolution followed the running daemon's "
                                 "record to '%2'; not replacing the daemon of an install this process was not "
                                 "pointed at.")
                      .arg(shell::VesketIdentity::explicitEnvHome().value_or(QString()), m_paths.home));
    return fail(Failure::redirectedHomeRefused);
  }

  const QString installed = m_paths.installedDaemon();
  const QString embedded = m_paths.embeddedDaemon;
  const bool installedExists = QFileInfo(installed).isFile();
  const bool embeddedExists = !embedded.isEmpty() && QFileInfo(embedded).isFile();
  const bool installedTrusted = installedExists && hasTrustedReleaseSignature(installed);
  const bool embeddedTrusted = embeddedExists && hasTrustedReleaseSignature(embedded);
  const bool differ = installedExists && embeddedExists && daemonNeedsRefresh(installed, embedded);
  const bool older = differ && installedTrusted && embeddedTrusted && embeddedBuildIsOlder(installed, embedded);
  const auto pin = installedExists ? activeRollbackPinDigest() : std::nullopt;
  const auto decision = DaemonProvision::action(installedExists, embeddedExists, installedTrusted, embeddedTrusted,
                                                differ, older, pin.has_value());
  m_log->append(QStringLiteral("inventory installed=%1 trusted=%2 embedded=%3 trusted=%4 differ=%5 older=%6 pin=%7")
                    .arg(installedExists)
                    .arg(installedTrusted)
                    .arg(embeddedExists)
                    .arg(embeddedTrusted)
                    .arg(differ)
                    .arg(older)
                    .arg(pin.has_value()));

  using Kind = DaemonProvision::Action::Kind;
  switch (decision.kind) {
    case Kind::fail:
      return fail(decision.failure);
    case Kind::keepInstalled:
      if (!syncCompanions()) outcome.nonBlockingFailure = Failure::sidecarSyncFailed;
      ensureServiceJob(outcome);
      outcome.kind = ProvisionWorkOutcome::Kind::keepInstalled;
      outcome.embeddedIsOlder = older;
      if (pin) outcome.rollbackPinDigest = QString::fromStdString(DaemonProvision::shortDigestHex(pin->toStdString()));
      break;
    case Kind::installEmbedded: {
      const auto fresh = installFreshBinary();
      if (fresh == FreshInstallOutcome::failed) return fail(Failure::replacementFailed);
      if (fresh == FreshInstallOutcome::keptExisting) {
        m_log->append(QStringLiteral(
            "provisionDaemonIfNeeded: a daemon binary appeared during the fresh install; verifying it instead of "
            "failing"));
      }
      stripQuarantine(installed);
      if (!hasTrustedReleaseSignature(installed)) {
        m_log->append(QStringLiteral(
            "provisionDaemonIfNeeded failed closed: installed daemon failed Developer ID verification"));
        if (fresh == FreshInstallOutcome::installed) {
          QFile::remove(installed);
          QFile::remove(sidecar(installed));
        }
        return fail(Failure::replacementFailed);
      }
      if (!binaryExecutes(installed)) {
        m_log->append(QStringLiteral(
            "provisionDaemonIfNeeded failed closed: fresh daemon verifies but does not execute (--version failed)"));
        return fail(Failure::replacementFailed);
      }
      if (!syncCompanions()) outcome.nonBlockingFailure = Failure::sidecarSyncFailed;
      ensureServiceJob(outcome);
      outcome.kind = ProvisionWorkOutcome::Kind::provisioned;
      outcome.isFreshInstall = true;
      break;
    }
    case Kind::replaceWithEmbedded:
      outcome = replaceWithEmbedded(decision.migratesUntrustedIdentity);
      break;
  }
  phase("provision.end");
  return outcome;
}

ProvisionWorkOutcome DaemonProvisioner::replaceWithEmbedded(bool migrates) {
  ProvisionWorkOutcome outcome;
  const auto fail = [&](Failure failure) {
    outcome.kind = ProvisionWorkOutcome::Kind::fail;
    outcome.failure = failure;
    return outcome;
  };
  const QString installed = m_paths.installedDaemon();
  const QString embedded = m_paths.embeddedDaemon;
  if (migrates) {
    const auto installedShort = shortDigestHex(installed);
    const QString notice = QString::fromStdString(DaemonProvision::untrustedReplacementNotice(
        installed.toStdString(),
        installedShort ? std::optional(installedShort->toStdString()) : std::nullopt, embedded.toStdString(),
        shortDigestHex(embedded).value_or(QStringLiteral("sha256 unreadable")).toStdString()));
    m_log->append(notice);
    outcome.untrustedReplacementNotice = notice;
  }

  QDir().mkpath(m_paths.binDir());
  const bool running = daemonIsRunning();
  const QString suffix = uniqueSuffix();
  const QString backup = m_paths.binDir() + QLatin1Char('/') +
                         QString::fromLatin1(DaemonProvision::kPreviousBackupPrefix) + suffix;
  const QString scriptPath = m_paths.binDir() + QLatin1Char('/') +
                             QString::fromLatin1(DaemonProvision::kRestartScriptPrefix) + suffix;
  std::optional<std::string> script;
  const QStringList renderArguments = {QStringLiteral("daemon"),       QStringLiteral("restart-transaction"),
                                       QStringLiteral("--daemon-bin"), installed,
                                       QStringLiteral("--previous-bin"), backup};
  if (shell::DesktopIsolation::permitsDaemonCommand(renderArguments)) {
    const auto rendered = runChild(embedded, renderArguments, 15000);
    QFile file(scriptPath);
    if (rendered.exitCode == 0 && !rendered.out.isEmpty() && file.open(QIODevice::WriteOnly) &&
        file.write(rendered.out.toUtf8()) == rendered.out.toUtf8().size()) {
      file.close();
      QFile::setPermissions(scriptPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
      script = scriptPath.toStdString();
    } else {
      file.close();
      QFile::remove(scriptPath);
    }
  }
  phase("restart-render.end");
  const auto plan = DaemonProvision::restartPlan(running, script);
  if (plan.kind == DaemonProvision::RestartPlan::Kind::refuse) {
    m_log->append(QStringLiteral("provisionDaemonIfNeeded: REFUSING to replace a RUNNING daemon at %1 \u2014 the "
                                 "trusted embedded binary could not render the restart transaction, so there is no "
                                 "safe rollback path. The running daemon is left in place.")
                      .arg(installed));
    return fail(Failure::liveReplaceRefused);
  }
  const auto removeScript = [&] { QFile::remove(scriptPath); };

  // The staged copy and its signature, checked before anything is swapped.
  const QString staged = m_paths.binDir() + QLatin1Char('/') + QString::fromLatin1(DaemonProvision::kUpgradeStagingName);
  QFile::remove(staged);
  QFile::remove(sidecar(staged));
  const bool copied = QFile::copy(embedded, staged) && QFile::setPermissions(staged, kExecutable) &&
                      (!QFileInfo::exists(sidecar(embedded)) || QFile::copy(sidecar(embedded), sidecar(staged)));
  stripQuarantine(staged);
  const auto discardStaged = [&] {
    QFile::remove(staged);
    QFile::remove(sidecar(staged));
  };
  if (!copied || !hasTrustedReleaseSignature(staged)) {
    m_log->append(QStringLiteral("provisionDaemonIfNeeded failed closed: copied daemon failed Developer ID verification"));
    discardStaged();
    removeScript();
    return fail(Failure::replacementFailed);
  }
  if (!binaryExecutes(staged)) {
    m_log->append(QStringLiteral("provisionDaemonIfNeeded failed closed: installed daemon verifies but does not execute "
                                 "(--version failed) \u2014 refusing to hand it to launchd"));
    discardStaged();
    removeScript();
    return fail(Failure::replacementFailed);
  }
  phase("binary-verify.end");

  std::set<QString> existing;
  const auto snapshot = snapshotCompanions(existing);
  if (!syncCompanions()) outcome.nonBlockingFailure = Failure::sidecarSyncFailed;

  if (plan.kind == DaemonProvision::RestartPlan::Kind::transaction) {
    phase("restart-transaction.begin");
    m_installServiceRunning = true;  // the transaction restarts the service: no reload meanwhile
    const auto result = runChild(QStringLiteral("/bin/bash"), {QString::fromStdString(plan.scriptPath)}, 180000);
    m_installServiceRunning = false;
    phase("restart-transaction.end");
    removeScript();
    if (result.exitCode != 0) {
      if (snapshot) restoreCompanions(*snapshot, existing);
      if (snapshot) QDir(*snapshot).removeRecursively();
      discardStaged();
      m_log->append(QStringLiteral("provisionDaemonIfNeeded: restart transaction exited %1 \u2014 the new daemon did "
                                   "not reach the required local/paired health gate; previous binary and companions "
                                   "restored")
                        .arg(result.exitCode));
      m_log->append(QStringLiteral("restart transaction output:\n") + result.err.trimmed());
      return fail(Failure::replacementRolledBack);
    }
    if (snapshot) QDir(*snapshot).removeRecursively();
    outcome.serviceInstalled = true;
  } else {
    if (snapshot) QDir(*snapshot).removeRecursively();
    removeScript();
    const bool swapped =
        ::rename(QFile::encodeName(staged).constData(), QFile::encodeName(installed).constData()) == 0 &&
        (!QFileInfo::exists(sidecar(staged)) ||
         ::rename(QFile::encodeName(sidecar(staged)).constData(), QFile::encodeName(sidecar(installed)).constData()) ==
             0);
    phase("binary-swap.end");
    if (!swapped) {
      discardStaged();
      return fail(Failure::replacementFailed);
    }
    ensureServiceJob(outcome);
  }
  outcome.kind = ProvisionWorkOutcome::Kind::provisioned;
  outcome.migratesUntrustedIdentity = migrates;
  return outcome;
}

bool DaemonProvisioner::forceReload() {
  const auto reloadPhase = [this](const char* name) {
    m_log->append(QStringLiteral("phase=reload.%1").arg(QLatin1String(name)));
  };
  reloadPhase("begin");
  const qint64 start = QDateTime::currentMSecsSinceEpoch();
  while (!DaemonReloadGate::mayReload(m_installServiceRunning.load(),
                                      (QDateTime::currentMSecsSinceEpoch() - start) / 1000.0)) {
    QThread::msleep(200);
  }
  if (!shell::DesktopIsolation::permits(shell::DesktopIsolation::HostAction::daemonServiceInstall)) return false;
  auto manager = serviceManager();
  if (!QFileInfo::exists(manager->jobFilePath())) {
    runInstallService();
    reloadPhase("plist.end");
  }
  manager->bootout();
  reloadPhase("bootout.end");
  manager->bootstrap();
  reloadPhase("bootstrap.end");
  int repairs = 0;
  auto state = manager->print();
  while (DaemonReloadGate::shouldRepair(state.loaded, repairs)) {
    ++repairs;
    manager->bootstrap();
    state = manager->print();
    reloadPhase("repair.end");
  }
  // Loaded without a daemon process: start it now.
  if (state.loaded && !state.pid) manager->kickstart();
  reloadPhase("kickstart.end");
  if (state.loaded) {
    std::fprintf(stderr, "[daemon-reload] \u2713 job loaded after %d repair pass(es)\n", repairs);
  } else {
    std::fprintf(stderr, "[daemon-reload] \u2717 job still not loaded after %d repair pass(es) \u2014 giving up this cycle\n",
                 repairs);
  }
  return state.loaded;
}

CleanRestartResult DaemonProvisioner::cleanRestart() {
  if (!shell::DesktopIsolation::permits(shell::DesktopIsolation::HostAction::daemonServiceInstall)) {
    return {false, qtTrId("macos.daemon_provision.isolated_instance_does_not_control_the_service"), {}};
  }
  auto manager = serviceManager();
  const QString check = manager->kind() == platform::ServiceManager::Kind::systemd
                            ? QStringLiteral("systemctl --user status ") + QString::fromLatin1(platform::SystemdUnit::kName)
                            : m_paths.installedDaemon() + QStringLiteral(" daemon status");
  const auto state = manager->print();
  if (state.loaded && state.pid) {
    const qint64 pid = *state.pid;
    const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    const QString expected = QFileInfo(m_paths.installedDaemon()).canonicalFilePath();
    // A launcher in front of the installed daemon runs it under its own name.
    const QString command = QString::fromUtf8([&] {
      QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
      return cmdline.open(QIODevice::ReadOnly) ? cmdline.read(4096).split('\0').value(0) : QByteArray();
    }());
    if (exe != expected && command != m_paths.installedDaemon()) {
      return {false, qtTrId("macos.daemon_provision.restart_pid_not_the_daemon").arg(pid), check};
    }
  }
  if (!manager->bootout()) {
    return {false,
            qtTrId("macos.daemon_provision.restart_could_not_terminate")
                .arg(state.pid ? QString::number(*state.pid) : QStringLiteral("?")),
            check};
  }
  bool gone = false;
  for (int attempt = 0; attempt < 20 && !gone; ++attempt) {
    gone = !manager->print().loaded;
    if (!gone) QThread::msleep(100);
  }
  if (!gone) return {false, qtTrId("macos.daemon_provision.restart_job_not_removed"), check};
  if (!manager->bootstrap()) return {false, qtTrId("macos.daemon_provision.restart_bootstrap_failed"), check};
  return {true, {}, {}};
}

}  // namespace vesket::supervision
