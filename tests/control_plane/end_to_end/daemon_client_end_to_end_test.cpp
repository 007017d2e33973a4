// The desktop application's control-socket client against the real `vesket` daemon, which
// drives a private tmux server: every typed command, the pane watch, and reconnecting across
// a daemon crash.
#include <QProcess>
#include <QUuid>

#include <gtest/gtest.h>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/control_plane_errors.h"
#include "tests/support/real_daemon_fixture.h"

using namespace vesket::control_plane;
using vesket::testing::awaitTask;
using vesket::testing::waitUntil;

namespace {

using DaemonClientEndToEndTest = vesket::testing::RealDaemonTest;

QCoro::Task<bool> finished(QCoro::Task<void> task) {
  co_await std::move(task);
  co_return true;
}

// Every typed command decodes the daemon's replies strictly and does what it says in tmux.
TEST_F(DaemonClientEndToEndTest, EveryUnaryCommandDecodesAndActs) {
  const std::string pane = m_paneId.toStdString();
  EXPECT_TRUE(awaitTask(m_client->ping()).alive);
  const auto relay = awaitTask(m_client->relayStatus());
  EXPECT_FALSE(relay.connected);
  EXPECT_TRUE(relay.daemonSessionId.has_value());

  // Right after start the daemon may still be reading tmux's panes.
  std::vector<PaneEntry> panes;
  ASSERT_TRUE(waitUntil([&] {
    panes = awaitTask(m_client->listPanes());
    return !panes.empty();
  })) << "the daemon never listed " << pane;
  ASSERT_EQ(panes.size(), 1u);
  EXPECT_EQ(panes[0].paneId, pane);
  EXPECT_EQ(panes[0].sessionName, "main");
  EXPECT_EQ(panes[0].paneWidth, 120);

  const auto sent = awaitTask(m_client->send(pane, "echo vesket-$((6*7))", std::nullopt, QUuid::createUuid()));
  EXPECT_TRUE(sent.ok) << sent.error.value_or("");
  EXPECT_TRUE(awaitTask(finished(m_client->sendKey(pane, "enter"))));
  captureShows(m_paneId, "vesket-42");
  EXPECT_TRUE(awaitTask(finished(m_client->answer(pane))));

  const auto resized = awaitTask(m_client->resizeWindow(pane, 100));
  EXPECT_TRUE(resized.ok);
  EXPECT_EQ(resized.cols, 100);
  EXPECT_EQ(resized.mode, "manual");
  EXPECT_EQ(awaitTask(m_client->resizeWindow(pane)).mode, "auto");

  const std::string shell = awaitTask(m_client->spawnShell());
  const std::string plain = awaitTask(m_client->spawnPersistentPlainTerminal("logs"));
  const QStringList listed = tmux({"list-panes", "-a", "-F", "#{pane_id} #{window_name}"}).split('\n');
  EXPECT_TRUE(listed.contains(QString::fromStdString(plain) + " logs")) << listed.join(", ").toStdString();
  EXPECT_TRUE(std::any_of(listed.begin(), listed.end(),
                          [&](const QString& line) { return line.startsWith(QString::fromStdString(shell) + " "); }));

  // The attach facts select the daemon's own tmux server.
  const auto info = awaitTask(m_client->attachInfo(shell));
  EXPECT_TRUE(info.ok);
  QProcess own;
  own.setProcessEnvironment(environment());
  QStringList args;
  for (const auto& arg : info.socketArgs) args << QString::fromStdString(arg);
  own.start(QString::fromStdString(info.tmuxBin), args << "display-message" << "-p" << "-t"
                                                      << QString::fromStdString(shell) << "#{pane_id}");
  ASSERT_TRUE(own.waitForFinished(10000));
  EXPECT_EQ(QString::fromUtf8(own.readAllStandardOutput()).trimmed().toStdString(), shell);

  const auto killed = awaitTask(m_client->kill(shell));
  EXPECT_EQ(killed.killed, "pane");
  EXPECT_EQ(killed.paneId, shell);
  EXPECT_FALSE(tmux({"list-panes", "-a", "-F", "#{pane_id}"}).split('\n').contains(QString::fromStdString(shell)));

  EXPECT_FALSE(awaitTask(m_client->fetchAgentConfig()).empty());
  EXPECT_TRUE(awaitTask(m_client->fetchModelCatalog()).has_value());
  EXPECT_FALSE(awaitTask(m_client->tmuxSourceList()).current.empty());
  EXPECT_TRUE(awaitTask(m_client->enableMacOSAutomation()).enabled);

  const auto image = awaitTask(m_client->sendImage(pane, {{"iVBORw0KGgo=", "png"}}, "see"));
  EXPECT_TRUE(image.ok);
  ASSERT_TRUE(image.paths.has_value());
  EXPECT_EQ(image.paths->size(), 1u);

  const auto disband = awaitTask(m_client->disbandCrew("demo"));
  EXPECT_FALSE(disband.ok);
  EXPECT_EQ(disband.error, "no agent team for project 'demo' exists on this daemon");

  // A failure from the daemon arrives as requestFailed with the daemon's text.
  try {
    awaitTask(m_client->selfVouch("device", "request", 1, "name"));
    ADD_FAILURE() << "self-vouch succeeded without a pairing";
  } catch (const ControlPlaneError& error) {
    EXPECT_EQ(error.kind(), ControlPlaneError::Kind::requestFailed);
    EXPECT_STREQ(error.what(), "self-vouch: this daemon is not paired with a relay account");
  }
  try {
    awaitTask(m_client->capture("%99999"));
    ADD_FAILURE() << "captured a pane that does not exist";
  } catch (const ControlPlaneError& e) {
    EXPECT_EQ(e.kind(), ControlPlaneError::Kind::requestFailed);
    EXPECT_FALSE(e.description().empty());
  }
}

TEST_F(DaemonClientEndToEndTest, WatchSeesANewWindowUntilCancelled) {
  auto stream = m_client->watch();
  // Wait for a snapshot with the session's first pane (the very first one may come before
  // the daemon has read tmux's panes).
  for (;;) {
    const auto event = awaitTask(stream.next(), 10000);
    ASSERT_TRUE(event) << "the watch ended before it showed the first pane";
    const auto* snapshot = event->asSnapshot();
    if (!snapshot || snapshot->panes.empty()) continue;
    ASSERT_EQ(snapshot->panes.size(), 1u);
    EXPECT_EQ(snapshot->panes[0].paneId, m_paneId.toStdString());
    break;
  }

  const QString added = tmux({"new-window", "-d", "-P", "-F", "#{pane_id}", "-t", "main", "-n", "second", "/bin/sh"});
  bool seen = false;
  while (!seen) {
    const auto event = awaitTask(stream.next(), 10000);
    ASSERT_TRUE(event) << "the watch ended before the new window showed up";
    if (const auto* snapshot = event->asSnapshot()) {
      for (const auto& pane : snapshot->panes) seen = seen || (pane.paneId == added.toStdString() && pane.windowName == "second");
    }
  }
  stream.cancel();
  EXPECT_TRUE(awaitTask(m_client->ping()).alive);
}

TEST_F(DaemonClientEndToEndTest, RestartIsUnavailableThenConnectedWithANewGeneration) {
  std::vector<std::string> states;
  QObject::connect(m_client.get(), &ControlPlaneClient::connectionStateChanged,
                   [&](ConnectionState state) { states.push_back(state.debugName()); });
  std::vector<std::optional<std::string>> generations;
  auto stream = m_client->watchPanesReconnecting(BackoffSchedule::standard(),
                                                 [&](std::optional<std::string> g) { generations.push_back(g); });
  ASSERT_TRUE(awaitTask(stream.next(), 10000));
  ASSERT_EQ(states, (std::vector<std::string>{"connecting", "connected"}));
  ASSERT_EQ(generations.size(), 1u);
  ASSERT_TRUE(generations[0] && !generations[0]->empty());

  stopDaemon(/*crash=*/true);
  ASSERT_TRUE(waitUntil([&] { return states.back() == "unavailable"; }, 10000)) << states.back();
  startDaemon();
  ASSERT_TRUE(waitUntil([&] { return states.back() == "connected"; }, 20000)) << states.back();

  // After the crash: the stream's end, then the unreachable daemon, then the new connection.
  const auto afterCrash = std::vector<std::string>(states.begin() + 2, states.end());
  EXPECT_EQ(afterCrash.front(), "reconnecting(1)");
  EXPECT_NE(std::find(afterCrash.begin(), afterCrash.end(), "unavailable"), afterCrash.end());
  EXPECT_EQ(std::count(afterCrash.begin(), afterCrash.end(), "connected"), 1);
  ASSERT_TRUE(generations.back());
  EXPECT_NE(*generations.back(), *generations.front()) << "a restarted daemon is a new generation";

  stream.cancel();
  ASSERT_TRUE(waitUntil([&] { return states.back() == "idle"; }));
}

}  // namespace
