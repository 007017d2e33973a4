// Provisioning against the real daemon under the project's own supervisor, in a temporary
// home with a private tmux server: fresh install, a kept install, an upgrade through the
// restart transaction, a rollback, tampered builds and the rollback pin.
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/release_verifier.h"
#include "platform/service_manager.h"
#include "shell/settings_key.h"
#include "shell/settings_store.h"
#include "supervision/daemon_provisioner.h"
#include "supervision/status_poller.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/private_daemon.h"
#include "tests/support/await_task.h"
#include "tests/support/event_loop.h"
#include "tests/support/private_tmux.h"

namespace vesket::supervision {
namespace {

using testing::awaitTask;
using testing::waitUntil;
using Failure = DaemonProvision::Failure;
using Kind = ProvisionWorkOutcome::Kind;

QString builtDaemon() {
  const QString dir = qEnvironmentVariable("VESKET_BIN_DIR");
  return QFileInfo((dir.isEmpty() ? QStringLiteral("build/bin") : dir) + QStringLiteral("/vesket")).absoluteFilePath();
}

std::string digestOf(const QString& path) {
  const auto digest = platform::ReleaseVerifier::fileDigest(path);
  return digest ? digest->sha256 : std::string();
}

class DaemonProvisioningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_root.isValid());
    m_user.emplace(m_root.path());
    auto& env = m_user->environment();
    QDir().mkpath(m_user->home());
    testing::useSupervisedDaemonEnvironment(env, m_root.filePath("runtime"), home(), m_tmux.socketPath());
    m_tmux.run({"new-session", "-d", "-s", "work", "/bin/sh"});
    // The application's own bin/ with the signed daemon of this build.
    QDir().mkpath(appDir());
    ASSERT_TRUE(QFile::copy(builtDaemon(), appDir() + "/vesket"));
    ASSERT_TRUE(QFile::copy(builtDaemon() + ".sig", appDir() + "/vesket.sig"));
    // A private copy of the real daemon that launchers in front of it exec.
    QDir().mkpath(m_root.filePath("real"));
    ASSERT_TRUE(QFile::copy(builtDaemon(), realDaemon()));
  }

  void TearDown() override {
    if (QFileInfo::exists(installed())) {
      QProcess::execute(installed(), {"daemon", "stop"});
    }
  }

  QString home() const { return m_user->home() + "/.vesket"; }
  QString appDir() const { return m_root.filePath("app/bin"); }
  QString installed() const { return home() + "/bin/vesket"; }
  QString realDaemon() const { return m_root.filePath("real/vesket"); }
  ProvisionPaths paths() const { return {home(), appDir() + "/vesket"}; }

  // A build in front of the real daemon: its own "--version" facts, and optionally a
  // daemon that exits at once. Signed with the build's release key unless told otherwise.
  void writeLauncher(const QString& path, int commits, bool exitsAtStart, bool sign = true) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QStringLiteral("#!/bin/bash\n"
                              "if [ \"${1:-}\" = --version ]; then\n"
                              "  printf 'vesket 9.9.9+%1\\nbuilt: 2030-01-01T00:00:00Z\\ncommits: %1\\nsha: %2\\n'\n"
                              "  exit 0\n"
                              "fi\n")
                   .arg(commits)
                   .arg(QString(40, QChar('c')))
                   .toUtf8());
    if (exitsAtStart) file.write("if [ \"${1:-} ${2:-}\" = 'daemon start' ]; then echo 'broken build' >&2; exit 1; fi\n");
    file.write(QStringLiteral("exec -a \"$0\" '%1' \"$@\"\n").arg(realDaemon()).toUtf8());
    file.close();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::remove(path + ".sig");
    if (sign) {
      ASSERT_EQ(platform::ReleaseVerifier::signExecutable(path, VESKET_TEST_SIGNING_KEY), std::nullopt);
    }
  }

  std::optional<qint64> answeringPid() const {
    QProcess status;
    status.start(installed(), {"daemon", "status"});
    status.waitForFinished(10000);
    const auto snapshot = DaemonStatusSnapshot::parse(status.readAllStandardOutput().toStdString());
    if (!snapshot.isRunning || !snapshot.pid) return std::nullopt;
    return *snapshot.pid;
  }

  std::unique_ptr<platform::ServiceManager> manager() const {
    return DaemonProvisioner(paths(), std::make_shared<ProvisionDiagnosticLog>()).serviceManager();
  }

  QTemporaryDir m_root;
  testing::PrivateTmux m_tmux;
  std::optional<TemporaryUser> m_user;
};

TEST_F(DaemonProvisioningTest, FreshInstallRegistersTheServiceAndASecondRunKeepsIt) {
  DaemonProvisioner provisioner(paths(), std::make_shared<ProvisionDiagnosticLog>());
  const auto fresh = provisioner.performProvisionWork();
  ASSERT_EQ(fresh.kind, Kind::provisioned) << DaemonProvision::rawValue(fresh.failure);
  EXPECT_TRUE(fresh.isFreshInstall);
  EXPECT_TRUE(fresh.serviceInstalled);
  EXPECT_EQ(digestOf(installed()), digestOf(builtDaemon()));
  EXPECT_TRUE(DaemonProvisioner::hasTrustedReleaseSignature(installed()));
  EXPECT_TRUE(manager()->jobMatchesInstall(installed())) << "the service runs the installed copy, not the build's";
  const auto pid = answeringPid();
  ASSERT_TRUE(pid);
  EXPECT_TRUE(QDir(home() + "/bin").entryList({"vesket.install-*"}, QDir::Files | QDir::Hidden).isEmpty());

  const auto again = provisioner.performProvisionWork();
  EXPECT_EQ(again.kind, Kind::keepInstalled);
  EXPECT_FALSE(again.serviceInstalled) << "a matching job is left alone";
  EXPECT_EQ(answeringPid(), pid);
  QFile log(provisioner.log().path());
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(log.readAll());
  EXPECT_TRUE(text.contains("phase=existing-plist.fast-path")) << text.toStdString();
  EXPECT_TRUE(text.contains("phase=provision.end elapsedMs=")) << text.toStdString();
}

TEST_F(DaemonProvisioningTest, TamperedBuildsAreNeverInstalled) {
  // Appended bytes keep the program runnable but no longer match its signature.
  QFile embedded(appDir() + "/vesket");
  ASSERT_TRUE(embedded.open(QIODevice::Append));
  embedded.write("tampered");
  embedded.close();
  DaemonProvisioner provisioner(paths(), std::make_shared<ProvisionDiagnosticLog>());
  const auto refused = provisioner.performProvisionWork();
  ASSERT_EQ(refused.kind, Kind::fail);
  EXPECT_EQ(refused.failure, Failure::embeddedUntrusted);
  EXPECT_FALSE(QFileInfo::exists(installed()));

  // An installed daemon without a valid signature is replaced by the trusted build, and
  // the replacement says so.
  ASSERT_TRUE(QFile::remove(appDir() + "/vesket"));
  ASSERT_TRUE(QFile::copy(builtDaemon(), appDir() + "/vesket"));
  QDir().mkpath(home() + "/bin");
  writeLauncher(installed(), 999999, false, /*sign=*/false);
  const auto replaced = provisioner.performProvisionWork();
  ASSERT_EQ(replaced.kind, Kind::provisioned) << DaemonProvision::rawValue(replaced.failure);
  EXPECT_TRUE(replaced.migratesUntrustedIdentity);
  ASSERT_TRUE(replaced.untrustedReplacementNotice);
  EXPECT_TRUE(replaced.untrustedReplacementNotice->startsWith("Vesket found an UNSIGNED daemon at " + installed()));
  EXPECT_EQ(digestOf(installed()), digestOf(builtDaemon()));
  EXPECT_TRUE(answeringPid());
}

TEST_F(DaemonProvisioningTest, UpgradeGoesThroughTheRestartTransactionAndKeepsThePanes) {
  DaemonProvisioner provisioner(paths(), std::make_shared<ProvisionDiagnosticLog>());
  ASSERT_EQ(provisioner.performProvisionWork().kind, Kind::provisioned);
  const auto before = answeringPid();
  ASSERT_TRUE(before);
  m_tmux.run({"split-window", "-d", "-t", "work"});
  const QStringList panes = m_tmux.paneIds();

  writeLauncher(appDir() + "/vesket", 999999, false);
  const auto upgrade = provisioner.performProvisionWork();
  ASSERT_EQ(upgrade.kind, Kind::provisioned) << DaemonProvision::rawValue(upgrade.failure);
  EXPECT_FALSE(upgrade.isFreshInstall);
  EXPECT_EQ(digestOf(installed()), digestOf(appDir() + "/vesket"));
  EXPECT_TRUE(DaemonProvisioner::hasTrustedReleaseSignature(installed()));
  const auto after = answeringPid();
  ASSERT_TRUE(after);
  EXPECT_NE(after, before) << "the new build runs";
  EXPECT_EQ(m_tmux.paneIds(), panes);
  QProcess list;
  list.start(installed(), {"panes", "--json"});
  list.waitForFinished(10000);
  EXPECT_EQ(QString::fromUtf8(list.readAllStandardOutput()).count("\"paneId\""), 2);
  const QStringList leftovers = QDir(home() + "/bin").entryList(QDir::Files | QDir::Hidden);
  EXPECT_EQ(leftovers, QStringList({"vesket", "vesket.sig"}));

  // An older build is not installed over the newer one.
  ASSERT_TRUE(QFile::remove(appDir() + "/vesket") && QFile::remove(appDir() + "/vesket.sig"));
  ASSERT_TRUE(QFile::copy(builtDaemon(), appDir() + "/vesket"));
  ASSERT_TRUE(QFile::copy(builtDaemon() + ".sig", appDir() + "/vesket.sig"));
  const auto older = provisioner.performProvisionWork();
  EXPECT_EQ(older.kind, Kind::keepInstalled);
  EXPECT_TRUE(older.embeddedIsOlder);
  EXPECT_EQ(answeringPid(), after);
}

TEST_F(DaemonProvisioningTest, ANewDaemonThatDiesAtOnceIsRolledBackAndTheFailureShown) {
  StatusPoller poller(paths(), {60000, 1.0});
  ASSERT_TRUE(awaitTask(poller.provisionDaemonOnce(), 60000));
  const auto before = answeringPid();
  ASSERT_TRUE(before);
  const std::string good = digestOf(installed());

  writeLauncher(appDir() + "/vesket", 999999, true);
  QSignalSpy shown(&poller, &StatusPoller::provisionFailureShown);
  EXPECT_FALSE(awaitTask(poller.provisionDaemonOnce(), 120000));
  EXPECT_EQ(poller.daemonProvisionFailure(), Failure::replacementRolledBack);
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(digestOf(installed()), good) << "the previous daemon is back";
  EXPECT_TRUE(DaemonProvisioner::hasTrustedReleaseSignature(installed()));
  EXPECT_TRUE(waitUntil([&] { return answeringPid().has_value(); }, 20000)) << "and it runs";
  QFile log(poller.diagnosticLog().path());
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(log.readAll());
  EXPECT_TRUE(text.contains("failure=replacementRolledBack disposition=userAlert reason=Vesket installed a new daemon"))
      << text.toStdString();
  const QStringList leftovers = QDir(home() + "/bin").entryList(QDir::Files | QDir::Hidden);
  EXPECT_EQ(leftovers, QStringList({"vesket", "vesket.sig"}));

  // The next status round that finds the daemon running clears the failure.
  QSignalSpy recovered(&poller, &StatusPoller::provisionFailureRecovered);
  poller.poll();
  ASSERT_TRUE(waitUntil([&] { return !recovered.isEmpty(); }, 15000));
  EXPECT_FALSE(poller.daemonProvisionFailure());
}

TEST_F(DaemonProvisioningTest, TheRollbackPinHoldsUntilUpdatesAreResumed) {
  StatusPoller poller(paths(), {60000, 1.0});
  ASSERT_TRUE(awaitTask(poller.provisionDaemonOnce(), 60000));
  const std::string pinned = digestOf(installed());
  QDir().mkpath(home() + "/daemon");
  QFile pin(home() + "/daemon/rollback-pin.sha256");
  ASSERT_TRUE(pin.open(QIODevice::WriteOnly));
  pin.write(QByteArray::fromStdString(pinned) + "\n");
  pin.close();

  writeLauncher(appDir() + "/vesket", 999999, false);
  ASSERT_TRUE(awaitTask(poller.provisionDaemonOnce(), 60000));
  EXPECT_EQ(poller.daemonRollbackPinDigest(), QString::fromStdString(pinned.substr(0, 12)));
  EXPECT_EQ(digestOf(installed()), pinned);

  awaitTask([](StatusPoller& p) -> QCoro::Task<bool> {
    co_await p.resumeAutomaticDaemonUpdates();
    co_return true;
  }(poller), 120000);
  EXPECT_FALSE(QFileInfo::exists(home() + "/daemon/rollback-pin.sha256"));
  EXPECT_FALSE(poller.daemonRollbackPinDigest());
  EXPECT_EQ(digestOf(installed()), digestOf(appDir() + "/vesket"));
}

TEST_F(DaemonProvisioningTest, StartingWithANewerBuildUpgradesTheRunningDaemonThenRunsThePostProvisionTasksOnce) {
  DaemonProvisioner provisioner(paths(), std::make_shared<ProvisionDiagnosticLog>());
  ASSERT_EQ(provisioner.performProvisionWork().kind, Kind::provisioned);
  const auto before = answeringPid();
  ASSERT_TRUE(before);
  m_tmux.run({"split-window", "-d", "-t", "work"});
  const QStringList panes = m_tmux.paneIds();

  // The application starts with a newer signed build beside it.
  writeLauncher(appDir() + "/vesket", 999999, false);
  auto settings = shell::SettingsStore::openFile(m_root.filePath("state/preferences"));
  ASSERT_TRUE(settings);
  StatusPoller poller(paths(), {300, 1.0, settings.get()});
  QSignalSpy finished(&poller, &StatusPoller::postProvisionTasksFinished);
  poller.start();
  ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); }, 120000));
  EXPECT_EQ(digestOf(installed()), digestOf(appDir() + "/vesket"));
  ASSERT_TRUE(waitUntil([&] { return poller.isRunning() && poller.pid() && poller.pid() != before; }, 30000));
  EXPECT_EQ(m_tmux.paneIds(), panes) << "no pane was lost";
  EXPECT_TRUE(settings->get(shell::SettingsKeys::postProvisionTasksDone));
  QFile log(poller.diagnosticLog().path());
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(log.readAll());
  EXPECT_TRUE(text.contains("[auto-attach] exit=0 {\"attached\":true")) << text.toStdString();
  EXPECT_TRUE(text.contains("[skills-sync] exit=")) << text.toStdString();

  // A later provisioning (the same build again after a reinstall) does not repeat them.
  QSignalSpy again(&poller, &StatusPoller::postProvisionTasksFinished);
  ASSERT_TRUE(QFile::remove(installed()));
  ASSERT_TRUE(awaitTask(poller.provisionDaemonOnce(), 60000));
  testing::spinFor(500);
  EXPECT_TRUE(again.isEmpty());
}

TEST_F(DaemonProvisioningTest, AKilledServiceComesBackWhileTheApplicationRuns) {
  // The real grace delays: 4 s after the first reload, 6 s after later ones.
  StatusPoller poller(paths(), {300, 1.0});
  poller.start();
  ASSERT_TRUE(waitUntil([&] { return poller.isRunning() && poller.pid(); }, 60000));
  // The supervisor and its daemon both die, as at a crash of the session's services.
  const auto state = manager()->print();
  ASSERT_TRUE(state.pid);
  QFile pidFile(home() + "/daemon/supervisor.pid");
  ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
  const qint64 supervisor = pidFile.readAll().simplified().split(' ').value(0).toLongLong();
  ASSERT_GT(supervisor, 0);
  ::kill(static_cast<pid_t>(supervisor), SIGKILL);
  ::kill(static_cast<pid_t>(*state.pid), SIGKILL);
  ASSERT_TRUE(waitUntil([&] { return !poller.isRunning(); }, 15000));
  EXPECT_TRUE(waitUntil([&] { return poller.isRunning() && poller.pid() && poller.pid() != state.pid; }, 30000));
  EXPECT_GE(poller.autostartAttempts(), 1);
  EXPECT_TRUE(answeringPid());
}

}  // namespace
}  // namespace vesket::supervision
