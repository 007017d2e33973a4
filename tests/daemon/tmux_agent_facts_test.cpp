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

#include <QCryptographicHash>
#include <sqlite3.h>

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

// Each agent's own files, laid out under a home as the agent writes them: the reader finds
// the session of the pane's directory (not another directory's, not an older one) and
// reads what it can of it; a directory is looked through again only after kRescanMs.
TEST(AgentFactsReader, OtherAgentsSessionFilesUnderTheHome) {
  qunsetenv("CODEX_HOME");
  qunsetenv("XDG_DATA_HOME");
  QTemporaryDir homeDir;
  const QString home = homeDir.path();
  const QString cwd = "/home/me/src/api";
  qint64 now = 1'000'000;

  // codex: today's rollout of another directory is newer than this directory's.
  writeFile(home + "/.codex/sessions/2026/12/05/rollout-2026-12-05T09-00-00-a.jsonl",
            R"({"type":"session_meta","payload":{"id":"a","cwd":"/home/me/src/api"}})" "\n"
            R"({"type":"turn_context","payload":{"cwd":"/home/me/src/api","model":"gpt-5-codex"}})" "\n"
            R"({"type":"event_msg","payload":{"type":"user_message","message":"tighten the retry"}})" "\n"
            R"({"type":"event_msg","payload":{"type":"token_count","info":{"last_token_usage":{"total_tokens":68000},"model_context_window":272000}}})" "\n");
  touch(home + "/.codex/sessions/2026/12/05/rollout-2026-12-05T09-00-00-a.jsonl", 600);
  writeFile(home + "/.codex/sessions/2026/12/06/rollout-2026-12-06T10-00-00-b.jsonl",
            R"({"type":"session_meta","payload":{"id":"b","cwd":"/elsewhere"}})" "\n"
            R"({"type":"turn_context","payload":{"model":"o3"}})" "\n");
  AgentFactsReader reader(home);
  auto codex = reader.facts("codex", cwd, now);
  EXPECT_EQ(codex.model, "gpt-5-codex");
  EXPECT_EQ(codex.contextPct, 25.0);
  EXPECT_EQ(codex.topicPreview, "tighten the retry");

  // gemini: the newest session of the directory's project hash.
  const QString hash = QCryptographicHash::hash(cwd.toUtf8(), QCryptographicHash::Sha256).toHex();
  const QString chats = home + "/.gemini/tmp/" + hash + "/chats/";
  writeFile(chats + "session-2026-12-06T09-00-old.json",
            R"({"messages":[{"type":"user","content":"old question"},{"type":"gemini","model":"gemini-2.5-flash"}]})");
  touch(chats + "session-2026-12-06T09-00-old.json", 300);
  writeFile(chats + "session-2026-12-06T10-00-new.json",
            R"({"sessionId":"s","messages":[{"type":"user","content":"new question"},)"
            R"({"type":"gemini","content":"...","model":"gemini-2.5-pro","tokens":{"input":209715.2,"output":10}}]})");
  auto gemini = reader.facts("gemini", cwd, now);
  EXPECT_EQ(gemini.model, "gemini-2.5-pro");
  EXPECT_EQ(gemini.contextPct, 20.0);
  EXPECT_EQ(gemini.topicPreview, "new question");

  // opencode: sessions of every project; the one whose directory is the pane's.
  const QString storage = home + "/.local/share/opencode/storage";
  writeFile(storage + "/session/global/ses_other.json", R"({"id":"ses_other","directory":"/tmp","title":"Other"})");
  writeFile(storage + "/session/9c4e1f0b/ses_api.json",
            R"({"id":"ses_api","directory":"/home/me/src/api","title":"Add rate limits"})");
  writeFile(storage + "/message/ses_api/msg_001.json", R"({"id":"msg_001","role":"user"})");
  writeFile(storage + "/message/ses_api/msg_002.json",
            R"({"id":"msg_002","role":"assistant","modelID":"claude-sonnet-4-5","tokens":{"input":30000,"cache":{"read":30000,"write":0}}})");
  auto opencode = reader.facts("opencode", cwd, now);
  EXPECT_EQ(opencode.model, "claude-sonnet-4-5");
  EXPECT_EQ(opencode.contextPct, 30.0);
  EXPECT_EQ(opencode.topicPreview, "Add rate limits");

  // cursor: the chat store of the directory's md5, its meta record hex-encoded.
  const QString md5 = QCryptographicHash::hash(cwd.toUtf8(), QCryptographicHash::Md5).toHex();
  const QString store = home + "/.cursor/chats/" + md5 + "/2b7e4c1a-0f3d-4a9b-8e6c-5d1f2a3b4c5d/store.db";
  QDir().mkpath(QFileInfo(store).absolutePath());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(store).constData(), &db), SQLITE_OK);
  const QByteArray meta = QByteArray(R"({"agentId":"2b7e","name":"Split the parser","lastUsedModel":"sonnet-4.5"})").toHex();
  const std::string sql = "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT); CREATE TABLE blobs (id TEXT, data BLOB);"
                          "INSERT INTO meta VALUES ('0', '" + meta.toStdString() + "');";
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  writeFile(home + "/.cursor/chats/" + md5 + "/empty-chat/notes.txt", "not a store");
  auto cursor = reader.facts("cursor", cwd, now);
  EXPECT_EQ(cursor.model, "sonnet-4.5");
  EXPECT_EQ(cursor.topicPreview, "Split the parser");

  EXPECT_EQ(reader.facts("shell", cwd, now), TranscriptFacts{});
  EXPECT_EQ(reader.facts("codex", "/nowhere", now), TranscriptFacts{});

  // A new session of the directory is found on the next look after kRescanMs, and a file
  // that changed is read again.
  writeFile(home + "/.codex/sessions/2026/12/06/rollout-2026-12-06T11-00-00-c.jsonl",
            R"({"type":"session_meta","payload":{"id":"c","cwd":"/home/me/src/api"}})" "\n"
            R"({"type":"turn_context","payload":{"model":"gpt-5"}})" "\n");
  EXPECT_EQ(reader.facts("codex", cwd, now + 1).model, "gpt-5-codex") << "not looked for yet";
  EXPECT_EQ(reader.facts("codex", cwd, now + AgentFactsReader::kRescanMs).model, "gpt-5");
}

}  // namespace
}  // namespace vesket::daemon
