// The I/O halves of agent facts: the process table read from a /proc-like directory and
// Claude Code transcripts found under a home directory.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "daemon/agent_facts_reader.h"
#include "daemon/core/claude_transcript.h"
#include "daemon/process_table.h"

namespace vesket::daemon {
namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

void touch(const QString& path, int secondsAgo) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo), QFileDevice::FileModificationTime));
}

const ProcessInfo* findPid(const std::vector<ProcessInfo>& table, std::int64_t pid) {
  const auto it = std::find_if(table.begin(), table.end(), [&](const auto& p) { return p.pid == pid; });
  return it == table.end() ? nullptr : &*it;
}

TEST(ProcessTable, ReadsStatAndCommandLinesOfTheSubtrees) {
  QTemporaryDir proc;
  const QString p = proc.path();
  // stat: "pid (comm) state ppid ..."; a comm may hold blanks and parentheses.
  writeFile(p + "/1/stat", "1 (systemd) S 0 1 1 0 -1\n");
  writeFile(p + "/100/stat", "100 (bash) S 1 100 100 34816\n");
  writeFile(p + "/100/cmdline", QByteArray("-bash\0", 6));
  writeFile(p + "/101/stat", "101 (my (odd) name) R 100 101 100 34816\n");
  writeFile(p + "/101/cmdline", QByteArray("node\0/usr/local/bin/claude\0--resume\0", 36));
  writeFile(p + "/102/stat", "102 (kworker/0:1) I 2 0 0 0\n");
  writeFile(p + "/102/cmdline", QByteArray("never read\0", 11));
  writeFile(p + "/103/stat", "garbage");
  writeFile(p + "/self/stat", "1 (not a pid) S 0\n");
  QDir().mkpath(p + "/104");  // vanished while being read: no stat
  writeFile(p + "/105/stat", "105 (zombie) Z 101 0 0 0\n");  // no cmdline: kernel threads, zombies

  const auto table = ProcessTable::read({100}, p);
  ASSERT_EQ(table.size(), 5u);  // 1, 100, 101, 102, 105
  ASSERT_TRUE(findPid(table, 101));
  EXPECT_EQ(findPid(table, 101)->comm, "my (odd) name");
  EXPECT_EQ(findPid(table, 101)->ppid, 100);
  EXPECT_EQ(findPid(table, 101)->argv, (std::vector<std::string>{"node", "/usr/local/bin/claude", "--resume"}));
  EXPECT_EQ(findPid(table, 100)->argv, std::vector<std::string>{"-bash"});
  EXPECT_TRUE(findPid(table, 102)->argv.empty()) << "outside the subtrees";
  EXPECT_TRUE(findPid(table, 105)->argv.empty());
  EXPECT_EQ(AgentClassifier::classify("node", 100, table), "claude");
  EXPECT_TRUE(ProcessTable::read({}, p + "/missing").empty());
}

TEST(ProcessTable, ReadsTheRealProcessTable) {
  const std::int64_t pid = QCoreApplication::applicationPid();
  const auto table = ProcessTable::read({pid});
  const auto* self = findPid(table, pid);
  ASSERT_TRUE(self);
  ASSERT_FALSE(self->argv.empty());
  EXPECT_NE(self->argv.front().find("tests"), std::string::npos) << self->argv.front();
}

QByteArray userLine(const char* text) {
  return QByteArray(R"({"type":"user","message":{"role":"user","content":")") + text + "\"}}\n";
}

TEST(AgentFactsReader, NewestTranscriptOfTheDirectory) {
  QTemporaryDir home;
  const QString cwd = "/home/me/src/web.app";
  const QString dir = home.path() + "/.claude/projects/" + QString::fromStdString(ClaudeTranscript::projectDirName(cwd.toStdString()));
  writeFile(dir + "/old.jsonl", userLine("old topic"));
  writeFile(dir + "/new.jsonl", userLine("new topic"));
  writeFile(dir + "/notes.txt", userLine("not a transcript"));
  touch(dir + "/old.jsonl", 60);
  touch(dir + "/new.jsonl", 30);

  AgentFactsReader reader(home.path());
  EXPECT_EQ(reader.claudeFacts(cwd).topicPreview, "new topic");
  EXPECT_EQ(reader.claudeFacts("/elsewhere"), TranscriptFacts{});
  EXPECT_EQ(reader.claudeFacts(""), TranscriptFacts{});

  // The agent writes on: a changed file is read again.
  {
    QFile file(dir + "/new.jsonl");
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(userLine("newer topic"));
  }
  touch(dir + "/new.jsonl", 10);
  EXPECT_EQ(reader.claudeFacts(cwd).topicPreview, "newer topic");

  // Another session starts in the same directory: its transcript becomes the newest.
  writeFile(dir + "/other.jsonl", userLine("other session"));
  EXPECT_EQ(reader.claudeFacts(cwd).topicPreview, "other session");
}

TEST(AgentFactsReader, LargeTranscriptIsReadFromItsTail) {
  QTemporaryDir home;
  const QString cwd = "/w";
  const QString path = home.path() + "/.claude/projects/-w/big.jsonl";
  QByteArray big = userLine("first topic");
  const QByteArray filler = R"({"type":"progress","data":")" + QByteArray(1000, 'x') + "\"}\n";
  while (big.size() < AgentFactsReader::kTailBytes * 2) big += filler;
  big += R"({"type":"assistant","message":{"model":"claude-sonnet-4-5","usage":{"input_tokens":20000}}})" "\n";
  writeFile(path, big);
  AgentFactsReader reader(home.path());
  const auto facts = reader.claudeFacts(cwd);
  EXPECT_EQ(facts.model, "claude-sonnet-4-5");
  EXPECT_EQ(facts.contextPct, 10.0);
  EXPECT_FALSE(facts.topicPreview.has_value()) << "the first prompt lies before the tail";

  // The agent writes on, far past the tail: only the new bytes are read, and what the
  // earlier records said stays known.
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(userLine("second topic"));
    for (qint64 written = 0; written < AgentFactsReader::kTailBytes * 2; written += filler.size()) file.write(filler);
    file.write(R"({"type":"assistant","message":{"model":"claude-sonnet-4-5","usage":{"input_t)");
  }
  auto grown = reader.claudeFacts(cwd);
  EXPECT_EQ(grown.topicPreview, "second topic");
  EXPECT_EQ(grown.contextPct, 10.0);
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(R"(okens":40000}}})" "\n");
  }
  grown = reader.claudeFacts(cwd);
  EXPECT_EQ(grown.topicPreview, "second topic");
  EXPECT_EQ(grown.contextPct, 20.0) << "a record split between two reads counts once complete";
}

}  // namespace
}  // namespace vesket::daemon
