// Releases and updates end to end: releases published with the release packager (what
// scripts/release runs) into a downloads directory served by the real `vesket-relay
// --releases`, installed by the real `vesket update` into a temporary home under the
// project's own supervisor with a private tmux server.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "maintenance/application_bundle.h"
#include "maintenance/release_packager.h"
#include "maintenance/update_checker.h"
#include "maintenance/update_installer.h"
#include "maintenance/update_markers.h"
#include "platform/release_verifier.h"
#include "supervision/core/daemon_status_snapshot.h"
#include "tests/support/await_task.h"
#include "tests/support/event_loop.h"
#include "tests/support/private_tmux.h"
#include "tests/support/real_relay.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/private_daemon.h"
#include "tests/support/screenshot.h"
#include "ui/update_banner.h"

namespace vesket::maintenance {
namespace {

namespace Bundle = ApplicationBundle;

QString binDir() {
  const QString dir = qEnvironmentVariable("VESKET_BIN_DIR");
  return QFileInfo(dir.isEmpty() ? QStringLiteral("build/bin") : dir).absoluteFilePath();
}

std::string digestOf(const QString& path) {
  const auto digest = platform::ReleaseVerifier::fileDigest(path);
  return digest ? digest->sha256 : std::string("(unreadable)");
}

struct UpdaterRun {
  int exitCode = -1;
  QString out;
  QString err;
};

class UpdateEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_user.emplace(m_tmux.path("user"));
    auto& env = m_user->environment();
    QDir().mkpath(m_user->home());
    testing::useSupervisedDaemonEnvironment(env, m_tmux.path("runtime"), home(), m_tmux.socketPath());
    m_tmux.newSession("work");
    QDir().mkpath(downloads());
    m_relay.emplace(m_tmux.path("relay-data"), QStringList{"--releases", downloads()});
    ASSERT_TRUE(m_relay->start());
    env.set("VESKET_UPDATE_URL_OVERRIDE", (m_relay->baseUrl() + "/downloads/releases.json").toUtf8());
  }

  void TearDown() override {
    if (QFileInfo::exists(installedDaemon())) QProcess::execute(installedDaemon(), {"daemon", "stop"});
  }

  QString home() const { return m_user->home() + "/.vesket"; }
  QString downloads() const { return m_tmux.path("downloads"); }
  QString installedDaemon() const { return home() + "/bin/vesket"; }

  // Publishes a release of this build's programs (or of `daemon`) as build `build`.
  ReleaseEntry publish(qint64 build, const QString& daemon = binDir() + "/vesket",
                       const QString& key = VESKET_TEST_SIGNING_KEY) {
    ReleaseInputs inputs;
    inputs.version = QStringLiteral("9.%1").arg(build % 100);
    inputs.build = build;
    inputs.application = binDir() + "/vesket-desktop";
    inputs.daemon = daemon;
    inputs.files = {{QStringLiteral(VESKET_SOURCE_DIR "/terminal/web/index.html"),
                     QStringLiteral("share/vesket/terminal/index.html")}};
    inputs.signingKey = key;
    inputs.outputDir = downloads();
    const auto published = ReleasePackager::publish(inputs);
    if (const auto* failure = std::get_if<QString>(&published)) ADD_FAILURE() << failure->toStdString();
    return std::get_if<ReleaseEntry>(&published) ? std::get<ReleaseEntry>(published) : ReleaseEntry{};
  }
  QString artifactOf(const ReleaseEntry& entry) const {
    return downloads() + "/" + QString::fromStdString(entry.artifacts.front().filename);
  }

  UpdaterRun update(const QString& updater) const {
    QProcess process;
    process.start(updater, {"update"});
    UpdaterRun run;
    if (!process.waitForFinished(180000)) {
      process.kill();
      process.waitForFinished();
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
  }

  std::optional<qint64> daemonPid() const {
    QProcess status;
    status.start(installedDaemon(), {"daemon", "status"});
    status.waitForFinished(10000);
    const auto snapshot = supervision::DaemonStatusSnapshot::parse(status.readAllStandardOutput().toStdString());
    if (!snapshot.isRunning || !snapshot.pid) return std::nullopt;
    return *snapshot.pid;
  }

  static QString titleOf(const QWidget& banner) {
    const auto* title = banner.findChild<QLabel*>("updateTitle");
    return title && banner.isVisible() ? title->text() : QString();
  }

  // Every file under the product home with its digest (and where each link points), one
  // per line.
  std::string homeContents() const {
    std::map<QString, std::string> contents;
    QDirIterator it(home(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      const QFileInfo info(path);
      if (info.isSymLink()) contents[path] = "-> " + info.symLinkTarget().toStdString();
      else if (info.isFile()) contents[path] = digestOf(path);
      else contents[path] = "dir";
    }
    std::string listing;
    for (const auto& [path, what] : contents) listing += path.mid(home().size()).toStdString() + " " + what + "\n";
    return listing;
  }

  testing::PrivateTmux m_tmux{testing::PrivateTmux::Start::empty};
  std::optional<TemporaryUser> m_user;
  std::optional<testing::RealRelay> m_relay;
};

TEST_F(UpdateEndToEndTest, UpdatesInstallTheApplicationAndReplaceTheRunningDaemon) {
  // First install, the way the application makes it: its daemon is in the home's bin/ (as
  // provisioning leaves it, not running), the checker finds the release, the installer
  // runs that daemon's updater; the daemon is kept (the same build) and started, the
  // application bundle becomes app/current.
  QDir().mkpath(home() + "/bin");
  ASSERT_TRUE(QFile::copy(binDir() + "/vesket", installedDaemon()));
  ASSERT_TRUE(QFile::copy(binDir() + "/vesket.sig", installedDaemon() + ".sig"));
  const ReleaseEntry first = publish(1000001);
  UpdateChecker checker({home(), 1, false, 8000, {}});
  testing::awaitTask(checker.check());
  EXPECT_EQ(checker.result(), UpdateResult::updateAvailable(
                                  "9.1", 1000001,
                                  (m_relay->baseUrl() + "/downloads/").toStdString() + first.artifacts[0].filename));
  UpdateInstaller installer({home(), true, {}, QProcessEnvironment::systemEnvironment(), 200, 900, {}, 0});
  // The window's card follows both; a picture of each state it passes through.
  ui::UpdateBanner banner(checker, installer);
  banner.resize(300, 130);
  banner.show();
  EXPECT_EQ(titleOf(banner), "Update available: Vesket 9.1");
  testing::saveScreenshot(banner, "update-available");
  std::vector<double> fractions;
  QString installingTitle;
  QObject::connect(&installer, &UpdateInstaller::progressFractionChanged, [&] {
    if (!installer.progressFraction()) return;
    fractions.push_back(*installer.progressFraction());
    if (installingTitle.isEmpty() && *installer.progressFraction() < 1) {
      installingTitle = titleOf(banner);
      testing::saveScreenshot(banner, "update-installing");
    }
  });
  installer.install(true);
  ASSERT_EQ(installer.state().kind, UpdateInstaller::State::Kind::installing);
  ASSERT_TRUE(testing::waitUntil([&] { return installer.state().kind != UpdateInstaller::State::Kind::installing; },
                                 180000));
  ASSERT_EQ(installer.state().kind, UpdateInstaller::State::Kind::pendingRestart)
      << installer.state().output.toStdString();
  EXPECT_TRUE(testing::waitUntil([&] { return installer.progressFraction() == 1.0; }, 60000));
  EXPECT_GE(fractions.size(), 2u);
  EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
  EXPECT_TRUE(installingTitle.startsWith(QString::fromUtf8("Installing update… ")) && installingTitle.endsWith("%"))
      << installingTitle.toStdString();
  EXPECT_EQ(titleOf(banner), "Restart to finish the update");
  testing::saveScreenshot(banner, "update-restart");
  // Not yet restarted: still pending; restarted as the target build: the marker goes.
  testing::awaitTask(checker.check());
  EXPECT_EQ(checker.result(), UpdateResult::pendingRestart());
  UpdateChecker restarted({home(), 1000001, false, 8000, {}});
  testing::awaitTask(restarted.check());
  EXPECT_EQ(restarted.result(), UpdateResult::upToDate(1000001));
  EXPECT_FALSE(UpdateMarkers(home()).pendingRestartExists());
  ASSERT_TRUE(UpdateMarkers(home()).writePendingRestart(1000001));
  EXPECT_EQ(Bundle::readInfo(Bundle::currentBundle(home()))->build, 1000001);
  EXPECT_TRUE(QFileInfo(Bundle::executable(Bundle::currentBundle(home()))).isExecutable());
  EXPECT_TRUE(QFileInfo::exists(Bundle::currentBundle(home()) + "/share/vesket/terminal/index.html"));
  EXPECT_EQ(UpdateMarkers(home()).pendingRestartTarget(), 1000001);
  EXPECT_EQ(digestOf(installedDaemon()), digestOf(Bundle::daemon(Bundle::currentBundle(home()))));
  const auto before = daemonPid();
  ASSERT_TRUE(before) << "the first update did not leave a running daemon";

  // A newer build whose daemon differs (a launcher with a higher build in front of the
  // real daemon): the running daemon is replaced through the restart transaction by the
  // updater that is itself the installed daemon.
  const QString realDaemon = m_tmux.path("real-vesket");
  ASSERT_TRUE(QFile::copy(binDir() + "/vesket", realDaemon));
  const QString launcher = m_tmux.path("launcher/vesket");
  QDir().mkpath(QFileInfo(launcher).absolutePath());
  {
    QFile file(launcher);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/bash\n"
                              "if [ \"${1:-}\" = --version ]; then\n"
                              "  printf 'vesket 9.9.9\\nbuilt: 2030-01-01T00:00:00Z\\ncommits: 999999\\nsha: %1\\n'\n"
                              "  exit 0\n"
                              "fi\n"
                              "exec -a \"$0\" '%2' \"$@\"\n")
                   .arg(QString(40, QChar('d')), realDaemon)
                   .toUtf8());
  }
  QFile::setPermissions(launcher, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  const QString firstBundle = QFileInfo(Bundle::currentBundle(home())).canonicalFilePath();
  publish(1000002, launcher);
  const UpdaterRun upgraded = update(installedDaemon());
  ASSERT_EQ(upgraded.exitCode, 0) << upgraded.out.toStdString() << upgraded.err.toStdString();
  EXPECT_EQ(Bundle::readInfo(Bundle::currentBundle(home()))->build, 1000002);
  EXPECT_EQ(UpdateMarkers(home()).pendingRestartTarget(), 1000002);
  EXPECT_EQ(digestOf(installedDaemon()), digestOf(launcher));
  EXPECT_TRUE(platform::ReleaseVerifier::hasTrustedReleaseSignature(installedDaemon()));
  const auto after = daemonPid();
  ASSERT_TRUE(after) << "no daemon runs after the upgrade";
  EXPECT_NE(*after, *before);
  // The bundle before stays for one more update; the catalog offers nothing newer now.
  EXPECT_TRUE(QFileInfo::exists(firstBundle));
  const UpdaterRun again = update(installedDaemon());
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_TRUE(again.out.contains("up to date")) << again.out.toStdString();
  EXPECT_EQ(first.artifacts.size(), 2u);
}

TEST_F(UpdateEndToEndTest, TamperedUnsignedAndForeignSignedArtifactsAreRefusedAndNothingChanges) {
  // An installed build 5: its bundle, its daemon and a marker (the daemon is not running;
  // a refused update must not get as far as it).
  const QString bundle = Bundle::releasesDir(home()) + "/vesket-old";
  QDir().mkpath(bundle + "/bin");
  ASSERT_TRUE(QFile::copy(binDir() + "/vesket", bundle + "/bin/vesket"));
  QFile info(bundle + "/" + Bundle::kInfoFileName);
  ASSERT_TRUE(info.open(QIODevice::WriteOnly));
  info.write(R"({"version":"0.5","build":5})");
  info.close();
  ASSERT_TRUE(QFile::link("releases/vesket-old", Bundle::currentBundle(home())));
  QDir().mkpath(home() + "/bin");
  ASSERT_TRUE(QFile::copy(binDir() + "/vesket", installedDaemon()));
  ASSERT_TRUE(QFile::copy(binDir() + "/vesket.sig", installedDaemon() + ".sig"));
  ASSERT_TRUE(UpdateMarkers(home()).writePendingRestart(5));
  const auto untouched = homeContents();

  const ReleaseEntry entry = publish(1000003);
  const QString artifact = artifactOf(entry);
  {
    // One byte of the artifact changed after signing.
    QFile file(artifact);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(file.size() / 2);
    char byte = 0;
    file.getChar(&byte);
    file.seek(file.size() / 2);
    file.putChar(static_cast<char>(byte ^ 0x20));
  }
  const UpdaterRun tampered = update(installedDaemon());
  EXPECT_NE(tampered.exitCode, 0);
  EXPECT_TRUE(tampered.err.contains("does not verify (executable differs from the signed one)"))
      << tampered.err.toStdString();
  EXPECT_TRUE(tampered.err.contains("nothing was changed"));
  EXPECT_EQ(homeContents(), untouched);

  // Signed with a key this build does not trust.
  QTemporaryDir keys;
  const QString foreignKey = keys.filePath("foreign.pem");
  ASSERT_EQ(QProcess::execute("openssl", {"genpkey", "-algorithm", "ed25519", "-out", foreignKey}), 0);
  publish(1000003, binDir() + "/vesket", foreignKey);
  const UpdaterRun foreign = update(installedDaemon());
  EXPECT_NE(foreign.exitCode, 0);
  EXPECT_TRUE(foreign.err.contains("does not verify (signed for another identity)")) << foreign.err.toStdString();
  EXPECT_EQ(homeContents(), untouched);

  // No signature at all.
  ASSERT_TRUE(QFile::remove(artifact + ".sig"));
  const UpdaterRun unsigned_ = update(installedDaemon());
  EXPECT_NE(unsigned_.exitCode, 0);
  EXPECT_TRUE(unsigned_.err.contains("has no release signature")) << unsigned_.err.toStdString();
  EXPECT_EQ(homeContents(), untouched);
  EXPECT_EQ(daemonPid(), std::nullopt);

  // The relaunch needs an application in the current bundle; this one has none.
  UpdateInstaller installer({home(), true, {}, QProcessEnvironment::systemEnvironment(), 1000, 900, [] {
                               ADD_FAILURE() << "quit without a relaunch";
                             }, 0});
  EXPECT_EQ(installer.restartToFinish(), QStringLiteral("Updated Vesket app was not found at %1.")
                                             .arg(Bundle::executable(Bundle::currentBundle(home()))));
  // The application's own install of a tampered release fails with the updater's words.
  publish(1000003);
  {
    QFile file(artifact);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(100);
    file.putChar('x');
  }
  UpdateChecker checker({home(), 5, false, 8000, {}});
  ui::UpdateBanner banner(checker, installer);
  banner.resize(300, 150);
  banner.show();
  installer.install(true);
  ASSERT_TRUE(testing::waitUntil([&] { return installer.state().kind != UpdateInstaller::State::Kind::installing; },
                                 120000));
  EXPECT_EQ(installer.state().kind, UpdateInstaller::State::Kind::failed);
  EXPECT_TRUE(installer.state().message.contains("refusing the update")) << installer.state().message.toStdString();
  EXPECT_FALSE(installer.isPermsError());
  EXPECT_EQ(titleOf(banner), "Update failed");
  testing::saveScreenshot(banner, "update-failed");
  EXPECT_EQ(homeContents(), untouched);

  // An isolated instance refuses before anything runs.
  UpdateInstaller isolated({home(), false, {}, QProcessEnvironment::systemEnvironment(), 1000, 900, {}, 0});
  isolated.install(true);
  EXPECT_EQ(isolated.state().message, "Updates are disabled: this is an isolated instance.");
}

}  // namespace
}  // namespace vesket::maintenance
