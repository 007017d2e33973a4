// The desktop application's own control-plane client against the real daemon: every typed
// command decodes the daemon's replies strictly, and the watch stream delivers snapshots.
#include <QUuid>

#include <gtest/gtest.h>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/control_plane_errors.h"
#include "tests/support/private_daemon.h"
#include "tests/support/event_loop.h"
#include "tests/support/await_task.h"

namespace vesket::daemon::testing {
namespace {

using namespace vesket::testing;

using control_plane::ControlPlaneClient;
using vesket::testing::awaitTask;

QCoro::Task<bool> finished(QCoro::Task<void> task) {
  co_await std::move(task);
  co_return true;
}

class AppClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_daemon.start();
    m_pane = m_tmux.paneIds().front().toStdString();
    m_client = ControlPlaneClient::create(m_daemon.socketPath().toStdString(), std::nullopt);
  }

  PrivateTmux m_tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon m_daemon{m_tmux};
  std::string m_pane;
  std::shared_ptr<ControlPlaneClient> m_client;
};

TEST_F(AppClientTest, EveryUnaryCommandDecodes) {
  EXPECT_TRUE(awaitTask(m_client->ping()).alive);
  const auto relay = awaitTask(m_client->relayStatus());
  EXPECT_FALSE(relay.connected);
  EXPECT_TRUE(relay.daemonSessionId.has_value());

  const auto panes = awaitTask(m_client->listPanes());
  ASSERT_EQ(panes.size(), 1u);
  EXPECT_EQ(panes[0].paneId, m_pane);
  EXPECT_EQ(panes[0].sessionName, "main");

  EXPECT_TRUE(awaitTask(m_client->send(m_pane, "echo via-app-$((2+3))", std::nullopt, QUuid::createUuid())).ok);
  EXPECT_TRUE(waitUntil([&] { return awaitTask(m_client->capture(m_pane)).content.find("via-app-5") != std::string::npos; }));
  EXPECT_TRUE(awaitTask(finished(m_client->sendKey(m_pane, "enter"))));
  EXPECT_TRUE(awaitTask(finished(m_client->answer(m_pane))));

  const auto resized = awaitTask(m_client->resizeWindow(m_pane, 120));
  EXPECT_TRUE(resized.ok);
  EXPECT_EQ(resized.cols, 120);
  EXPECT_EQ(resized.mode, "manual");
  EXPECT_EQ(awaitTask(m_client->resizeWindow(m_pane)).mode, "auto");

  const std::string shell = awaitTask(m_client->spawnShell());
  const std::string plain = awaitTask(m_client->spawnPersistentPlainTerminal("plain"));
  EXPECT_NE(shell, plain);
  const auto killed = awaitTask(m_client->kill(shell));
  EXPECT_EQ(killed.killed, "pane");
  EXPECT_EQ(killed.paneId, shell);

  const auto attach = awaitTask(m_client->attachInfo(m_pane));
  EXPECT_TRUE(attach.ok);
  EXPECT_FALSE(attach.socketArgs.empty());
  EXPECT_FALSE(awaitTask(m_client->fetchAgentConfig()).empty());
  EXPECT_TRUE(awaitTask(m_client->fetchModelCatalog()).has_value());
  EXPECT_FALSE(awaitTask(m_client->tmuxSourceList()).current.empty());
  EXPECT_TRUE(awaitTask(m_client->enableMacOSAutomation()).enabled);

  const auto image = awaitTask(m_client->sendImage(m_pane, {{"iVBORw0KGgo=", "png"}}, "see"));
  EXPECT_TRUE(image.ok);
  ASSERT_TRUE(image.paths.has_value());
  EXPECT_EQ(image.paths->size(), 1u);

  const auto disband = awaitTask(m_client->disbandCrew("demo"));
  EXPECT_FALSE(disband.ok);
  EXPECT_EQ(disband.error, "no agent team for project 'demo' exists on this daemon");

  try {
    awaitTask(m_client->selfVouch("device", "request", 1, "name"));
    ADD_FAILURE() << "self-vouch succeeded without a pairing";
  } catch (const control_plane::ControlPlaneError& error) {
    EXPECT_EQ(error.kind(), control_plane::ControlPlaneError::Kind::requestFailed);
    EXPECT_STREQ(error.what(), "self-vouch: this daemon is not paired with a relay account");
  }
}

TEST_F(AppClientTest, WatchDeliversSnapshotsUntilCancelled) {
  auto watch = m_client->watch();
  const auto first = awaitTask(watch.next());
  ASSERT_TRUE(first.has_value());
  ASSERT_NE(first->asSnapshot(), nullptr);
  EXPECT_EQ(first->asSnapshot()->panes.size(), 1u);

  const QString created = m_tmux.run({"new-window", "-d", "-P", "-F", "#{pane_id}"});
  bool seen = false;
  while (!seen) {
    const auto event = awaitTask(watch.next());
    ASSERT_TRUE(event.has_value());
    if (const auto* snapshot = event->asSnapshot()) {
      for (const auto& pane : snapshot->panes) seen |= pane.paneId == created.toStdString();
    }
  }
  watch.cancel();
  EXPECT_TRUE(awaitTask(m_client->ping()).alive);
}

}  // namespace
}  // namespace vesket::daemon::testing
