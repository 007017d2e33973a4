// The viewer model against a scripted daemon: which commands it sends for selection, fit
// width, messages, keys and answers, and what it remembers.
#include "viewer/terminal_viewer_model.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "control_plane/control_plane_client.h"
#include "shell/settings_store.h"
#include "tests/support/event_loop.h"
#include "tests/support/fake_daemon.h"
#include "tests/viewer/core/awaiting_marker_text.h"
#include "viewer/pane_list_store.h"

using namespace vesket;
using nlohmann::json;
using testing_support_daemon = vesket::testing::FakeDaemon;
using vesket::testing::spinFor;
using vesket::testing::waitUntil;

namespace {

json pane(const std::string& id, const std::string& windowId, int index) {
  return {{"paneId", id},           {"label", id},          {"registeredAt", 1},    {"sessionName", "main"},
          {"windowIndex", 0},       {"windowId", windowId}, {"windowName", "work"}, {"paneIndex", index},
          {"paneTitle", "t" + id},  {"cwdBasename", "repo"}, {"cmd", "zsh"},        {"topicPreview", ""},
          {"paneWidth", 100},       {"agentKind", "shell"}};
}

class TerminalViewerModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    const QString socket = m_dir.filePath("control.sock");
    m_daemon = std::make_unique<testing_support_daemon>(socket);
    m_daemon->onRequest = [this](testing_support_daemon::Connection& c, const json& request) {
      const std::string cmd = request["cmd"];
      const std::string id = request["id"];
      m_commands.push_back(request);
      if (cmd == "relay-status") {
        c.reply(id, {{"connected", false}, {"transportState", "idle"}, {"daemonSessionId", "gen-1"}});
      } else if (cmd == "watch") {
        c.event(id, {{"type", "snapshot"}, {"panes", json::array({pane("%1", "@1", 0), pane("%2", "@1", 1)})}});
      } else if (cmd == "capture") {
        c.reply(id, {{"paneId", request["args"]["paneId"]}, {"content", "$ ls\nREADME.md\n" + m_promptLine}});
      } else if (cmd == "send") {
        c.reply(id, {{"ok", true}});
      } else if (cmd == "resize-window") {
        c.reply(id, {{"ok", true}, {"cols", request["args"].value("cols", 100)}, {"rows", 30}, {"mode", "manual"}});
      } else if (cmd == "claude-history") {
        c.fail(id, "claude-history: not supported by this daemon yet");
      } else {
        c.reply(id, {{"ok", true}});
      }
    };
    m_client = control_plane::ControlPlaneClient::create(socket.toStdString(), std::nullopt, 2.0);
    m_settings = shell::SettingsStore::openFile(m_dir.filePath("preferences.ini"));
    ASSERT_TRUE(m_settings);
  }

  std::vector<json> commands(const std::string& cmd) const {
    std::vector<json> out;
    for (const auto& c : m_commands) {
      if (c["cmd"] == cmd) out.push_back(c["args"]);
    }
    return out;
  }

  QTemporaryDir m_dir;
  std::unique_ptr<testing_support_daemon> m_daemon;
  std::shared_ptr<control_plane::ControlPlaneClient> m_client;
  std::unique_ptr<shell::SettingsStore> m_settings;
  std::vector<json> m_commands;
  std::string m_promptLine;  // an approval marker the captures show, when set
};

TEST_F(TerminalViewerModelTest, SelectsAndRemembersPanesAndShowsTheirText) {
  viewer::TerminalViewerModel model(m_client, m_settings.get());
  std::vector<viewer::LineDiffer::Change> changes;
  QObject::connect(&model, &viewer::TerminalViewerModel::contentChanged,
                   [&](const viewer::LineDiffer::Change& c) { changes.push_back(c); });
  model.start();
  ASSERT_TRUE(waitUntil([&] { return model.paneList().panes().size() == 2; }));
  EXPECT_EQ(model.connection(), control_plane::ConnectionState::connected());
  EXPECT_EQ(model.selectedPaneId(), "%1") << "the first listed pane is selected when nothing is remembered";
  EXPECT_EQ(model.state().kind, viewer::ViewerState::Kind::streamingIdle);
  ASSERT_TRUE(waitUntil([&] {
    for (const auto& c : changes) {
      for (const auto& line : c.lines) {
        if (line == "README.md") return true;
      }
    }
    return false;
  }));

  model.selectRelative(1);
  EXPECT_EQ(model.selectedPaneId(), "%2");
  model.selectRelative(1);
  EXPECT_EQ(model.selectedPaneId(), "%2") << "walking stops at the end";
  EXPECT_EQ(m_settings->stringValue(viewer::TerminalViewerModel::kLastSelectedPaneKey), QString("%2"));
  model.stop();

  // A new model (the next run) comes back to the remembered pane.
  viewer::TerminalViewerModel again(m_client, m_settings.get());
  again.start();
  ASSERT_TRUE(waitUntil([&] { return again.paneList().panes().size() == 2; }));
  EXPECT_EQ(again.selectedPaneId(), "%2");
  again.stop();
}

TEST_F(TerminalViewerModelTest, FitWidthResizesAtOnceOrDebounced) {
  viewer::TerminalViewerModel model(m_client, m_settings.get());
  model.start();
  ASSERT_TRUE(waitUntil([&] { return model.selectedPaneId().has_value(); }));

  model.setFitWidthMode(viewer::FitWidthMode::cols120);
  ASSERT_TRUE(waitUntil([&] { return commands("resize-window").size() == 1; }));
  EXPECT_EQ(commands("resize-window")[0], json({{"paneId", "%1"}, {"mode", "manual"}, {"cols", 120}}));
  EXPECT_EQ(m_settings->stringValue(viewer::TerminalViewerModel::kFitWidthModeKey), QString("cols120"));

  model.setFitWidthMode(viewer::FitWidthMode::fit);
  spinFor(100);
  m_commands.clear();
  model.canvasWidthChanged(700, 7);
  model.canvasWidthChanged(840, 7);
  model.canvasWidthChanged(910, 7);
  spinFor(600);
  const auto resizes = commands("resize-window");
  ASSERT_EQ(resizes.size(), 1u) << "three canvas changes within 0.25 s make one resize";
  EXPECT_EQ(resizes[0]["cols"], 130);

  m_commands.clear();
  model.setFitWidthMode(viewer::FitWidthMode::off);
  ASSERT_TRUE(waitUntil([&] { return commands("resize-window").size() == 1; }));
  EXPECT_EQ(commands("resize-window")[0], json({{"paneId", "%1"}, {"mode", "auto"}})) << "off hands the width back";
  model.stop();
}

TEST_F(TerminalViewerModelTest, SendsMessagesKeysAndAnswersToTheSelectedPane) {
  viewer::TerminalViewerModel model(m_client, m_settings.get());
  model.start();
  ASSERT_TRUE(waitUntil([&] { return model.selectedPaneId() == std::optional<std::string>("%1"); }));

  model.sendComposed("run the tests");
  ASSERT_TRUE(waitUntil([&] { return !model.isSending() && commands("send").size() == 1; }));
  EXPECT_EQ(commands("send")[0]["text"], "run the tests");
  EXPECT_TRUE(commands("send")[0].contains("clientRequestId"));
  EXPECT_EQ(model.sentHistory("%1"), std::vector<std::string>{"run the tests"});

  model.sendNavKey("escape");
  ASSERT_TRUE(waitUntil([&] { return commands("send-key").size() == 1; }));
  EXPECT_EQ(commands("send-key")[0], json({{"paneId", "%1"}, {"key", "escape"}}));

  model.answerOption(viewer::ApprovalOption{2, "No", "n"});
  spinFor(100);
  EXPECT_TRUE(commands("answer").empty()) << "no prompt shown, nothing to answer";

  m_promptLine = viewer::testing::approvalMarker("p1", "Continue?", "[]", "attention") + "\n";
  ASSERT_TRUE(waitUntil([&] { return model.awaitingPrompt().has_value(); }));
  model.answerOption(viewer::ApprovalOption{2, "No", "n"});
  ASSERT_TRUE(waitUntil([&] { return !model.isAnswering() && commands("answer").size() == 1; }));
  EXPECT_EQ(commands("answer")[0], json({{"paneId", "%1"}, {"choice", 2}, {"promptId", "p1"}}));
  EXPECT_FALSE(model.answerError());
  EXPECT_FALSE(model.awaitingPrompt()) << "an answered prompt leaves the screen at once";
  model.answerOption(viewer::ApprovalOption{1, "Yes", "y"});
  spinFor(200);
  EXPECT_EQ(commands("answer").size(), 1u) << "a second click never types a second answer";
  model.stop();
}

TEST_F(TerminalViewerModelTest, ReportsAFailedSendWithoutLosingTheHistory) {
  m_daemon->onRequest = [this, previous = m_daemon->onRequest](testing_support_daemon::Connection& c,
                                                               const json& request) {
    if (request["cmd"] == "send") {
      m_commands.push_back(request);
      c.fail(request["id"], "pane %1 not found");
      return;
    }
    previous(c, request);
  };
  viewer::TerminalViewerModel model(m_client, m_settings.get());
  model.start();
  ASSERT_TRUE(waitUntil([&] { return model.selectedPaneId().has_value(); }));
  model.sendComposed("hello");
  ASSERT_TRUE(waitUntil([&] { return !model.isSending() && commands("send").size() == 1; }));
  EXPECT_EQ(model.composerError(), "pane %1 not found");
  EXPECT_TRUE(model.sentHistory("%1").empty()) << "only delivered messages are remembered";
  model.stop();
}

}  // namespace
