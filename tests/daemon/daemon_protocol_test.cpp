// The control socket under bad, many and slow clients, and the watch stream.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <cstring>

#include <gtest/gtest.h>

#include "tests/support/private_daemon.h"
#include "tests/support/event_loop.h"

namespace vesket::daemon::testing {
namespace {

using namespace vesket::testing;

class DaemonProtocolTest : public ::testing::Test {
 protected:
  void SetUp() override { m_daemon.start(); }

  PrivateTmux m_tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon m_daemon{m_tmux};
};

TEST_F(DaemonProtocolTest, BadLinesGetClearErrorsWithTheirId) {
  struct Case {
    const char* line;
    nlohmann::json id;
    const char* error;
  };
  const Case cases[] = {
      {"garbage", nullptr, "malformed request: not valid JSON"},
      {"[]", nullptr, "malformed request: expected a JSON object"},
      {R"({"cmd":"ping"})", nullptr, "malformed request: 'id' must be a non-empty string"},
      {R"({"id":"E1","args":{}})", "E1", "malformed request: 'cmd' must be a non-empty string"},
      {R"({"id":"E2","cmd":"ping","args":[1]})", "E2", "malformed request: 'args' must be an object"},
      {R"({"id":"E3","cmd":"no-such-command"})", "E3", "unknown command: no-such-command"},
      {R"({"id":"E4","cmd":"capture","args":{}})", "E4", "capture: missing argument 'paneId'"},
      {R"({"id":"E5","cmd":"capture","args":{"paneId":"main"}})", "E5",
       "capture: argument 'paneId' must be a tmux pane id such as %1, not 'main'"},
      {R"({"id":"E6","cmd":"send","args":{"paneId":"%0","text":7}})", "E6", "send: argument 'text' must be a string"},
      {R"({"id":"E7","cmd":"send-key","args":{"paneId":"%0","key":"Enter; rm"}})", "E7", "send-key: unknown key 'Enter; rm'"},
      {R"({"id":"E8","cmd":"resize-window","args":{"paneId":"%0","mode":"manual"}})", "E8", "resize-window: mode 'manual' needs 'cols'"},
      {R"({"id":"E9","cmd":"answer","args":{"paneId":"%0","choice":1.5}})", "E9", "answer: argument 'choice' must be a whole number"},
      {R"({"id":"E10","cmd":"kill","args":{"paneId":"%0","scope":"session"}})", "E10",
       "kill: argument 'scope' must be 'pane' or 'window', not 'session'"},
      {R"({"id":"E11","cmd":"crew","args":{"action":"launch"}})", "E11", "crew: unknown action 'launch'"},
      {R"({"id":"E12","cmd":"cancel"})", "E12", "cancel: no open stream with this id"},
  };
  LineClient client(m_daemon.socketPath());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    client.writeRaw(QByteArray(c.line) + "\n");
    const auto reply = client.nextLine();
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)["id"], c.id);
    EXPECT_EQ((*reply)["ok"], false);
    EXPECT_EQ((*reply)["error"], c.error);
  }
  // Blank lines are skipped, not answered; the connection keeps serving.
  client.writeRaw("   \n\t\n");
  EXPECT_EQ(client.request("ping")["ok"], true);
}

TEST_F(DaemonProtocolTest, TenThousandMalformedLinesLeaveTheDaemonServing) {
  LineClient flood(m_daemon.socketPath());
  QByteArray batch;
  for (int i = 0; i < 10000; ++i) {
    switch (i % 4) {
      case 0: batch += "{not json\n"; break;
      case 1: batch += "{\"id\":\"F" + QByteArray::number(i) + "\",\"cmd\":\"capture\",\"args\":{\"paneId\":42}}\n"; break;
      case 2: batch += "[1,2,3]\n"; break;
      default: batch += "{\"id\":\"F" + QByteArray::number(i) + "\",\"cmd\":\"\\u0000weird\"}\n"; break;
    }
  }
  flood.writeRaw(batch);
  int answered = 0;
  while (answered < 10000) {
    const auto line = flood.nextLine(10000);
    ASSERT_TRUE(line) << "after " << answered << " replies";
    EXPECT_EQ((*line)["ok"], false);
    ++answered;
  }
  EXPECT_EQ(flood.request("ping")["data"]["alive"], true);
  EXPECT_EQ(m_daemon.ping()["data"]["alive"], true);
  EXPECT_EQ(m_daemon.process().state(), QProcess::Running);
}

TEST_F(DaemonProtocolTest, OverlongLineIsRefusedAndTheConnectionClosed) {
  LineClient client(m_daemon.socketPath());
  client.writeRaw(QByteArray(9 * 1024 * 1024, 'x'));
  const auto reply = client.nextLine(15000);
  ASSERT_TRUE(reply);
  EXPECT_EQ((*reply)["id"], nullptr);
  EXPECT_EQ((*reply)["error"], "request line too long: more than 8388608 bytes without a line feed");
  EXPECT_TRUE(waitUntil([&] { return !client.connected(); }));
  EXPECT_EQ(m_daemon.ping()["ok"], true);
}

TEST_F(DaemonProtocolTest, HundredConcurrentClientsAreAllServed) {
  std::vector<std::unique_ptr<LineClient>> clients;
  for (int i = 0; i < 100; ++i) {
    clients.push_back(std::make_unique<LineClient>(m_daemon.socketPath()));
    ASSERT_TRUE(clients.back()->connected()) << "client " << i;
  }
  for (int i = 0; i < 100; ++i) {
    clients[i]->sendRequest("P" + std::to_string(i), "ping");
    clients[i]->sendRequest("L" + std::to_string(i), "list-panes");
  }
  for (int i = 0; i < 100; ++i) {
    const auto ping = clients[i]->lineFor("P" + std::to_string(i), 15000);
    ASSERT_TRUE(ping) << "client " << i;
    EXPECT_EQ((*ping)["data"]["alive"], true);
    const auto panes = clients[i]->lineFor("L" + std::to_string(i), 15000);
    ASSERT_TRUE(panes) << "client " << i;
    EXPECT_FALSE((*panes)["data"]["panes"].empty());
  }
}

TEST_F(DaemonProtocolTest, ClientThatStopsReadingDelaysNobodyElse) {
  // Fill the pane with long lines so that captures are large (about 300 KB), then ask for
  // many captures on a
  // connection that never reads, plus a watch that never reads.
  const QString pane = m_tmux.paneIds().front();
  m_tmux.run({"send-keys", "-t", pane, "seq -f '%0150g' 1 $((3000))", "Enter"});
  ASSERT_TRUE(waitUntil([&] { return m_tmux.capturePane(pane).contains("0003000"); }));

  // A raw socket, so that nothing reads on its behalf.
  const int stalled = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray path = QFile::encodeName(m_daemon.socketPath());
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  ASSERT_EQ(::connect(stalled, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  QByteArray requests = "{\"id\":\"W\",\"cmd\":\"watch\"}\n";
  for (int i = 0; i < 1000; ++i) {
    requests += "{\"id\":\"C" + QByteArray::number(i) + "\",\"cmd\":\"capture\",\"args\":{\"paneId\":\"" +
                pane.toUtf8() + "\"}}\n";
  }
  qsizetype written = 0;
  auto writeSome = [&] {
    while (written < requests.size()) {
      const ssize_t n = ::send(stalled, requests.constData() + written, static_cast<std::size_t>(requests.size() - written), MSG_NOSIGNAL);
      if (n <= 0) break;
      written += n;
    }
  };
  writeSome();

  // Meanwhile, others are answered promptly and watchers see changes.
  LineClient watcher(m_daemon.socketPath());
  watcher.sendRequest("W2", "watch");
  ASSERT_TRUE(watcher.lineFor("W2"));
  for (int round = 0; round < 20; ++round) {
    LineClient other(m_daemon.socketPath());
    ASSERT_EQ(other.request("ping")["ok"], true) << "round " << round;
  }
  m_tmux.run({"new-window", "-d", "-n", "while-stalled"});
  bool seen = false;
  ASSERT_TRUE(waitUntil([&] {
    while (auto line = watcher.nextLine(100)) {
      for (const auto& p : (*line)["event"]["panes"]) seen |= p["windowName"] == "while-stalled";
    }
    return seen;
  }));
  // The stalled client is cut off once too much waits for it; the daemon keeps serving.
  EXPECT_TRUE(waitUntil([&] {
    writeSome();
    pollfd poller{stalled, POLLIN, 0};
    return ::poll(&poller, 1, 0) == 1 && (poller.revents & POLLHUP) != 0;
  }, 60000)) << "a client that never reads is closed once its queue is over the bound";
  ::close(stalled);
  EXPECT_EQ(m_daemon.ping()["ok"], true);
}

TEST_F(DaemonProtocolTest, WatchSendsSnapshotsOnConnectAndChangeUntilCancelled) {
  LineClient watcher(m_daemon.socketPath());
  watcher.sendRequest("WATCH-1", "watch");
  const auto first = watcher.lineFor("WATCH-1");
  ASSERT_TRUE(first);
  EXPECT_EQ((*first)["ok"], true);
  EXPECT_EQ((*first)["event"]["type"], "snapshot");
  const auto sessionId = m_daemon.ping()["data"]["daemonSessionId"];
  EXPECT_EQ((*first)["event"]["daemonSessionId"], sessionId);
  ASSERT_EQ((*first)["event"]["panes"].size(), 1u);

  // A new window reaches the watcher as a complete list.
  const QString newPane = m_tmux.run({"new-window", "-d", "-P", "-F", "#{pane_id}", "-n", "fresh"});
  std::optional<nlohmann::json> snapshot;
  ASSERT_TRUE(waitUntil([&] {
    auto line = watcher.lineFor("WATCH-1", 200);
    if (line && (*line)["event"]["panes"].size() == 2) snapshot = line;
    return snapshot.has_value();
  }));
  bool hasNew = false;
  for (const auto& pane : (*snapshot)["event"]["panes"]) hasNew |= pane["paneId"] == newPane.toStdString();
  EXPECT_TRUE(hasNew);

  // A killed pane leaves the list.
  m_tmux.run({"kill-pane", "-t", newPane});
  ASSERT_TRUE(waitUntil([&] {
    auto line = watcher.lineFor("WATCH-1", 200);
    return line && (*line)["event"]["panes"].size() == 1;
  }));

  // Cancel ends the stream with a done line; later changes are not sent.
  watcher.writeRaw("{\"id\":\"WATCH-1\",\"cmd\":\"cancel\"}\n");
  const auto done = watcher.lineFor("WATCH-1");
  ASSERT_TRUE(done);
  EXPECT_EQ(*done, (nlohmann::json{{"id", "WATCH-1"}, {"done", true}}));
  m_tmux.run({"new-window", "-d"});
  EXPECT_EQ(m_daemon.ping()["ok"], true);
  EXPECT_FALSE(watcher.nextLine(1500)) << "no event after cancel";
}

}  // namespace
}  // namespace vesket::daemon::testing
