// Readiness probes against a fake login shell whose search path holds fake tools, while the
// application's own PATH holds none; the tmux set-up's configuration as a tracked change.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "maintenance/tracked_mutation.h"
#include "shell/settings_store.h"
#include "supervision/env_provisioner_manager.h"
#include "supervision/environment_readiness.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/await_task.h"
#include "tests/support/event_loop.h"

namespace vesket::supervision {
namespace {

class EnvironmentReadinessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_root.isValid());
    m_user.emplace(m_root.path());
    QDir().mkpath(m_user->home());
    QDir().mkpath(tools());
    QDir().mkpath(m_root.filePath("empty"));
    auto& env = m_user->environment();
    env.set("VESKET_HOME", (m_user->home() + "/.vesket").toUtf8());
    // The application's own search path has nothing; only the login shell knows the tools.
    env.set("PATH", m_root.filePath("empty").toUtf8());
    const QString shell = m_root.filePath("login-shell");
    writeExecutable(shell, QStringLiteral("#!/bin/sh\n"
                                          "echo 'Welcome back' \n"
                                          "PATH='%1'; export PATH\n"
                                          "[ \"$1\" = -l ] && shift\n"
                                          "[ \"$1\" = -c ] && shift\n"
                                          "exec /bin/sh -c \"$1\"\n")
                               .arg(tools()));
    env.set("SHELL", shell.toUtf8());
  }

  QString tools() const { return m_root.filePath("login-tools"); }
  QString home() const { return m_user->home(); }

  static void writeExecutable(const QString& path, const QString& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
    file.close();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  }
  void addTool(const QString& name) { writeExecutable(tools() + "/" + name, "#!/bin/sh\nexit 0\n"); }

  QTemporaryDir m_root;
  std::optional<TemporaryUser> m_user;
};

TEST_F(EnvironmentReadinessTest, FindsEachToolOnlyWhereTheLoginShellHasIt) {
  EXPECT_EQ(EnvironmentReadiness::loginShellPath(), tools()) << "the greeting is not part of the value";
  const QStringList names = {"tmux", "claude", "codex", "gemini", "opencode", "cursor-agent", "jq", "python3", "git"};
  const std::map<QString, std::string> rowOf = {{"cursor-agent", "cursor"}};
  const auto row = [&](const QString& name) {
    const auto it = rowOf.find(name);
    return it == rowOf.end() ? name.toStdString() : it->second;
  };

  const auto none = EnvironmentReadiness::probe(home(), home() + "/.vesket");
  for (const QString& name : names) {
    const auto* tool = none.tool(row(name));
    ASSERT_NE(tool, nullptr) << name.toStdString();
    EXPECT_FALSE(tool->path) << name.toStdString() << " found at " << tool->path.value_or("");
    EXPECT_FALSE(tool->installCommand.empty()) << name.toStdString();
  }
  EXPECT_FALSE(none.readiness.tmuxInstalled);
  EXPECT_FALSE(none.crewDeps.ready());

  // Each tool on its own: found exactly where the login shell has it.
  for (const QString& name : names) {
    addTool(name);
    const auto report = EnvironmentReadiness::probe(home(), home() + "/.vesket");
    const auto* tool = report.tool(row(name));
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->path, (tools() + "/" + name).toStdString()) << name.toStdString();
    for (const QString& other : names) {
      if (other == name) continue;
      EXPECT_FALSE(report.tool(row(other))->path) << other.toStdString() << " with only " << name.toStdString();
    }
    QFile::remove(tools() + "/" + name);
  }

  // All of them; a tool in ~/.local/bin counts although no search path names it.
  for (const QString& name : names) addTool(name);
  QFile::remove(tools() + "/codex");
  QDir().mkpath(home() + "/.local/bin");
  writeExecutable(home() + "/.local/bin/codex", "#!/bin/sh\n");
  const auto all = EnvironmentReadiness::probe(home(), home() + "/.vesket");
  EXPECT_TRUE(all.readiness.tmuxInstalled);
  EXPECT_EQ(all.readiness.agentCliFound, "claude");
  EXPECT_TRUE(all.crewDeps.ready());
  EXPECT_EQ(all.tool("codex")->path, (home() + "/.local/bin/codex").toStdString());
}

TEST_F(EnvironmentReadinessTest, TmuxSetupWritesItsConfigurationAsATrackedChangeAndKeepsTheUsersOwn) {
  addTool("tmux");
  const auto report = EnvironmentReadiness::probe(home(), home() + "/.vesket");
  TmuxSetupManager manager(home());
  manager.setNeedsSetup(true);
  testing::awaitTask([](TmuxSetupManager& m, ReadinessReport r) -> QCoro::Task<bool> {
    co_await m.setup(std::move(r));
    co_return true;
  }(manager, report));
  EXPECT_EQ(manager.state(), TmuxSetupManager::State::done);
  EXPECT_EQ(manager.message(), QString::fromUtf8("tmux + quorline config installed \u2713"));
  EXPECT_FALSE(manager.needsSetup());
  QFile config(home() + "/.config/tmux/tmux.conf");
  ASSERT_TRUE(config.open(QIODevice::ReadOnly));
  EXPECT_EQ(config.readAll().toStdString(), TmuxConfiguration::text());
  EXPECT_TRUE(QFileInfo(home() + "/.config/tmux/scripts/agent-status.sh").isExecutable());
  const auto manifest = maintenance::TrackedMutation().readManifest();
  const auto* record = manifest.find("tmux-config", (home() + "/.config/tmux/tmux.conf").toStdString(), "$file");
  ASSERT_NE(record, nullptr);
  EXPECT_TRUE(record->owned);

  // A configuration of the user's own is never replaced.
  QFile::remove(home() + "/.config/tmux/tmux.conf");
  writeExecutable(home() + "/.config/tmux/tmux.conf", "set -g mouse off\n");
  testing::awaitTask([](TmuxSetupManager& m, ReadinessReport r) -> QCoro::Task<bool> {
    co_await m.setup(std::move(r));
    co_return true;
  }(manager, report));
  EXPECT_EQ(manager.message(), QString::fromUtf8("tmux ready \u00b7 Existing ~/.config/tmux/tmux.conf preserved"));
  QFile own(home() + "/.config/tmux/tmux.conf");
  ASSERT_TRUE(own.open(QIODevice::ReadOnly));
  EXPECT_EQ(own.readAll(), "set -g mouse off\n");

  writeExecutable(home() + "/.tmux.conf", "set -g mouse on\n");
  testing::awaitTask([](TmuxSetupManager& m, ReadinessReport r) -> QCoro::Task<bool> {
    co_await m.setup(std::move(r));
    co_return true;
  }(manager, report));
  EXPECT_EQ(manager.message(), QString::fromUtf8("tmux ready \u00b7 Existing ~/.tmux.conf preserved"));
}

QString installerScript() {
  const QString dir = qEnvironmentVariable("VESKET_BIN_DIR");
  return QFileInfo((dir.isEmpty() ? QStringLiteral("build/bin") : dir) + "/vesket-env-install.sh").absoluteFilePath();
}

// The environment installer shipped with this build, run against a fake package manager on
// the login shell's search path: it installs what is missing in one call and reports each
// step; a changed script is refused before anything runs.
TEST_F(EnvironmentReadinessTest, TheEnvironmentInstallerRunsOnlyItsPinnedScriptAndFollowsItsSteps) {
  const QString calls = m_root.filePath("package-manager-calls");
  // "apt-get install -y PACKAGES" puts an executable for each package on the search path.
  writeExecutable(tools() + "/apt-get", QStringLiteral("#!/bin/bash\n"
                                                       "echo \"$*\" >> '%1'\n"
                                                       "[ -n \"${FAIL_INSTALL:-}\" ] && exit 100\n"
                                                       "for p in \"${@:3}\"; do printf '#!/bin/sh\\n' > '%2/'$p; "
                                                       "/bin/chmod +x '%2/'$p; done\n")
                                            .arg(calls, tools()));
  writeExecutable(tools() + "/pkexec", "#!/bin/bash\nexec \"$@\"\n");
  addTool("tmux");
  auto settings = shell::SettingsStore::openFile(m_root.filePath("state/preferences"));
  ASSERT_TRUE(settings);

  EnvProvisionerManager manager({installerScript(), {}, home(), settings.get()});
  manager.setInstallFish(true);
  manager.startVerification();
  ASSERT_EQ(manager.phase(), EnvProvisionerManager::Phase::confirming) << manager.message().toStdString();
  const QStringList staged = QDir::temp().entryList({"quorline-install-verified-*"}, QDir::Files);
  ASSERT_FALSE(staged.isEmpty());
  manager.runInstall();
  EXPECT_EQ(manager.phase(), EnvProvisionerManager::Phase::running);
  ASSERT_TRUE(testing::waitUntil([&] { return manager.phase() != EnvProvisionerManager::Phase::running; }, 30000));
  EXPECT_EQ(manager.phase(), EnvProvisionerManager::Phase::done) << manager.log().join('\n').toStdString();
  QFile recorded(calls);
  ASSERT_TRUE(recorded.open(QIODevice::ReadOnly));
  EXPECT_EQ(recorded.readAll(), "install -y starship fish\n") << "tmux was there; one call for the rest";
  ASSERT_EQ(manager.steps().size(), 3u);
  for (const auto& step : manager.steps()) EXPECT_TRUE(step.done) << step.id;
  EXPECT_TRUE(manager.log().contains("step 2/3 starship: ready")) << manager.log().join('\n').toStdString();
  EXPECT_EQ(QDir::temp().entryList({"quorline-install-verified-*"}, QDir::Files).size(), staged.size() - 1)
      << "the verified copy goes once it ran";

  // A package manager that fails: the step is not done and the status is reported.
  QFile::remove(tools() + "/fish");
  m_user->environment().set("FAIL_INSTALL", "1");
  manager.reset();
  manager.startVerification();
  manager.runInstall();
  ASSERT_TRUE(testing::waitUntil([&] { return manager.phase() != EnvProvisionerManager::Phase::running; }, 30000));
  EXPECT_EQ(manager.phase(), EnvProvisionerManager::Phase::failed);
  EXPECT_EQ(manager.message(), "quorline installer exited with status 1 \u2014 see the log above for the failing step.");
  EXPECT_FALSE(manager.steps()[2].done);
  m_user->environment().unset("FAIL_INSTALL");

  // A script with one byte changed is never staged or run.
  const QString changed = m_root.filePath("changed-install.sh");
  ASSERT_TRUE(QFile::copy(installerScript(), changed));
  {
    QFile file(changed);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("\ntouch '" + m_root.filePath("ran").toUtf8() + "'\n");
  }
  recorded.close();
  QFile::remove(calls);
  EnvProvisionerManager tampered({changed, {}, home(), settings.get()});
  tampered.startVerification();
  EXPECT_EQ(tampered.phase(), EnvProvisionerManager::Phase::verificationFailed);
  tampered.runInstall();
  testing::spinFor(200);
  EXPECT_FALSE(QFileInfo::exists(m_root.filePath("ran")));
  EXPECT_FALSE(QFileInfo::exists(calls));

  // The detection is kept for the next start.
  manager.setDetectedComponents(EnvComponents::detect([](const std::string& id) { return id == "tmux"; },
                                                      [](const std::string&) { return true; }));
  EnvProvisionerManager next({installerScript(), {}, home(), settings.get()});
  next.loadCachedDetection();
  EXPECT_EQ(next.components(), manager.components());
}

}  // namespace
}  // namespace vesket::supervision
