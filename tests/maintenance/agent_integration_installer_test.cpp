#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <map>

#include "maintenance/agent_integration_installer.h"
#include "maintenance/install_undo.h"
#include "maintenance/tracked_mutation.h"

namespace vesket::maintenance {
namespace {

// Every file under the home with its bytes: what "nothing else changed" is checked against.
std::map<QString, QByteArray> snapshot(const QString& root) {
  std::map<QString, QByteArray> files;
  QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) files[QDir(root).relativeFilePath(path)] = file.readAll();
  }
  return files;
}

void put(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(bytes);
}

std::string joined(const AgentIntegrationReport& report) {
  std::string out;
  for (const auto& line : report.lines) out += line + "\n";
  return out;
}

class AgentIntegrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_home.isValid());
    // The user already has Claude Code (with settings of their own) and codex (with rules).
    put(file(".claude/settings.json"), m_settings);
    put(file(".codex/AGENTS.md"), m_rules);
  }
  QString file(const QString& relative) const { return m_home.filePath(relative); }
  AgentIntegrationReport sync(bool force = false) {
    AgentIntegrationOptions options{m_home.path(), QStringLiteral("/opt/vesket/bin/vesket"), {}, force};
    return AgentIntegrationInstaller(m_mutation, options).sync();
  }

  QTemporaryDir m_home;
  TrackedMutation m_mutation{m_home.path(), QStringLiteral("test"), false};
  const QByteArray m_settings = "{\n    \"model\": \"opus\",\n    \"hooks\": {\"Stop\": [{\"hooks\": [{\"type\": "
                                "\"command\", \"command\": \"notify-send done\"}]}]}\n}\n";
  const QByteArray m_rules = "# My rules\nNo force pushes.\n";
};

TEST_F(AgentIntegrationTest, SyncInstallsOnceAndTheUninstallPutsEverythingBack) {
  const auto before = snapshot(m_home.path());
  const auto first = sync();
  EXPECT_EQ(first.problems, 0) << joined(first);
  EXPECT_NE(joined(first).find("gemini instructions"), std::string::npos);  // not set up: skipped, and said so
  EXPECT_FALSE(QFile::exists(file(".gemini/GEMINI.md")));
  const auto settings = nlohmann::json::parse(snapshot(m_home.path()).at(".claude/settings.json").toStdString());
  EXPECT_EQ(settings["model"], "opus");
  EXPECT_EQ(settings["hooks"]["Stop"].size(), 2u);
  EXPECT_EQ(settings["hooks"]["PreToolUse"][0]["matcher"], "AskUserQuestion");
  EXPECT_TRUE(QFile::exists(file(".claude/skills/vesket/SKILL.md")));
  EXPECT_TRUE(snapshot(m_home.path()).at(".codex/AGENTS.md").startsWith(m_rules));

  const auto installed = snapshot(m_home.path());
  const auto second = sync();
  EXPECT_EQ(second.written, 0) << joined(second);
  EXPECT_EQ(snapshot(m_home.path()), installed);  // manifest included

  InstallUndo undo(m_mutation);
  const std::string listing = undo.plan().listing();
  EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 10) << listing;  // 7 hooks, skill, codex, backup
  EXPECT_NE(listing.find("delete   " + file(".claude/skills/vesket/SKILL.md").toStdString()), std::string::npos);
  EXPECT_EQ(snapshot(m_home.path()), installed);  // listing changes nothing

  const auto result = undo.execute();
  EXPECT_EQ(result.recordsDropped, 10);
  auto after = snapshot(m_home.path());
  after.erase(".vesket/install-manifest.json");
  EXPECT_EQ(after, before);  // byte for byte, the settings' four-space style included
  EXPECT_FALSE(QDir(file(".claude/skills/vesket")).exists());
  EXPECT_TRUE(m_mutation.readManifest().mutations.empty());
}

TEST_F(AgentIntegrationTest, TheUsersEditsAreNeverOverwrittenSilently) {
  sync();
  put(file(".claude/skills/vesket/SKILL.md"), "my own version\n");
  const auto report = sync();
  EXPECT_NE(joined(report).find("changed by you since Vesket wrote it"), std::string::npos) << joined(report);
  EXPECT_EQ(snapshot(m_home.path()).at(".claude/skills/vesket/SKILL.md"), "my own version\n");

  // The uninstaller leaves it too, and keeps its record.
  const auto result = InstallUndo(m_mutation).execute();
  EXPECT_EQ(snapshot(m_home.path()).at(".claude/skills/vesket/SKILL.md"), "my own version\n");
  EXPECT_EQ(m_mutation.readManifest().mutations.size(), 1u);
  EXPECT_EQ(result.recordsDropped, 9);

  const auto forced = sync(true);
  EXPECT_NE(snapshot(m_home.path()).at(".claude/skills/vesket/SKILL.md"), "my own version\n") << joined(forced);
}

TEST_F(AgentIntegrationTest, BadFilesAndFoldersLeaveEverythingAsItWas) {
  put(file(".claude/settings.json"), "{\"model\": \"opus\",,}");
  put(file(".claude/skills"), "a file where the skills folder belongs");  // stands for a folder that cannot be written
  const auto before = snapshot(m_home.path());
  const auto report = sync();
  EXPECT_EQ(report.problems, 2) << joined(report);
  EXPECT_NE(joined(report).find("is not valid JSON"), std::string::npos) << joined(report);
  EXPECT_NE(joined(report).find("cannot create the folder"), std::string::npos) << joined(report);
  auto after = snapshot(m_home.path());
  after.erase(".codex/AGENTS.md");  // codex was fine and got its instructions
  after.erase(".vesket/install-manifest.json");
  auto expected = before;
  expected.erase(".codex/AGENTS.md");
  EXPECT_EQ(after, expected);

  put(file(".vesket/install-manifest.json"), R"({"schemaVersion": 7, "installId": "x", "mutations": []})");
  EXPECT_THROW(sync(), TrackedMutationError);
  EXPECT_THROW(InstallUndo(m_mutation).plan(), TrackedMutationError);
}

}  // namespace
}  // namespace vesket::maintenance
