// The agent-history stream ("claude-history") of the real daemon, from transcript files the
// tests write where Claude Code keeps them.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "control_plane/core/claude_history.h"
#include "daemon/core/claude_transcript.h"
#include "tests/support/private_daemon.h"
#include "tests/support/event_loop.h"

namespace vesket::daemon::testing {
namespace {

using namespace vesket::testing;

using control_plane::ClaudeHistoryStreamEvent;

std::string record(const std::string& type, const std::string& uuid, const nlohmann::json& content) {
  return nlohmann::json{{"type", type},
                        {"uuid", uuid},
                        {"sessionId", "conv-1"},
                        {"message", {{"role", type}, {"content", content}}}}
             .dump() +
         "\n";
}

// Every text line of a batch, history and live part.
std::string shownText(const ClaudeHistoryStreamEvent& event) {
  std::string text;
  if (!event.batch) return text;
  for (const auto& segment : event.batch->history.segments) {
    for (const auto& entry : segment.entries) {
      for (const auto& line : entry.lines) text += line + "\n";
    }
  }
  for (const auto& frame : event.batch->liveFrames) {
    for (const auto& line : frame.lines) text += line + "\n";
  }
  return text;
}

class DaemonClaudeHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_work.isValid());
    // A stand-in for Claude Code: a process named "claude" that just waits.
    ASSERT_TRUE(QFile::link(QStringLiteral("/bin/sleep"), m_work.filePath(QStringLiteral("claude"))));
    m_project = m_work.filePath(QStringLiteral("project"));
    ASSERT_TRUE(QDir().mkpath(m_project));
    m_daemon.start();
  }

  QString transcriptDir() const {
    return m_daemon.userHome() + QStringLiteral("/.claude/projects/") +
           QString::fromStdString(ClaudeTranscript::projectDirName(m_project.toStdString()));
  }

  void appendTranscript(const std::string& bytes) {
    QDir().mkpath(transcriptDir());
    QFile file(transcriptDir() + QStringLiteral("/conv-1.jsonl"));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }

  // A new pane running the stand-in, once the daemon's pane list knows it as Claude Code.
  QString claudePane() {
    const QString pane = m_tmux.run({"new-window", "-d", "-P", "-F", "#{pane_id}", "-c", m_project,
                                     m_work.filePath(QStringLiteral("claude")) + QStringLiteral(" 1000")});
    const bool known = waitUntil([&] {
      LineClient client(m_daemon.socketPath());
      const auto reply = client.request("list-panes");
      for (const auto& entry : reply["data"]["panes"]) {
        if (entry.value("paneId", "") == pane.toStdString() && entry.value("agentKind", "") == "claude") return true;
      }
      return false;
    });
    EXPECT_TRUE(known) << "the daemon does not list " << pane.toStdString() << " as a Claude Code pane: "
                       << LineClient(m_daemon.socketPath()).request("list-panes").dump();
    return pane;
  }

  std::optional<ClaudeHistoryStreamEvent> nextEvent(LineClient& client, const std::string& id, int timeoutMs = 5000) {
    const auto line = client.lineFor(id, timeoutMs);
    if (!line) return std::nullopt;
    if (line->value("done", false)) return std::nullopt;
    return ClaudeHistoryStreamEvent::fromLine(line->dump());
  }

  QTemporaryDir m_work;
  QString m_project;
  PrivateTmux m_tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon m_daemon{m_tmux};
};

TEST_F(DaemonClaudeHistoryTest, ReplaceBatchThenAnotherAsTheTranscriptGrows) {
  appendTranscript(record("user", "u1", "Please add a parser") + R"({"type":"some-future-record","x":1})" "\n" +
                   record("assistant", "a1", nlohmann::json::array({{{"type", "text"}, {"text", "Parser added."}}})));
  const QString pane = claudePane();

  LineClient client(m_daemon.socketPath());
  client.sendRequest("hist-1", "claude-history", {{"paneId", pane.toStdString()}, {"width", 60}});
  auto first = nextEvent(client, "hist-1");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->type, "replace") << first->reason.value_or("");
  EXPECT_EQ(first->paneId, pane.toStdString());
  ASSERT_TRUE(first->batch);
  EXPECT_EQ(first->batch->width, 60);
  EXPECT_NE(shownText(*first).find("Please add a parser"), std::string::npos) << shownText(*first);
  EXPECT_NE(shownText(*first).find("Parser added."), std::string::npos);

  // A partial last line waits for its end; the completed line brings a new batch.
  const std::string next = record("assistant", "a2", nlohmann::json::array({{{"type", "text"}, {"text", "Tests pass too."}}}));
  appendTranscript(next.substr(0, 20));
  appendTranscript(next.substr(20));
  auto second = nextEvent(client, "hist-1");
  ASSERT_TRUE(second);
  EXPECT_EQ(second->type, "replace");
  EXPECT_NE(shownText(*second).find("Tests pass too."), std::string::npos) << shownText(*second);
  EXPECT_NE(shownText(*second).find("Parser added."), std::string::npos);
}

TEST_F(DaemonClaudeHistoryTest, DisabledForPanesWithoutTranscriptAndBadArguments) {
  // A plain shell pane, and a Claude pane whose folder has no transcript yet.
  for (const QString& pane : {m_tmux.paneIds().front(), claudePane()}) {
    LineClient client(m_daemon.socketPath());
    client.sendRequest("hist-2", "claude-history", {{"paneId", pane.toStdString()}, {"width", 80}});
    auto event = nextEvent(client, "hist-2");
    ASSERT_TRUE(event) << pane.toStdString();
    EXPECT_EQ(event->type, "disabled");
    EXPECT_TRUE(event->reason.has_value());
    const auto done = client.lineFor("hist-2");
    ASSERT_TRUE(done);
    EXPECT_EQ(done->value("done", false), true);
  }
  LineClient client(m_daemon.socketPath());
  EXPECT_EQ(client.request("claude-history", {{"width", 80}})["ok"], false);
  EXPECT_EQ(client.request("claude-history", {{"paneId", "not a pane"}})["ok"], false);
}

}  // namespace
}  // namespace vesket::daemon::testing
