// The pane watch and its reconnecting form against a scripted daemon. Back-off sleeps go
// through a recording sleeper, so the exact state sequences are checked without waiting.
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <qcoro/qcorotimer.h>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/control_plane_errors.h"
#include "control_plane/sleeper.h"
#include "tests/support/await_task.h"
#include "tests/support/event_loop.h"
#include "tests/support/fake_daemon.h"

using namespace vesket::control_plane;
using vesket::testing::FakeDaemon;
using vesket::testing::awaitTask;
using vesket::testing::waitUntil;
using nlohmann::json;

namespace {

json paneJson(const std::string& id) {
  return {{"paneId", id},      {"label", "sh"},      {"registeredAt", 1},  {"sessionName", "s"},
          {"windowIndex", 0},  {"windowId", "@1"},   {"windowName", "w"},  {"paneIndex", 0},
          {"paneTitle", "t"},  {"cwdBasename", "d"}, {"cmd", "bash"},      {"topicPreview", ""},
          {"paneWidth", 80}};
}
json snapshot(const std::string& paneId) { return {{"type", "snapshot"}, {"panes", {paneJson(paneId)}}}; }

// Records every back-off sleep (its length and the state when it starts), runs a hook, and
// returns on the next turn of the event loop instead of waiting.
class RecordingSleeper : public Sleeper {
 public:
  explicit RecordingSleeper(ControlPlaneClient* client) : m_client(client) {}

  std::vector<double> delays;
  std::vector<std::string> statesAtSleep;
  std::function<void(int sleepIndex)> onSleep;

  QCoro::Task<bool> sleep(double seconds, CancellationToken cancel) override {
    delays.push_back(seconds);
    statesAtSleep.push_back(m_client->connectionState().debugName());
    if (onSleep) onSleep(static_cast<int>(delays.size()) - 1);
    co_await QCoro::sleepFor(std::chrono::milliseconds(1));
    co_return !cancel.isCancelled();
  }

 private:
  ControlPlaneClient* m_client;
};

class ReconnectingWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_socketPath = m_dir.filePath("control.sock").toStdString();
    m_client = ControlPlaneClient::create(m_socketPath, std::nullopt, 2.0);
    QObject::connect(m_client.get(), &ControlPlaneClient::connectionStateChanged,
                     [this](ConnectionState state) { m_states.push_back(state.debugName()); });
    m_sleeper = std::make_shared<RecordingSleeper>(m_client.get());
  }

  void startDaemon() { m_daemon = std::make_unique<FakeDaemon>(QString::fromStdString(m_socketPath)); }

  bool waitForStates(std::size_t count) { return waitUntil([&] { return m_states.size() >= count; }); }

  QTemporaryDir m_dir;
  std::string m_socketPath;
  std::unique_ptr<FakeDaemon> m_daemon;
  std::shared_ptr<ControlPlaneClient> m_client;
  std::shared_ptr<RecordingSleeper> m_sleeper;
  std::vector<std::string> m_states;
};

using States = std::vector<std::string>;

TEST_F(ReconnectingWatchTest, WatchTurnsPayloadsIntoEvents) {
  startDaemon();
  m_daemon->onRequest = [](FakeDaemon::Connection& c, const json& request) {
    const std::string id = request["id"];
    c.event(id, snapshot("%1"));
    c.event(id, {{"type", "snapshot"}});
    c.event(id, {{"type", "gc"}, {"panes", json::array()}});
    c.done(id);
  };
  auto stream = m_client->watch();
  std::vector<WatchEvent> events;
  while (auto event = awaitTask(stream.next())) events.push_back(*event);
  ASSERT_EQ(events.size(), 3u);
  ASSERT_NE(events[0].asSnapshot(), nullptr);
  EXPECT_EQ(events[0].asSnapshot()->panes.at(0).paneId, "%1");
  EXPECT_EQ(events[1], WatchEvent::unknown("snapshot"));
  EXPECT_EQ(events[2], WatchEvent::unknown("gc"));
  EXPECT_EQ(m_daemon->requests().at(0)["args"], json::object());
}

TEST_F(ReconnectingWatchTest, UnavailableStaysUnavailableThroughTheSleepUntilAnEventArrives) {
  // No daemon for the first three attempts; it appears during the third back-off.
  m_sleeper->onSleep = [this](int index) {
    if (index != 2) return;
    startDaemon();
    m_daemon->onRequest = [](FakeDaemon::Connection& c, const json& request) {
      if (request["cmd"] == "watch") c.event(request["id"], snapshot("%5"));
    };
  };
  auto stream = m_client->watchPanesReconnecting(BackoffSchedule::standard(), nullptr, m_sleeper);
  EXPECT_TRUE(m_states.empty()) << "the watch starts on the next turn of the event loop";
  ASSERT_TRUE(waitForStates(5));
  EXPECT_EQ(m_states, (States{"connecting", "unavailable", "unavailable", "unavailable", "connected"}));
  EXPECT_EQ(m_sleeper->delays, (std::vector<double>{0.5, 1.0, 2.0}));
  EXPECT_EQ(m_sleeper->statesAtSleep, (States{"unavailable", "unavailable", "unavailable"}));
  const auto event = awaitTask(stream.next());
  ASSERT_TRUE(event && event->asSnapshot());
  EXPECT_EQ(event->asSnapshot()->panes.at(0).paneId, "%5");

  stream.cancel();
  ASSERT_TRUE(waitForStates(6));
  EXPECT_EQ(m_states.back(), "idle");
}

TEST_F(ReconnectingWatchTest, StreamEndingsCountAttemptsAndAnEventResetsTheCount) {
  startDaemon();
  int watches = 0;
  int statuses = 0;
  m_daemon->onRequest = [&](FakeDaemon::Connection& c, const json& request) {
    const std::string id = request["id"];
    if (request["cmd"] == "relay-status") {
      ++statuses;
      if (statuses == 2) c.fail(id, "relay link down");
      else if (statuses == 3) c.reply(id, {{"connected", false}, {"transportState", "idle"}});
      else c.reply(id, {{"connected", true}, {"transportState", "up"}, {"daemonSessionId", "gen-" + std::to_string(statuses)}});
      return;
    }
    switch (++watches) {
      case 1:  // two events (one connected), then a normal end
        c.event(id, snapshot("%1"));
        c.event(id, snapshot("%2"));
        c.done(id);
        break;
      case 2:  // ends at once
        c.done(id);
        break;
      case 3:  // fails
        c.fail(id, "watch broke");
        break;
      case 4:  // the daemon closes without a word
        c.close();
        break;
      case 5:  // an event resets the count, then the stream ends again
        c.event(id, snapshot("%3"));
        c.done(id);
        break;
      default:  // stays open and silent
        break;
    }
  };
  std::vector<std::optional<std::string>> generations;
  auto stream = m_client->watchPanesReconnecting(
      BackoffSchedule::standard(), [&](std::optional<std::string> generation) { generations.push_back(generation); },
      m_sleeper);
  ASSERT_TRUE(waitForStates(8));
  ASSERT_TRUE(waitUntil([&] { return watches == 6; }));
  EXPECT_EQ(m_states, (States{"connecting", "connected", "reconnecting(1)", "reconnecting(2)", "reconnecting(3)",
                              "reconnecting(4)", "connected", "reconnecting(1)"}));
  EXPECT_EQ(m_sleeper->delays, (std::vector<double>{0.5, 1.0, 2.0, 4.0, 0.5}));
  // Asked before every attempt; the failed request is skipped, a missing id is passed on.
  EXPECT_EQ(generations, (std::vector<std::optional<std::string>>{"gen-1", std::nullopt, "gen-4", "gen-5", "gen-6"}));

  std::vector<std::string> panes;
  for (int i = 0; i < 3; ++i) {
    const auto event = awaitTask(stream.next());
    ASSERT_TRUE(event && event->asSnapshot());
    panes.push_back(event->asSnapshot()->panes.at(0).paneId);
  }
  EXPECT_EQ(panes, (States{"%1", "%2", "%3"}));

  // Cancelling while the sixth watch is open tells the daemon and ends in idle.
  stream.cancel();
  ASSERT_TRUE(waitForStates(9));
  EXPECT_EQ(m_states.back(), "idle");
  const auto& lines = m_daemon->connection(m_daemon->connectionCount() - 1).lines;
  ASSERT_TRUE(waitUntil([&] { return lines.size() == 2; }));
  EXPECT_EQ(json::parse(lines[1])["cmd"], "cancel");
  EXPECT_EQ(awaitTask(stream.next()), std::nullopt);
}

TEST_F(ReconnectingWatchTest, CancellingDuringTheBackOffEndsInIdleAtOnce) {
  // A real timer with a long back-off: cancelling must not wait for it.
  auto stream = m_client->watchPanesReconnecting(BackoffSchedule{60.0, 60.0});
  ASSERT_TRUE(waitForStates(2));
  EXPECT_EQ(m_states, (States{"connecting", "unavailable"}));
  QElapsedTimer elapsed;
  elapsed.start();
  vesket::testing::spinFor(50);
  stream.cancel();
  ASSERT_TRUE(waitForStates(3));
  EXPECT_EQ(m_states.back(), "idle");
  EXPECT_LT(elapsed.elapsed(), 5000);
}

TEST_F(ReconnectingWatchTest, AClientGoneBeforeTheStartEndsTheStreamSilently) {
  std::vector<std::string> states;
  auto client = ControlPlaneClient::create(m_socketPath, std::nullopt, 2.0);
  QObject::connect(client.get(), &ControlPlaneClient::connectionStateChanged,
                   [&](ConnectionState state) { states.push_back(state.debugName()); });
  auto stream = client->watchPanesReconnecting(BackoffSchedule::standard(), nullptr, m_sleeper);
  client.reset();
  EXPECT_EQ(awaitTask(stream.next()), std::nullopt);
  EXPECT_TRUE(states.empty());
}

}  // namespace
