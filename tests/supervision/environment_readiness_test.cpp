// Readiness probes against a fake login shell whose search path holds fake tools, while the
// application's own PATH holds none; the tmux set-up's configuration as a tracked change.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "maintenance/tracked_mutation.h"
#include "supervision/environment_readiness.h"
#include "tests/shell/scoped_environment.h"
#include "tests/support/await_task.h"

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

}  // namespace
}  // namespace vesket::supervision
