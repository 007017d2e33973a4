// The pane content sources against a scripted daemon on a real socket.
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/control_plane_errors.h"
#include "shell/settings_store.h"
#include "tests/support/await_task.h"
#include "tests/support/fake_daemon.h"
#include "tests/viewer/scripted_pane_content_source.h"
#include "viewer/claude_history_pane_content_source.h"
#include "viewer/control_plane_pane_content_source.h"
#include "viewer/routed_pane_content_source.h"

namespace vesket::viewer {
namespace {

using nlohmann::json;
using vesket::testing::awaitTask;
using vesket::testing::FakeDaemon;
using testing::ScriptedPaneContentSource;

class PaneContentSourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    const std::string socketPath = m_dir.filePath("control.sock").toStdString();
    daemon = std::make_unique<FakeDaemon>(QString::fromStdString(socketPath));
    client = control_plane::ControlPlaneClient::create(socketPath, std::nullopt, 2.0);
    fallback->texts["%1"] = "screen text";
  }

  QTemporaryDir m_dir;
  std::unique_ptr<FakeDaemon> daemon;
  std::shared_ptr<control_plane::ControlPlaneClient> client;
  std::shared_ptr<ScriptedPaneContentSource> fallback = std::make_shared<ScriptedPaneContentSource>();
};

TEST_F(PaneContentSourcesTest, DaemonCapture) {
  daemon->onRequest = [](FakeDaemon::Connection& c, const json& request) {
    if (request["args"]["paneId"] == "%1") {
      c.reply(request["id"], {{"paneId", "%1"}, {"content", "\x1b[1mhello\x1b[0m\n"}});
    } else {
      c.fail(request["id"], std::string("no such pane"));
    }
  };
  ControlPlanePaneContentSource source(client);
  EXPECT_EQ(awaitTask(source.captureContent("%1")), "\x1b[1mhello\x1b[0m\n");
  EXPECT_EQ(awaitTask(source.captureContent("%1", 0.5)), "\x1b[1mhello\x1b[0m\n");
  const auto requests = daemon->requests();
  ASSERT_EQ(requests.size(), 2u);
  for (const json& request : requests) {
    EXPECT_EQ(request["cmd"], "capture");
    EXPECT_EQ(request["args"], (json{{"paneId", "%1"}}));
  }
  EXPECT_THROW(awaitTask(source.captureContent("%9", 0.5)), control_plane::ControlPlaneError);
}

TEST_F(PaneContentSourcesTest, DaemonCaptureHonoursTheTimeLimit) {
  daemon->onRequest = [](FakeDaemon::Connection&, const json&) {};  // never answers
  ControlPlanePaneContentSource source(client);
  QElapsedTimer timer;
  timer.start();
  EXPECT_THROW(awaitTask(source.captureContent("%1", 0.2)), control_plane::ControlPlaneError);
  EXPECT_LT(timer.elapsed(), 1500);  // well before the client's 2 s default
}

TEST_F(PaneContentSourcesTest, RoutedSourcePrefersTheRemote) {
  auto local = std::make_shared<ScriptedPaneContentSource>();
  auto remote = std::make_shared<ScriptedPaneContentSource>();
  local->texts["%1"] = "local";
  remote->texts["%1"] = "remote";
  std::shared_ptr<PaneContentSource> active;
  RoutedPaneContentSource routed(local, [&] { return active; });
  EXPECT_EQ(awaitTask(routed.captureContent("%1", 1.0)), "local");
  active = remote;
  EXPECT_EQ(awaitTask(routed.captureContent("%1", 1.0)), "remote");
  EXPECT_EQ(remote->calls.back().timeout, 1.0);
  RoutedPaneContentSource localOnly(local, nullptr);
  EXPECT_EQ(awaitTask(localOnly.captureContent("%1")), "local");
}

TEST_F(PaneContentSourcesTest, HistorySourceFlattensTheFirstReplaceBatch) {
  control_plane::ClaudeHistoryBatch batch;
  batch.mode = "replace";
  control_plane::ClaudeHistorySegment segment;
  control_plane::ClaudeHistoryEntry entry;
  entry.lines = {"> hi", "⏺ Hello."};
  segment.entries = {entry};
  batch.history.segments = {segment};
  daemon->onRequest = [&](FakeDaemon::Connection& c, const json& request) {
    const std::string id = request["id"];
    c.writeLine({{"id", id}, {"ok", true}, {"type", "status"}, {"paneId", "%1"}});
    c.writeLine({{"id", id}, {"ok", true}, {"type", "replace"}, {"paneId", "%1"}});  // no batch
    c.writeLine({{"id", id}, {"ok", true}, {"type", "replace"}, {"paneId", "%1"}, {"batch", batch.toJson()}});
  };
  int width = 132;
  ClaudeHistoryPaneContentSource source(client, fallback, [] { return true; }, [&] { return width; });
  EXPECT_EQ(awaitTask(source.captureContent("%1")), "> hi\n⏺ Hello.");
  const auto request = daemon->requests().at(0);
  EXPECT_EQ(request["cmd"], "claude-history");
  EXPECT_EQ(request["args"], (json{{"paneId", "%1"}, {"width", 132}}));
  EXPECT_TRUE(fallback->calls.empty());
}

TEST_F(PaneContentSourcesTest, HistorySourceFallsBack) {
  struct Case {
    const char* name;
    std::function<void(FakeDaemon::Connection&, const std::string& id)> reply;
  };
  const std::vector<Case> cases = {
      {"disabled",
       [](FakeDaemon::Connection& c, const std::string& id) {
         c.writeLine({{"id", id}, {"ok", true}, {"type", "disabled"}, {"paneId", "%1"}, {"reason", "not claude"}});
       }},
      {"stream ends", [](FakeDaemon::Connection& c, const std::string& id) { c.done(id); }},
  };
  for (const Case& c : cases) {
    daemon->onRequest = [&](FakeDaemon::Connection& connection, const json& request) {
      c.reply(connection, request["id"]);
    };
    ClaudeHistoryPaneContentSource source(client, fallback, [] { return true; }, [] { return 80; });
    EXPECT_EQ(awaitTask(source.captureContent("%1")), "screen text") << c.name;
  }
  // Switched off: the daemon is not asked at all.
  const std::size_t requests = daemon->requests().size();
  ClaudeHistoryPaneContentSource off(client, fallback, [] { return false; }, [] { return 80; });
  EXPECT_EQ(awaitTask(off.captureContent("%1")), "screen text");
  EXPECT_EQ(daemon->requests().size(), requests);
}

// A daemon that accepts the history request and then says nothing (hung, stopped) fails
// the capture within the limit, or the client's request timeout without one, so the text
// view can tell the reader its text is no longer current.
TEST_F(PaneContentSourcesTest, HistorySourceGivesUpOnASilentDaemon) {
  daemon->onRequest = [](FakeDaemon::Connection&, const json&) {};
  ClaudeHistoryPaneContentSource source(client, fallback, [] { return true; }, [] { return 80; });
  QElapsedTimer clock;
  clock.start();
  EXPECT_THROW(awaitTask(source.captureContent("%1", 0.3), 10000), control_plane::ControlPlaneError);
  EXPECT_LT(clock.elapsed(), 1500);
  clock.restart();
  EXPECT_THROW(awaitTask(source.captureContent("%1"), 10000), control_plane::ControlPlaneError);
  EXPECT_LT(clock.elapsed(), 4000) << "the client's 2 s request timeout bounds it";
  EXPECT_TRUE(fallback->calls.empty());
}

TEST(ClaudeHistoryPaneContentSource, PilotSetting) {
  QTemporaryDir dir;
  auto settings = shell::SettingsStore::openFile(dir.filePath("preferences.ini"));
  ASSERT_TRUE(settings);
  const QString key = QString::fromLatin1(ClaudeHistoryPaneContentSource::kPilotDefaultsKey);
  EXPECT_TRUE(ClaudeHistoryPaneContentSource::pilotEnabled(*settings));
  settings->setValue(key, false);
  EXPECT_FALSE(ClaudeHistoryPaneContentSource::pilotEnabled(*settings));
  settings->setValue(key, QStringLiteral("not a flag"));
  EXPECT_TRUE(ClaudeHistoryPaneContentSource::pilotEnabled(*settings));
}

}  // namespace
}  // namespace vesket::viewer
