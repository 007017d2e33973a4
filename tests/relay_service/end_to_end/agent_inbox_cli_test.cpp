// `vesket inbox` on a machine linked to the real relay: an agent's `ask --wait` in a tmux
// pane blocks until the user answers through the relay, prints the chosen option and exits
// 0; the answer is accepted once; a reply in the pane's thread is typed into the pane; the
// exit codes of a wait that times out, of a refused token and of a machine not paired.
#include <QSaveFile>

#include <gtest/gtest.h>

#include "tests/support/linked_daemon_fixture.h"

namespace vesket::testing {
namespace {

using nlohmann::json;

class AgentInboxCliTest : public LinkedDaemonTest {
 protected:
  std::unique_ptr<QProcess> startCli(const QStringList& args, const QString& home = {}) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = DaemonMachine::environment();
    environment.insert("TMUX_PANE", m_paneId);
    if (!home.isEmpty()) environment.insert("VESKET_HOME", home);
    process->setProcessEnvironment(environment);
    process->start(binary(), QStringList{"inbox"} + args);
    EXPECT_TRUE(process->waitForStarted(5000));
    return process;
  }

  // Runs it to the end: {exit code, stdout, stderr}.
  std::tuple<int, QString, QString> runCli(const QStringList& args, const QString& home = {}) {
    auto process = startCli(args, home);
    EXPECT_TRUE(waitUntil([&] { return process->state() == QProcess::NotRunning; }, 30000));
    return {process->exitCode(), QString::fromUtf8(process->readAllStandardOutput()),
            QString::fromUtf8(process->readAllStandardError())};
  }
};

TEST_F(AgentInboxCliTest, AskWaitBlocksUntilTheUserAnswersThroughTheRelay) {
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  auto asking = startCli({"ask", "Deploy?", "--option", "yes: Ship it", "--option", "no", "--wait", "--timeout", "60"});
  QByteArray out;
  ASSERT_TRUE(waitUntil([&] {
    out += asking->readAllStandardOutput();
    return out.contains('\n') || asking->state() == QProcess::NotRunning;
  }, 15000));
  const QString id = QString::fromUtf8(out.left(out.indexOf('\n')));
  ASSERT_FALSE(id.isEmpty()) << asking->readAllStandardError().toStdString();

  // The question is in the pane's thread, open, with its options.
  const std::string slug = "pane-" + std::to_string(daemonId) + "-" + m_paneId.mid(1).toStdString();
  const json messages = m_http->get(QString::fromStdString("/api/inbox/threads/" + slug + "/messages"), token).json();
  ASSERT_EQ(messages.size(), 1u) << messages.dump();
  EXPECT_EQ(messages[0]["payload"]["decision"]["question"], "Deploy?");
  EXPECT_EQ(messages[0]["payload"]["decision"]["options"][0]["label"], "Ship it");
  EXPECT_EQ(messages[0]["payload"]["decision"]["options"][1]["k"], "no");
  spinFor(500);
  EXPECT_EQ(asking->state(), QProcess::Running);

  const QString answer = QString::fromStdString("/api/inbox/threads/" + slug + "/messages/") + id + "/decision";
  ASSERT_EQ(m_http->post(answer, {{"k", "yes"}, {"device", "Mac"}}, token).status, 200);
  ASSERT_TRUE(waitUntil([&] { return asking->state() == QProcess::NotRunning; }, 10000));
  EXPECT_EQ(asking->exitCode(), 0) << asking->readAllStandardError().toStdString();
  out += asking->readAllStandardOutput();
  EXPECT_EQ(out, (id + "\nyes\n").toUtf8());

  const RelayReply again = m_http->post(answer, {{"k", "no"}}, token);
  EXPECT_EQ(again.status, 409);
  EXPECT_EQ(again.json()["reason"], "decision_already_decided");
  // `inbox wait` on the answered decision prints the answer at once.
  const auto [waitCode, waitOut, waitErr] = runCli({"wait", id});
  EXPECT_EQ(waitCode, 0) << waitErr.toStdString();
  EXPECT_EQ(waitOut, "yes\n");

  // The user's reply in the thread is typed into the agent's pane.
  const RelayReply reply = m_http->post(QString::fromStdString("/api/inbox/threads/" + slug + "/reply"),
                                        {{"text", "echo replied-$((6*7))"}}, token);
  ASSERT_EQ(reply.status, 200) << reply.body.toStdString();
  EXPECT_EQ(reply.json()["message"]["direction"], "out");
  EXPECT_EQ(reply.json()["message"]["answer"]["state"], "working");
  EXPECT_TRUE(captureShows(m_paneId, "replied-42"));
}

TEST_F(AgentInboxCliTest, ExitCodesTellTimedOutRefusedAndNotPaired) {
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  const auto [postCode, postOut, postErr] = runCli({"post", "Build green", "--title", "CI", "--thread", "ci"});
  EXPECT_EQ(postCode, 0) << postErr.toStdString();
  EXPECT_EQ(m_http->get("/api/inbox/threads/ci/messages", token).json()[0]["title"], "CI");

  const auto [timedCode, timedOut, timedErr] = runCli({"ask", "Wait?", "--option", "a", "--option", "b", "--wait", "--timeout", "1"});
  EXPECT_EQ(timedCode, 4) << timedErr.toStdString();
  EXPECT_TRUE(timedErr.contains("no answer within")) << timedErr.toStdString();

  const auto [notifyCode, notifyOut, notifyErr] = runCli({"notify", "Deployed", "--body", "v2 is live"});
  EXPECT_EQ(notifyCode, 0) << notifyErr.toStdString();
  EXPECT_EQ(m_http->get("/api/notifications", token).json()["notifications"][0]["title"], "Deployed");

  const auto [usageCode, usageOut, usageErr] = runCli({"ask", "Only one?", "--option", "a"});
  EXPECT_EQ(usageCode, 2);

  QTemporaryDir unpaired;
  const auto [unpairedCode, unpairedOut, unpairedErr] = runCli({"post", "hello"}, unpaired.path());
  EXPECT_EQ(unpairedCode, 6);
  EXPECT_TRUE(unpairedErr.contains("not paired")) << unpairedErr.toStdString();

  // A token the relay does not know (a revoked pairing): refused.
  writeEnv(m_relay->daemonUrl(), "not-a-token");
  const auto [refusedCode, refusedOut, refusedErr] = runCli({"post", "hello"});
  EXPECT_EQ(refusedCode, 5) << refusedErr.toStdString();
  EXPECT_TRUE(refusedErr.contains("pair it again")) << refusedErr.toStdString();
}

}  // namespace
}  // namespace vesket::testing
