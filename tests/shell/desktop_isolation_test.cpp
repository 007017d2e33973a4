#include "shell/desktop_isolation.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <cstdlib>
#include <optional>

#include "tests/support/scoped_environment.h"
#include "shell/host_environment.h"
#include "shell/vesket_identity.h"

namespace vesket::shell {
namespace {

namespace DI = DesktopIsolation;

class DesktopIsolationIo : public ::testing::Test {
 protected:
  explicit DesktopIsolationIo(const QString& root = {}) : user(root) {}

  void isolate() {
    user.environment().set("VESKET_DESKTOP_ISOLATED", "1");
    user.environment().set("VESKET_HOME", user.root().toUtf8() + "/vesket");
  }

  TemporaryUser user;
};

TEST_F(DesktopIsolationIo, NormalInstance) {
  EXPECT_EQ(DI::current(), std::nullopt);
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(DI::permits(DI::HostAction::loginItem));
  EXPECT_TRUE(DI::permitsDaemonCommand({"update"}));
  EXPECT_TRUE(DI::checkServiceManagerCommand({"bootstrap", "gui/0", "x.plist"}).allowed());
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(DI::stateDirectory(), user.root() + "/state/vesket");
}

TEST_F(DesktopIsolationIo, ApplyingTheContextRedirectsTheProductHome) {
  EXPECT_TRUE(DI::applyToProcess());  // a normal instance is left alone
  EXPECT_FALSE(qEnvironmentVariableIsSet("VESKET_HOME"));

  // An isolated home inside the real product home: the quarantine directory replaces it.
  const QByteArray refused =
      QByteArray::fromStdString(HostEnvironment::accountDatabaseHome()) + "/.vesket";
  user.environment().set("VESKET_DESKTOP_ISOLATED", "1");
  user.environment().set("VESKET_HOME", refused);
  const auto before = DI::current();
  ASSERT_TRUE(before);
  EXPECT_TRUE(before->vesketHome.starts_with("/tmp/vesket-desktop-quarantine-")) << before->vesketHome;
  ASSERT_TRUE(DI::applyToProcess());
  const QString quarantine = QString::fromStdString(before->vesketHome);
  EXPECT_EQ(qgetenv("VESKET_HOME"), quarantine.toUtf8());
  EXPECT_EQ(qgetenv("DURNVALE_HOME"), quarantine.toUtf8());
  EXPECT_EQ(VesketIdentity::resolveHome(), quarantine);
  EXPECT_EQ(DI::current(), before);  // applying again changes nothing
  for (const auto& directory : {before->vesketHome, before->stateDirectory, before->tmuxSocketDirectory}) {
    struct stat status {};
    ASSERT_EQ(::stat(directory.c_str(), &status), 0) << directory;
    EXPECT_EQ(status.st_mode & 0777, 0700u) << directory;
  }
  QDir(QString::fromStdString(before->tmuxSocketDirectory)).removeRecursively();
  QDir(quarantine.section('/', 0, -2)).removeRecursively();
}

TEST_F(DesktopIsolationIo, ApplyingFailsWhereTheHomeCannotBeADirectory) {
  isolate();
  QFile blocker(user.root() + "/vesket");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(DI::applyToProcess());
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[desktop-isolation] " + (user.root() + "/vesket").toStdString() +
                " is not a directory of this user\n");
  QDir(QString::fromStdString(DI::current()->tmuxSocketDirectory)).removeRecursively();
}

TEST_F(DesktopIsolationIo, IsolatedInstanceRefusesAndLogs) {
  isolate();
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(DI::permits(DI::HostAction::packageInstall));
  EXPECT_FALSE(DI::permitsDaemonCommand({"daemon", "install-service"}));
  EXPECT_TRUE(DI::permitsDaemonCommand({"daemon", "status", "--json"}));
  const auto verdict = DI::checkServiceManagerCommand({"bootout", "gui/0/com.vesket.daemon"});
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "[desktop-isolation] host action packageInstall REFUSED in isolated mode\n"
            "[desktop-isolation] host action daemonServiceInstall REFUSED in isolated mode\n"
            "launchctl bootout gui/0/com.vesket.daemon REFUSED in isolated mode: names the "
            "production launchd job (gui/0/com.vesket.daemon)\n");
  EXPECT_FALSE(verdict.allowed());

  const auto own = "gui/" + QString::number(HostEnvironment::userId()) + "/" +
                   QString::fromStdString(*DI::current()->launchLabel);
  EXPECT_TRUE(DI::checkServiceManagerCommand({"kickstart", "-k", own}).allowed());
}

TEST_F(DesktopIsolationIo, ChildProcessEnvironment) {
  user.environment().set("TMUX", "/tmp/tmux-0/default,1,0");
  user.environment().set("CONTROL_TOKEN", "secret");
  user.environment().set("VESKET_TEST_MARKER", "kept");

  const auto normal = DI::childProcessEnvironment();
  EXPECT_EQ(normal.value("TMUX"), "/tmp/tmux-0/default,1,0");
  EXPECT_EQ(normal.value("CONTROL_TOKEN"), "secret");

  // Isolated: the context comes from the process's environment, the child gets its homes.
  isolate();
  const auto context = DI::current();
  ASSERT_TRUE(context);
  EXPECT_TRUE(context->sealed);
  EXPECT_EQ(DI::stateDirectory(), user.root() + "/vesket/desktop-state");
  const auto child = DI::childProcessEnvironment();
  EXPECT_FALSE(child.contains("TMUX"));
  EXPECT_FALSE(child.contains("CONTROL_TOKEN"));
  EXPECT_EQ(child.value("VESKET_TEST_MARKER"), "kept");
  EXPECT_EQ(child.value("HOME"), user.home());
  EXPECT_EQ(child.value("TMUX_TMPDIR").toStdString(), context->tmuxSocketDirectory);
  EXPECT_EQ(child.value("VESKET_HOME"), user.root() + "/vesket");
  EXPECT_EQ(child.value("DURNVALE_HOME"), user.root() + "/vesket");
  EXPECT_EQ(child.value("VESKET_HOME_INTENTIONAL"), "1");
  EXPECT_EQ(child.value("VESKET_CLI_LINK_DIRS"), user.root() + "/vesket/desktop-state/cli-links");
}

// The settings store is opened once per process, so each of these opens it in a child
// process. The child runs the test again from the start (a fresh process, no settings paths
// cached yet); it finds the parent's temporary directory in the environment.
constexpr char sharedRootVariable[] = "VESKET_SHELL_TEST_SHARED_ROOT";

class SharedRoot {
 public:
  SharedRoot() {
    m_path = qEnvironmentVariable(sharedRootVariable);
    if (m_path.isEmpty()) {
      m_directory.emplace();
      m_path = m_directory->path();
      qputenv(sharedRootVariable, m_path.toUtf8());
    }
  }
  ~SharedRoot() {
    if (m_directory) qunsetenv(sharedRootVariable);
  }
  QString path() const { return m_path; }

 private:
  std::optional<QTemporaryDir> m_directory;
  QString m_path;
};

// SharedRoot comes first so that it exists before the temporary user is placed inside it.
class DesktopIsolationDefaults : private SharedRoot, public DesktopIsolationIo {
 protected:
  DesktopIsolationDefaults() : DesktopIsolationIo(SharedRoot::path()) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
  }
};

TEST_F(DesktopIsolationDefaults, IsolatedInstanceUsesItsStateDirectory) {
  isolate();
  const QString expected = user.root() + "/vesket/desktop-state/preferences";
  EXPECT_EXIT(
      {
        auto& store = DI::defaults();
        store.set(SettingsKeys::macCopyOnSelect, false);
        const bool stored = store.sync() && store.fileName() == expected;
        std::_Exit(stored ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
  QSettings written(expected, QSettings::IniFormat);
  EXPECT_EQ(written.value("durnvale.macCopyOnSelect").toString(), "false");
}

TEST_F(DesktopIsolationDefaults, UnopenableIsolatedStoreStopsTheProcess) {
  isolate();
  // The state directory cannot be created under a regular file.
  QFile blocker(user.root() + "/vesket");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_EXIT(DI::defaults(), ::testing::ExitedWithCode(EXIT_FAILURE),
              "\\[desktop-isolation\\] cannot open the isolated preferences store at " +
                  (user.root() + "/vesket/desktop-state/preferences").toStdString());
}

TEST_F(DesktopIsolationDefaults, NormalInstanceFollowsXdgConfigHome) {
  const QString expected = user.root() + "/config/Vesket/vesket-desktop.conf";
  EXPECT_EXIT(
      {
        auto& store = DI::defaults();
        store.set(SettingsKeys::terminalHistoryLimit, 1000);
        std::_Exit(store.sync() && store.fileName() == expected ? 0 : 3);
      },
      ::testing::ExitedWithCode(0), "");
  QSettings written(expected, QSettings::IniFormat);
  EXPECT_EQ(written.value("durnvale.terminalHistoryLimit").toInt(), 1000);
}

TEST_F(DesktopIsolationDefaults, TestProgramNeverReachesTheAccountsRealSettings) {
  // Nothing is written: the process stops before the store is handed out.
  user.environment().set("XDG_CONFIG_HOME", QByteArray::fromStdString(HostEnvironment::accountDatabaseHome()) +
                                                "/.config-vesket-never-created");
  EXPECT_EXIT(DI::defaults(), ::testing::ExitedWithCode(EXIT_FAILURE),
              "a test program must not use the account's real settings");
}

}  // namespace
}  // namespace vesket::shell
