// The typed commands of the control-socket client against a scripted daemon: what each one
// sends, how it reads the reply and which failures it adds of its own.
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/control_plane_errors.h"
#include "tests/support/await_task.h"
#include "tests/support/fake_daemon.h"

using namespace vesket::control_plane;
using vesket::testing::FakeDaemon;
using vesket::testing::awaitTask;
using nlohmann::json;

namespace {

const json kPane = json::parse(R"({"paneId":"%1","label":"sh","registeredAt":1,"sessionName":"s",
  "windowIndex":0,"windowId":"@1","windowName":"w","paneIndex":0,"paneTitle":"t","cwdBasename":"d",
  "cmd":"bash","topicPreview":"","paneWidth":80})");

class ControlCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_socketPath = m_dir.filePath("control.sock").toStdString();
    m_daemon = std::make_unique<FakeDaemon>(QString::fromStdString(m_socketPath));
    m_daemon->onRequest = [this](FakeDaemon::Connection& c, const json& request) {
      m_seen.push_back(request);
      if (m_replyData.is_discarded()) return;  // stay silent
      c.reply(request["id"], m_replyData);
    };
    m_client = ControlPlaneClient::create(m_socketPath, std::nullopt, 2.0);
  }

  // Runs a command with the daemon answering `data`; gives the result as text (or the error
  // as "error:<description>") and leaves the request it saw in lastRequest().
  template <typename T>
  std::string run(QCoro::Task<T> task, json data, const std::function<std::string(const T&)>& show) {
    m_replyData = std::move(data);
    try {
      return show(awaitTask(std::move(task)));
    } catch (const ControlPlaneError& e) {
      return std::string("error:") + e.what();
    } catch (const std::exception& e) {
      return std::string("other:") + e.what();
    }
  }
  std::string runVoid(QCoro::Task<void> task, json data) {
    auto wrapped = [](QCoro::Task<void> inner) -> QCoro::Task<int> {
      co_await std::move(inner);
      co_return 0;
    };
    return run<int>(wrapped(std::move(task)), std::move(data), [](const int&) { return std::string("done"); });
  }
  template <typename T>
  static std::string asJson(const T& record) {
    return record.toJson().dump();
  }

  const json& lastRequest() const { return m_seen.back(); }

  QTemporaryDir m_dir;
  std::string m_socketPath;
  std::unique_ptr<FakeDaemon> m_daemon;
  std::shared_ptr<ControlPlaneClient> m_client;
  json m_replyData;
  std::vector<json> m_seen;
};

TEST_F(ControlCommandsTest, EachCommandSendsItsNameAndArguments) {
  struct Case {
    const char* cmd;
    std::function<std::string()> call;
    const char* args;
    const char* result;
  };
  auto& c = *m_client;
  const std::vector<Case> cases = {
      {"ping", [&] { return run<PingResult>(c.ping(), {{"alive", true}, {"ts", 5}}, asJson<PingResult>); }, "{}",
       R"({"alive":true,"ts":5})"},
      {"relay-status",
       [&] {
         return run<LocalRelayStatus>(c.relayStatus(), {{"connected", true}, {"transportState", "up"}},
                                      asJson<LocalRelayStatus>);
       },
       "{}", R"({"connected":true,"transportState":"up"})"},
      {"enable-macos-automation",
       [&] {
         return run<EnableAutomationResult>(c.enableMacOSAutomation(), {{"enabled", true}},
                                            asJson<EnableAutomationResult>);
       },
       "{}", R"({"enabled":true})"},
      {"self-vouch",
       [&] {
         return run<SelfVouchResult>(c.selfVouch("dev", "req", 12, "Box"), {{"approved", false}},
                                     asJson<SelfVouchResult>);
       },
       R"({"deviceId":"dev","deviceName":"Box","requestId":"req","userId":12})", R"({"approved":false})"},
      {"list-panes",
       [&] {
         return run<std::vector<PaneEntry>>(c.listPanes(), {{"panes", {kPane, kPane}}},
                                            [](const auto& panes) { return std::to_string(panes.size()) + " panes"; });
       },
       "{}", "2 panes"},
      {"get-agent-config",
       [&] {
         return run<std::vector<AgentConfigEntry>>(
             c.fetchAgentConfig(), {{"agents", {{{"id", "claude"}, {"displayName", "Claude Code"}}}}},
             [](const auto& agents) { return agents.at(0).displayName; });
       },
       "{}", "Claude Code"},
      {"crew",
       [&] {
         return run<std::optional<ServedModelCatalog>>(c.fetchModelCatalog(), json::object(), [](const auto& catalog) {
           return catalog ? std::string("catalogue") : std::string("nothing");
         });
       },
       R"({"action":"models"})", "nothing"},
      {"capture",
       [&] {
         return run<PaneCapture>(c.capture("%3"), {{"paneId", "%3"}, {"content", "$ ls\n"}},
                                 [](const PaneCapture& p) { return p.content; });
       },
       R"({"paneId":"%3"})", "$ ls\n"},
      {"send",
       [&] {
         return run<SendResult>(c.send("%3", "make\n", "Enter", QUuid("{0f1e2d3c-0000-4000-8000-00000000000a}")),
                                {{"ok", false}, {"error", "pane busy"}, {"helpUrl", "https://help"}}, asJson<SendResult>);
       },
       R"({"clientRequestId":"0F1E2D3C-0000-4000-8000-00000000000A","paneId":"%3","submitKey":"Enter","text":"make\n"})",
       R"({"error":"pane busy","helpUrl":"https://help","ok":false})"},
      {"send-key", [&] { return runVoid(c.sendKey("%3", "Up"), {{"ok", false}}); }, R"({"key":"Up","paneId":"%3"})",
       "done"},
      {"answer", [&] { return runVoid(c.answer("%3", 2), "anything"); }, R"({"choice":2,"paneId":"%3"})", "done"},
      {"send-image",
       [&] {
         return run<ImageSendResult>(c.sendImage("%3", {{"aGk=", "png"}}, "see"),
                                     {{"ok", true}, {"paths", {"/tmp/a.png"}}}, asJson<ImageSendResult>);
       },
       R"({"images":[{"base64":"aGk=","ext":"png"}],"paneId":"%3","text":"see"})",
       R"({"ok":true,"paths":["/tmp/a.png"]})"},
      {"tmux-source-list",
       [&] {
         return run<TmuxSourceListResult>(
             c.tmuxSourceList(),
             {{"current", "default"}, {"candidates", {{{"value", "default"}, {"label", "Default"}, {"sessionCount", 3}}}}},
             asJson<TmuxSourceListResult>);
       },
       "{}", R"({"candidates":[{"label":"Default","sessionCount":3,"value":"default"}],"current":"default"})"},
      {"tmux-source-set",
       [&] {
         return run<TmuxSourceSetResult>(c.tmuxSourceSet("work"), {{"ok", true}, {"fellBack", true}},
                                         asJson<TmuxSourceSetResult>);
       },
       R"({"value":"work"})", R"({"fellBack":true,"ok":true})"},
      {"resize-window",
       [&] {
         return run<WindowResizeResult>(c.resizeWindow("%3", 120), {{"ok", true}, {"cols", 120}, {"mode", "manual"}},
                                        asJson<WindowResizeResult>);
       },
       R"({"cols":120,"mode":"manual","paneId":"%3"})", R"({"cols":120,"mode":"manual","ok":true})"},
      {"resize-window",
       [&] { return run<WindowResizeResult>(c.resizeWindow("%3"), {{"ok", true}}, asJson<WindowResizeResult>); },
       R"({"mode":"auto","paneId":"%3"})", R"({"ok":true})"},
      {"spawn-shell",
       [&] {
         return run<std::string>(c.spawnShell(), {{"ok", true}, {"paneId", "%8"}},
                                 [](const std::string& id) { return id; });
       },
       "{}", "%8"},
      {"spawn-plain-terminal",
       [&] {
         return run<std::string>(c.spawnPersistentPlainTerminal(""), {{"ok", true}, {"paneId", "%9"}},
                                 [](const std::string& id) { return id; });
       },
       "{}", "%9"},
      {"attach-info",
       [&] {
         return run<AttachInfoResult>(c.attachInfo(),
                                      {{"ok", true}, {"tmuxBin", "/usr/bin/tmux"}, {"socketArgs", {"-L", "v"}}},
                                      asJson<AttachInfoResult>);
       },
       "{}", R"({"ok":true,"socketArgs":["-L","v"],"tmuxBin":"/usr/bin/tmux"})"},
      {"kill",
       [&] { return run<KillResult>(c.kill("%3"), {{"killed", "pane"}, {"paneId", "%3"}}, asJson<KillResult>); },
       R"({"paneId":"%3"})", R"({"killed":"pane","paneId":"%3"})"},
      {"crew",
       [&] {
         return run<CrewDisbandResult>(c.disbandCrew("api"), {{"type", "crew.disband"}, {"ok", true}},
                                       asJson<CrewDisbandResult>);
       },
       R"({"action":"disband","project":"api"})", R"({"ok":true,"type":"crew.disband"})"},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(test.call(), test.result) << test.cmd;
    EXPECT_EQ(lastRequest()["cmd"], test.cmd);
    EXPECT_EQ(lastRequest()["args"].dump(), test.args) << test.cmd;
    EXPECT_FALSE(lastRequest().contains("token")) << test.cmd;
  }
}

TEST_F(ControlCommandsTest, PostProcessingFailuresHaveTheirOwnTexts) {
  auto& c = *m_client;
  auto paneId = [](const std::string& id) { return id; };
  EXPECT_EQ(run<std::string>(c.spawnShell(), {{"ok", true}}, paneId), "error:spawn-shell returned no paneId");
  EXPECT_EQ(run<std::string>(c.spawnShell(), {{"ok", false}, {"paneId", "%1"}}, paneId),
            "error:spawn-shell returned no paneId");
  EXPECT_EQ(run<std::string>(c.spawnPersistentPlainTerminal("logs"), {{"ok", false}}, paneId),
            "error:spawn-plain-terminal returned no paneId");
  EXPECT_EQ(lastRequest()["args"].dump(), R"({"windowName":"logs"})");
  EXPECT_EQ(run<AttachInfoResult>(c.attachInfo("%2"), {{"ok", false}, {"tmuxBin", ""}, {"socketArgs", json::array()}},
                                  asJson<AttachInfoResult>),
            "error:attach-info failed");
  // A reply that does not decode stays a protocol error, whatever the method.
  EXPECT_EQ(run<std::vector<PaneEntry>>(c.listPanes(), {{"panes", {{{"paneId", "%1"}}}}},
                                        [](const auto&) { return std::string("decoded"); }),
            "error:protocol error: PaneListReply.panes[0]: required key 'label' is missing");
  EXPECT_EQ(runVoid(c.sendKey("%1", "Up"), "not an object"),
            "error:protocol error: SendKeyAck: expected object, got string");
}

TEST_F(ControlCommandsTest, SelfVouchWaitsNineSecondsWhateverTheDefault) {
  // A short default does not cut self-vouch short...
  m_daemon->onRequest = [this](FakeDaemon::Connection& c, const json& request) {
    m_seen.push_back(request);
    QTimer::singleShot(600, m_daemon.get(), [&c, id = request["id"].get<std::string>()] {
      c.reply(id, {{"approved", true}});
    });
  };
  auto hasty = ControlPlaneClient::create(m_socketPath, "tok", 0.2);
  EXPECT_TRUE(awaitTask(hasty->selfVouch("d", "r", 1, "n")).approved);
  EXPECT_EQ(lastRequest()["token"], "tok");

  // ...and a long one does not stretch it.
  m_daemon->onRequest = [](FakeDaemon::Connection&, const json&) {};
  auto patient = ControlPlaneClient::create(m_socketPath, std::nullopt, 60.0);
  QElapsedTimer elapsed;
  elapsed.start();
  try {
    awaitTask(patient->selfVouch("d", "r", 1, "n"), 30000);
    FAIL() << "expected a timeout";
  } catch (const ControlPlaneError& e) {
    EXPECT_EQ(e.description(), "request timed out: self-vouch");
  }
  EXPECT_GE(elapsed.elapsed(), 8900);
  EXPECT_LT(elapsed.elapsed(), 20000);
}

TEST_F(ControlCommandsTest, TheClientIsAnImageSender) {
  std::shared_ptr<ImageSending> sender = m_client;
  EXPECT_EQ(run<ImageSendResult>(sender->sendImage("%4", {}, ""), {{"ok", false}, {"error", "no images"}},
                                 asJson<ImageSendResult>),
            R"({"error":"no images","ok":false})");
  EXPECT_EQ(lastRequest()["args"].dump(), R"({"images":[],"paneId":"%4","text":""})");
}

}  // namespace
