#include "shell/vesket_identity.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QUuid>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/scoped_environment.h"
#include "shell/host_environment.h"

namespace vesket::shell {
namespace {

class VesketIdentityIo : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(QDir().mkpath(user.home())); }

  void publish(const std::string& bytes) {
    QFile file(user.home() + "/.vesket-daemon-identity.json");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }

  // The facts of this process as a normal (not test) program would see them.
  static HostFacts normalProgram() {
    auto facts = VesketIdentity::currentHostFacts();
    facts.testProgram = false;
    return facts;
  }

  // A home that no earlier test used, so the once-per-pair warning is fresh.
  static std::string uniqueHome() {
    return "/srv/vesket-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
  }

  TemporaryUser user;
};

TEST_F(VesketIdentityIo, DefaultsToTheHomeDirectory) {
  EXPECT_EQ(VesketIdentity::resolveHome(), user.home() + "/.vesket");
  EXPECT_EQ(VesketIdentity::resolveHomeFor(normalProgram()), user.home() + "/.vesket");
  EXPECT_EQ(VesketIdentity::identityRecordPath(), user.home() + "/.vesket-daemon-identity.json");
  EXPECT_EQ(VesketIdentity::explicitEnvHome(), std::nullopt);
}

TEST_F(VesketIdentityIo, EmptyVesketHomeFallsThroughForTheExplicitHome) {
  user.environment().set("VESKET_HOME", "");
  user.environment().set("DURNVALE_HOME", "/legacy");
  EXPECT_EQ(VesketIdentity::envDerivedHome(), "");
  EXPECT_EQ(VesketIdentity::explicitEnvHome(), "/legacy");
  EXPECT_TRUE(VesketIdentity::provisioningTargetIsRedirected("/elsewhere"));
  EXPECT_FALSE(VesketIdentity::provisioningTargetIsRedirected("/legacy/"));
}

TEST_F(VesketIdentityIo, LiveDaemonHomeWinsAndWarnsOnce) {
  const std::string published = uniqueHome();
  publish(IdentityRecord{published, "install", getpid(), 1.0}.encode());
  user.environment().set("VESKET_HOME", "/mine");

  ::testing::internal::CaptureStderr();
  const QString first = VesketIdentity::resolveHomeFor(normalProgram());
  const QString second = VesketIdentity::resolveHomeFor(normalProgram());
  const std::string written = ::testing::internal::GetCapturedStderr();

  EXPECT_EQ(first.toStdString(), published);
  EXPECT_EQ(second.toStdString(), published);
  EXPECT_EQ(written, "[vesket] WARNING: this app's own env-derived Vesket home ('/mine') "
                     "disagrees with the running daemon's published home ('" +
                         published + "', from " + user.home().toStdString() +
                         "/.vesket-daemon-identity.json) \xE2\x80\x94 preferring the daemon's "
                         "published value.\n");
}

TEST_F(VesketIdentityIo, ProcessOfAnotherUserCountsAsAlive) {
  // pid 1 exists; unless this test runs as root, probing it fails with EPERM.
  const std::string published = uniqueHome();
  publish(IdentityRecord{published, std::nullopt, 1, std::nullopt}.encode());
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(VesketIdentity::resolveHomeFor(normalProgram()).toStdString(), published);
  ::testing::internal::GetCapturedStderr();
}

TEST_F(VesketIdentityIo, DeadDaemonIsIgnoredSilently) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  ASSERT_EQ(HostEnvironment::probeProcess(child), PidProbe::noSuchProcess);

  publish(IdentityRecord{uniqueHome(), std::nullopt, child, std::nullopt}.encode());
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(VesketIdentity::resolveHomeFor(normalProgram()), user.home() + "/.vesket");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(VesketIdentityIo, UnreadableRecordsFallBackToTheEnvironment) {
  user.environment().set("DURNVALE_HOME", "/legacy");
  for (const std::string& bytes : {std::string("{\"home\": "), std::string("{\"home\":\"\",\"pid\":1}"),
                                  std::string(100 * 1024, ' ')}) {
    publish(bytes);
    EXPECT_EQ(VesketIdentity::resolveHomeFor(normalProgram()), "/legacy");
  }
  // A directory where the file should be.
  QFile::remove(user.home() + "/.vesket-daemon-identity.json");
  ASSERT_TRUE(QDir().mkpath(user.home() + "/.vesket-daemon-identity.json"));
  EXPECT_EQ(VesketIdentity::resolveHomeFor(normalProgram()), "/legacy");
  // A FIFO nobody writes to must not hang the caller.
  ASSERT_TRUE(QDir().rmdir(user.home() + "/.vesket-daemon-identity.json"));
  ASSERT_EQ(mkfifo((user.home() + "/.vesket-daemon-identity.json").toUtf8().constData(), 0600), 0);
  EXPECT_EQ(VesketIdentity::resolveHomeFor(normalProgram()), "/legacy");
}

TEST_F(VesketIdentityIo, IsolationIgnoresTheIdentityFile) {
  publish(IdentityRecord{uniqueHome(), std::nullopt, getpid(), std::nullopt}.encode());
  // This process is a test program: the record is never consulted.
  EXPECT_TRUE(VesketIdentity::isRunningInTestHost());
  EXPECT_EQ(VesketIdentity::resolveHome(), user.home() + "/.vesket");

  user.environment().set("VESKET_DESKTOP_ISOLATED", "1");
  user.environment().set("VESKET_HOME", "/iso");
  EXPECT_EQ(VesketIdentity::resolveHomeFor(normalProgram()), "/iso");
}

TEST_F(VesketIdentityIo, ProvisioningNeverTargetsTheRealHomeWhenIsolated) {
  user.environment().set("VESKET_HOME", user.home().toUtf8() + "/.vesket");
  EXPECT_FALSE(VesketIdentity::provisioningPermitted(user.home() + "/.vesket", "~/.vesket"));
  EXPECT_TRUE(VesketIdentity::provisioningPermitted(user.home() + "/.vesket", "/other"));
  user.environment().unset("VESKET_HOME");
  EXPECT_FALSE(VesketIdentity::provisioningPermitted(user.home() + "/.vesket", "/other"));
}

}  // namespace
}  // namespace vesket::shell
