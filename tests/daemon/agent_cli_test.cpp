// The commands agents run (`vesket ask`, `resolve`, `signal`, `hook claude`) and the
// installer commands, as the real binary runs them against the real daemon.
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include "tests/support/private_daemon.h"
#include "tests/support/event_loop.h"
#include "viewer/core/awaiting_detector.h"

namespace vesket::daemon::testing {
namespace {

using namespace vesket::testing;

class AgentCliTest : public ::testing::Test {
 protected:
  std::string run(const QStringList& args) {
    const auto result = m_daemon.runCli(args);
    EXPECT_EQ(result.exitCode, 0) << args.join(' ').toStdString() << ": " << result.err.toStdString();
    return result.out.toStdString();
  }

  // `vesket hook claude` as Claude Code runs it in the pane: the event on standard input,
  // TMUX and TMUX_PANE in the environment.
  PrivateDaemon::Result hook(const QString& paneId, const std::string& event, const QString& socket) {
    QProcess process;
    auto environment = m_daemon.environment();
    environment.insert(QStringLiteral("TMUX_PANE"), paneId);
    environment.insert(QStringLiteral("TMUX"), socket + QStringLiteral(",1,0"));
    process.setProcessEnvironment(environment);
    process.start(PrivateDaemon::binary(), {QStringLiteral("hook"), QStringLiteral("claude")});
    process.write(QByteArray::fromStdString(event));
    process.closeWriteChannel();
    process.waitForFinished(10000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
  }

  nlohmann::json paneRecord(const QString& paneId) {
    LineClient client(m_daemon.socketPath());
    const nlohmann::json reply = client.request("list-panes");
    for (const auto& pane : reply["data"]["panes"]) {
      if (pane["paneId"] == paneId.toStdString()) return pane;
    }
    ADD_FAILURE() << "no pane " << paneId.toStdString() << " listed";
    return nlohmann::json::object();
  }

  PrivateTmux m_tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon m_daemon{m_tmux};
};

TEST_F(AgentCliTest, AskOutputIsWhatTheDetectorFindsAndResolveEndsIt) {
  const std::string question = "Déployer la version 2.0 en production ? 本当にいいですか 🚀";
  const std::string asked = run({"ask", QString::fromStdString(question), "--option", "1: Oui, déployer", "--option",
                                 "2: Non", "--id", "Deploy-42"});
  EXPECT_EQ(asked.substr(asked.find('\n') + 1), "Deploy-42\n");
  const auto prompt = viewer::AwaitingDetector::detect("$ vesket ask ...\n" + asked + "\n❯ ");
  ASSERT_TRUE(prompt.has_value()) << asked;
  EXPECT_EQ(prompt->id, "deploy-42");
  EXPECT_EQ(prompt->question, question);
  ASSERT_EQ(prompt->options.size(), 2u);
  EXPECT_EQ(prompt->options[0].label, "Oui, déployer");
  EXPECT_EQ(prompt->options[0].value, "1");
  EXPECT_EQ(prompt->selectionStyle, viewer::ApprovalSelectionStyle::numbered);

  const std::string resolved = run({"resolve", "Deploy-42"});
  EXPECT_FALSE(viewer::AwaitingDetector::detect(asked + resolved).has_value());

  // Without options the user types the answer; the id is made up when none is given.
  const std::string open = run({"ask", "Which branch?"});
  const auto freeText = viewer::AwaitingDetector::detect(open);
  ASSERT_TRUE(freeText.has_value());
  EXPECT_EQ(freeText->selectionStyle, viewer::ApprovalSelectionStyle::freeTextPrompt);
  EXPECT_EQ(freeText->id + "\n", QString::fromStdString(open).section('\n', 1).toLower().toStdString());

  const std::string signal = run({"signal", "needs-you", "--kind", "review", "--reason", "Bitte PR #7 prüfen"});
  const auto team = viewer::AwaitingDetector::detect(signal);
  ASSERT_TRUE(team.has_value());
  EXPECT_EQ(team->crewSignalKind, "review");
  EXPECT_EQ(team->question, "Bitte PR #7 prüfen");
  EXPECT_FALSE(viewer::AwaitingDetector::detect(signal + run({"signal", "done"})).has_value());

  EXPECT_EQ(m_daemon.runCli({"ask", "Q?", "--style", "fancy"}).exitCode, 2);
}

TEST_F(AgentCliTest, HookEventsBecomeThePanesPromptAndAnAnswerPressesTheOptionsKey) {
  m_daemon.start();
  const QString pane = m_tmux.paneIds().front();
  const QString socket = m_tmux.run({"display-message", "-p", "#{socket_path}"});
  const auto raised = hook(pane, R"({"hook_event_name":"PermissionRequest","tool_name":"Bash",
      "tool_input":{"command":"make deploy"},"permission_suggestions":[{}],"session_id":"s"})", socket);
  EXPECT_EQ(raised.exitCode, 0) << raised.err.toStdString();
  EXPECT_TRUE(raised.out.isEmpty());  // the agent reads the hook's output as its decision
  nlohmann::json prompt;
  ASSERT_TRUE(waitUntil([&] {
    prompt = paneRecord(pane).value("agentPrompt", nlohmann::json());
    return !prompt.is_null();
  }));
  EXPECT_EQ(prompt["kind"], "permission");
  EXPECT_EQ(prompt["options"].size(), 3u);
  EXPECT_NE(prompt["question"].get<std::string>().find("make deploy"), std::string::npos);

  LineClient client(m_daemon.socketPath());
  const auto answered = client.request(
      "answer", {{"paneId", pane.toStdString()}, {"choice", 3}, {"promptId", prompt["id"]}});
  EXPECT_TRUE(answered.value("ok", false)) << answered.dump();
  EXPECT_TRUE(waitUntil([&] { return m_tmux.capturePane(pane).contains("3"); }));
  EXPECT_TRUE(paneRecord(pane).value("agentPrompt", nlohmann::json()).is_null());
  // A second answer to the same prompt comes too late: nothing more is typed.
  const auto stale = client.request("answer", {{"paneId", pane.toStdString()}, {"choice", 1}, {"promptId", prompt["id"]}});
  EXPECT_FALSE(stale.value("ok", true));
  EXPECT_NE(stale.value("error", "").find("no longer waits"), std::string::npos);

  // Stop leaves the agent at its input; the next prompt it submits clears it.
  hook(pane, R"({"hook_event_name":"Stop"})", socket);
  ASSERT_TRUE(waitUntil([&] { return paneRecord(pane).contains("agentPrompt"); }));
  EXPECT_EQ(paneRecord(pane)["agentPrompt"]["kind"], "waiting");
  hook(pane, R"({"hook_event_name":"UserPromptSubmit","prompt":"go"})", socket);
  EXPECT_TRUE(waitUntil([&] { return !paneRecord(pane).contains("agentPrompt"); }));

  // Another tmux server's pane, a daemon-less home and broken input.
  hook(pane, R"({"hook_event_name":"Stop"})", QStringLiteral("/tmp/some-other-tmux/default"));
  EXPECT_FALSE(paneRecord(pane).contains("agentPrompt"));
  const auto broken = hook(pane, "{not json", socket);
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_NE(broken.err.indexOf("not a JSON object"), -1);
}

TEST_F(AgentCliTest, SkillsSyncTwiceChangesNothingAndUninstallListsWhatItDid) {
  const QString home = m_daemon.userHome();
  QDir().mkpath(home + "/.claude");
  QDir().mkpath(home + "/.codex");
  const std::string first = run({"skills", "sync"});
  EXPECT_NE(first.find("installed"), std::string::npos) << first;
  QFile manifest(m_daemon.home() + "/install-manifest.json");
  ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
  const QByteArray recorded = manifest.readAll();
  manifest.close();

  const std::string second = run({"skills", "sync"});
  EXPECT_EQ(second.find("installed"), std::string::npos) << second;
  ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
  EXPECT_EQ(manifest.readAll(), recorded);
  manifest.close();

  const auto records = nlohmann::json::parse(recorded.toStdString())["mutations"];
  const std::string listing = run({"uninstall", "--dry-run"});
  EXPECT_EQ(static_cast<std::size_t>(std::count(listing.begin(), listing.end(), '\n')), records.size() + 1) << listing;
  for (const auto& record : records) {
    EXPECT_NE(listing.find(record["target"].get<std::string>()), std::string::npos) << record["target"];
  }
  const std::string removed = run({"uninstall", "--execute"});
  EXPECT_FALSE(QFile::exists(home + "/.claude/skills/vesket/SKILL.md")) << removed;
  EXPECT_FALSE(QFile::exists(home + "/.claude/settings.json")) << removed;
}

}  // namespace
}  // namespace vesket::daemon::testing
