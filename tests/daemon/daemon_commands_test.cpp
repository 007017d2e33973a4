// Each control command doing its job to real panes of a private tmux server, through the
// real `vesket` daemon.
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include "tests/support/private_daemon.h"
#include "tests/support/event_loop.h"

namespace vesket::daemon::testing {
namespace {

using namespace vesket::testing;

class DaemonCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_daemon.start();
    m_pane = m_tmux.paneIds().front();
  }

  nlohmann::json call(const std::string& cmd, const nlohmann::json& args = nlohmann::json::object()) {
    LineClient client(m_daemon.socketPath());
    return client.request(cmd, args);
  }

  bool paneShows(const QString& paneId, const QString& text) {
    const bool shown = waitUntil([&] { return m_tmux.capturePane(paneId).contains(text); });
    if (!shown) ADD_FAILURE() << "pane " << paneId.toStdString() << " shows:\n" << m_tmux.capturePane(paneId).toStdString();
    return shown;
  }

  PrivateTmux m_tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon m_daemon{m_tmux};
  QString m_pane;
};

TEST_F(DaemonCommandsTest, SendTypesLiteralTextThenSubmits) {
  // Characters a shell or tmux would otherwise interpret, then Enter runs it.
  const auto reply = call("send", {{"paneId", m_pane.toStdString()}, {"text", "echo 'a;b' \"$((6*7))\" -- x"}});
  ASSERT_EQ(reply["ok"], true) << reply.dump();
  EXPECT_EQ(reply["data"], (nlohmann::json{{"ok", true}}));
  EXPECT_TRUE(paneShows(m_pane, QStringLiteral("a;b 42 -- x")));

  // Without submitting: the text stays on the prompt line.
  call("send", {{"paneId", m_pane.toStdString()}, {"text", "pending-text"}, {"submitKey", ""}});
  EXPECT_TRUE(paneShows(m_pane, QStringLiteral("pending-text")));
  // C-u discards the line both in readline and in the terminal's own line editing.
  call("send-key", {{"paneId", m_pane.toStdString()}, {"key", "C-u"}});
  call("send", {{"paneId", m_pane.toStdString()}, {"text", "echo done-$((1+1))"}});
  EXPECT_TRUE(paneShows(m_pane, QStringLiteral("done-2")));
}

TEST_F(DaemonCommandsTest, MultiLineTextArrivesWhole) {
  call("send", {{"paneId", m_pane.toStdString()}, {"text", "echo multi-$((1))\necho multi-$((2))"}});
  EXPECT_TRUE(paneShows(m_pane, QStringLiteral("multi-1")));
  EXPECT_TRUE(paneShows(m_pane, QStringLiteral("multi-2")));
}

TEST_F(DaemonCommandsTest, RepeatedClientRequestIdTypesOnce) {
  const nlohmann::json args = {{"paneId", m_pane.toStdString()},
                               {"text", "echo once-$((40+2))"},
                               {"clientRequestId", "7D5E1A4C-0000-4000-8000-000000000001"}};
  EXPECT_EQ(call("send", args)["data"]["ok"], true);
  EXPECT_EQ(call("send", args)["data"]["ok"], true) << "a repeat still succeeds";
  call("send", {{"paneId", m_pane.toStdString()}, {"text", "echo marker-$((1))-end"}});
  ASSERT_TRUE(paneShows(m_pane, QStringLiteral("marker-1-end")));
  EXPECT_EQ(m_tmux.capturePane(m_pane).count(QStringLiteral("once-42")), 1);
}

TEST_F(DaemonCommandsTest, CaptureKeepsEscapesAndHistory) {
  call("send", {{"paneId", m_pane.toStdString()},
                {"text", "printf '\\033[31mred-%s\\033[0m\\n' text; seq 1 $((100+20))"}});
  ASSERT_TRUE(paneShows(m_pane, QStringLiteral("\n120")));
  const auto reply = call("capture", {{"paneId", m_pane.toStdString()}});
  ASSERT_EQ(reply["ok"], true);
  EXPECT_EQ(reply["data"]["paneId"], m_pane.toStdString());
  const std::string content = reply["data"]["content"];
  EXPECT_NE(content.find("\x1b[31mred-text"), std::string::npos) << "escape sequences kept";
  EXPECT_NE(content.find("\n5\n"), std::string::npos) << "history beyond the 40 visible rows";
}

TEST_F(DaemonCommandsTest, SendKeyAndAnswerTypeWhatTheAgentExpects) {
  // `cat -v` shows what arrives: digits for answers, "^[" for Escape.
  call("send", {{"paneId", m_pane.toStdString()}, {"text", "cat -v"}});
  ASSERT_TRUE(m_tmux.waitForCommand(m_pane, "cat"));
  EXPECT_EQ(call("answer", {{"paneId", m_pane.toStdString()}, {"choice", 2}})["ok"], true);
  EXPECT_EQ(call("send-key", {{"paneId", m_pane.toStdString()}, {"key", "escape"}})["ok"], true);
  EXPECT_EQ(call("answer", {{"paneId", m_pane.toStdString()}, {"choices", {1, 3}}})["ok"], true);
  EXPECT_TRUE(paneShows(m_pane, QStringLiteral("2^[13")));
  call("send-key", {{"paneId", m_pane.toStdString()}, {"key", "C-c"}});
}

TEST_F(DaemonCommandsTest, SpawnKillAndResize) {
  const auto spawned = call("spawn-shell");
  ASSERT_EQ(spawned["data"]["ok"], true) << spawned.dump();
  const std::string newPane = spawned["data"]["paneId"];
  EXPECT_EQ(m_tmux.paneIds().size(), 2);

  const auto plain = call("spawn-plain-terminal", {{"windowName", "notes"}});
  ASSERT_EQ(plain["data"]["ok"], true);
  EXPECT_TRUE(m_tmux.run({"list-windows", "-a", "-F", "#{window_name}"}).contains("notes"));

  auto listed = [&](const std::string& paneId) {
    const auto reply = call("list-panes");
    for (const auto& pane : reply["data"]["panes"]) {
      if (pane["paneId"] == paneId) return true;
    }
    return false;
  };
  EXPECT_TRUE(listed(newPane));
  const auto killed = call("kill", {{"paneId", newPane}});
  EXPECT_EQ(killed["data"], (nlohmann::json{{"killed", "pane"}, {"paneId", newPane}}));
  EXPECT_FALSE(listed(newPane));
  EXPECT_EQ(call("kill", {{"paneId", newPane}})["ok"], false) << "already gone";

  const auto manual = call("resize-window", {{"paneId", m_pane.toStdString()}, {"mode", "manual"}, {"cols", 100}});
  ASSERT_EQ(manual["data"]["ok"], true) << manual.dump();
  EXPECT_EQ(manual["data"]["cols"], 100);
  EXPECT_EQ(m_tmux.run({"display-message", "-p", "-t", m_pane, "#{window_width}"}), "100");
  EXPECT_EQ(call("resize-window", {{"paneId", m_pane.toStdString()}, {"mode", "auto"}})["data"]["mode"], "auto");
}

TEST_F(DaemonCommandsTest, SendImageStoresFilesUnderTheHomeAndTypesTheirPaths) {
  const QByteArray png = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452");
  call("send", {{"paneId", m_pane.toStdString()}, {"text", "cat > /dev/null"}});
  ASSERT_TRUE(m_tmux.waitForCommand(m_pane, "cat"));
  const auto reply = call("send-image", {{"paneId", m_pane.toStdString()},
                                         {"images", {{{"base64", png.toBase64().toStdString()}, {"ext", "png"}}}},
                                         {"text", "look at"}});
  ASSERT_EQ(reply["data"]["ok"], true) << reply.dump();
  ASSERT_EQ(reply["data"]["paths"].size(), 1u);
  const QString path = QString::fromStdString(reply["data"]["paths"][0]);
  EXPECT_TRUE(path.startsWith(m_daemon.home() + "/")) << path.toStdString();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), png);
  EXPECT_TRUE(paneShows(m_pane, "look at " + path));

  // Without Enter the path stays on the line being typed until the user submits it: cat
  // echoes a line back only once it is submitted. (Until the interrupted cat is gone, a
  // line typed is still its to read: the shell has to be back first.)
  call("send-key", {{"paneId", m_pane.toStdString()}, {"key", "C-c"}});
  ASSERT_TRUE(m_tmux.waitForCommand(m_pane, "bash"));
  call("send", {{"paneId", m_pane.toStdString()}, {"text", "clear; cat"}});
  ASSERT_TRUE(m_tmux.waitForCommand(m_pane, "cat"));
  const auto typedOnly = call("send-image", {{"paneId", m_pane.toStdString()},
                                             {"images", {{{"base64", png.toBase64().toStdString()}, {"ext", "png"}}}},
                                             {"submit", false}});
  ASSERT_EQ(typedOnly["data"]["ok"], true) << typedOnly.dump();
  const QString typedPath = QString::fromStdString(typedOnly["data"]["paths"][0]);
  ASSERT_TRUE(paneShows(m_pane, typedPath));
  vesket::testing::spinFor(300);
  EXPECT_EQ(m_tmux.capturePane(m_pane).count(typedPath), 1) << m_tmux.capturePane(m_pane).toStdString();
  call("send-key", {{"paneId", m_pane.toStdString()}, {"key", "enter"}});
  EXPECT_TRUE(waitUntil([&] { return m_tmux.capturePane(m_pane).count(typedPath) == 2; }))
      << m_tmux.capturePane(m_pane).toStdString();

  EXPECT_EQ(call("send-image", {{"paneId", m_pane.toStdString()}, {"images", {{{"base64", "%%%"}, {"ext", "png"}}}}})["error"],
            "send-image: an image's 'base64' is not valid Base64");
  EXPECT_EQ(call("send-image", {{"paneId", m_pane.toStdString()}, {"images", {{{"base64", "AAAA"}, {"ext", "../x"}}}}})["error"],
            "send-image: image extension '../x' must be 1 to 8 letters or digits");
}

// A shell's title is tmux's default (the host name) until a program sets one: the list
// leaves it out, so that no row is named after the host. The name the user gives a pane
// is kept by tmux with the pane and comes back as its label record.
TEST_F(DaemonCommandsTest, PaneTitlesAndTheNamesUsersGive) {
  auto entry = [&] {
    const auto reply = call("list-panes");
    for (const auto& pane : reply["data"]["panes"]) {
      if (pane["paneId"] == m_pane.toStdString()) return pane;
    }
    return nlohmann::json();
  };
  const QString host = m_tmux.run({"display-message", "-p", "-t", m_pane, "#{host}"});
  ASSERT_EQ(m_tmux.run({"display-message", "-p", "-t", m_pane, "#{pane_title}"}), host) << "tmux's default title";
  EXPECT_EQ(entry()["paneTitle"], "");
  EXPECT_FALSE(entry().contains("paneLabel"));
  m_tmux.run({"select-pane", "-t", m_pane, "-T", "build watcher"});
  EXPECT_TRUE(waitUntil([&] { return entry()["paneTitle"] == "build watcher"; }));

  const auto named = call("set-pane-label", {{"paneId", m_pane.toStdString()}, {"customName", "  API #1 \"quoted\" "}});
  ASSERT_EQ(named["ok"], true) << named.dump();
  EXPECT_EQ(named["data"]["customName"], "API #1 \"quoted\"");
  EXPECT_TRUE(waitUntil([&] {
    return entry()["paneLabel"] == nlohmann::json{{"paneId", m_pane.toStdString()}, {"customName", "API #1 \"quoted\""}};
  })) << entry().dump();
  ASSERT_EQ(call("set-pane-label", {{"paneId", m_pane.toStdString()}, {"customName", ""}})["ok"], true);
  EXPECT_TRUE(waitUntil([&] { return !entry().contains("paneLabel"); }));

  EXPECT_EQ(call("set-pane-label", {{"paneId", m_pane.toStdString()}, {"customName", "a\u0007b"}})["error"],
            "set-pane-label: argument 'customName' holds control characters");
  EXPECT_EQ(call("set-pane-label", {{"paneId", m_pane.toStdString()}, {"customName", std::string(121, 'x')}})["error"],
            "set-pane-label: argument 'customName' is longer than 120 characters");
  EXPECT_EQ(call("set-pane-label", {{"paneId", "%999"}, {"customName", "x"}})["ok"], false);
}

TEST_F(DaemonCommandsTest, InformationCommands) {
  const auto ping = call("ping");
  EXPECT_EQ(ping["data"]["alive"], true);
  EXPECT_TRUE(ping["data"]["ts"].is_number());

  const auto relay = call("relay-status");
  EXPECT_EQ(relay["data"]["connected"], false);
  EXPECT_EQ(relay["data"]["daemonSessionId"], ping["data"]["daemonSessionId"]);

  const auto attach = call("attach-info", {{"paneId", m_pane.toStdString()}});
  EXPECT_EQ(attach["data"]["ok"], true);
  EXPECT_EQ(attach["data"]["session"], "main");
  EXPECT_EQ(attach["data"]["socketArgs"][0], "-S");
  EXPECT_EQ(call("attach-info")["data"]["ok"], true) << "without a pane";

  const auto agents = call("get-agent-config")["data"]["agents"];
  ASSERT_FALSE(agents.empty());
  EXPECT_EQ(agents.back()["id"], "shell");
  EXPECT_TRUE(call("crew", {{"action", "models"}})["data"]["catalog"]["kinds"].is_object());
  EXPECT_EQ(call("enable-macos-automation")["data"]["enabled"], true);
  EXPECT_EQ(call("request-accessibility")["data"]["trusted"], true);
  EXPECT_EQ(call("self-vouch", {{"deviceId", "d"}, {"requestId", "r"}, {"userId", 1}, {"deviceName", "n"}})["error"],
            "self-vouch: this daemon is not paired with a relay account");

  const auto sources = call("tmux-source-list")["data"];
  bool found = false;
  for (const auto& candidate : sources["candidates"]) found |= candidate["value"] == sources["current"];
  EXPECT_TRUE(found) << sources.dump();

  // Switching to the server in use succeeds and is remembered; a socket nobody serves is
  // refused and changes nothing.
  const std::string current = sources["current"];
  const auto set = call("tmux-source-set", {{"value", current}})["data"];
  EXPECT_EQ(set["ok"], true) << set.dump();
  EXPECT_EQ(set["applied"], current);
  QFile remembered(m_daemon.home() + "/daemon/tmux-source");
  ASSERT_TRUE(remembered.open(QIODevice::ReadOnly));
  EXPECT_EQ(remembered.readAll().trimmed().toStdString(), current);
  const auto refused = call("tmux-source-set", {{"value", "/tmp/no-such-tmux-socket"}})["data"];
  EXPECT_EQ(refused["ok"], false);
  EXPECT_TRUE(refused["error"].is_string());
  EXPECT_EQ(call("tmux-source-list")["data"]["current"], current);

  // The CLI's pane list matches tmux's.
  const auto cli = m_daemon.runCli({"panes", "--json"});
  ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
  const auto panes = nlohmann::json::parse(cli.out.toStdString());
  ASSERT_TRUE(panes.is_array());
  EXPECT_EQ(panes.size(), static_cast<std::size_t>(m_tmux.paneIds().size()));
  EXPECT_EQ(panes[0]["paneId"], m_pane.toStdString());
}

}  // namespace
}  // namespace vesket::daemon::testing
