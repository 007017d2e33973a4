// The application's side of another machine's panes, against the real relay and a real
// daemon linked to it (its own private tmux server): the relay pane source lists, captures,
// types, sends keys, images and files; the viewer steers a second machine of the account
// (a daemon with its own tmux server and home) and never reaches another account's; the
// relay's live terminal client shows typed echo, survives a relay restart with a new epoch,
// ends with the pane, and is refused for good without a valid account.
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "relay/relay_pane_source.h"
#include "viewer/pane_content_store.h"
#include "viewer/pane_list_store.h"
#include "viewer/terminal_viewer_model.h"
#include "relay/terminal_mirror_client.h"
#include "tests/support/linked_daemon_fixture.h"

namespace vesket::testing {
namespace {

using relay::RelayPaneError;
using relay::RelayPaneSource;

// What a terminal client told its listener.
struct RecordingListener : relay::TerminalMirrorListener {
  void onReady(const relay::ReadyPayload&) override { ++ready; }
  void onOutput(const std::string& bytes) override { output += bytes; }
  void onExit(const relay::ExitPayload& payload) override { exit = payload; }
  void onError(const std::string& message) override { errors.push_back(message); }
  void onGeometry(int, int) override {}
  void onHistory(const std::string& bytes) override { output += bytes; }
  void onHistoryEnd() override {}
  void onHistoryOlder(const std::string&) override {}
  void onHistoryOlderEnd(bool, std::int64_t) override {}
  void onReconnecting(int attempt, int delayMs) override { reconnects.emplace_back(attempt, delayMs); }
  void onPongMode(const std::string&) override { ++pongs; }
  void onMouseMode(bool) override {}

  int ready = 0;
  int pongs = 0;
  std::string output;
  std::optional<relay::ExitPayload> exit;
  std::vector<std::string> errors;
  std::vector<std::pair<int, int>> reconnects;
};

class RelayRemotePaneTest : public LinkedDaemonTest {
 protected:
  RelayPaneSource source(const std::string& token, qint64 daemonId) {
    return RelayPaneSource(
        QUrl(m_relay->baseUrl()), [daemonId] { return viewer::ActiveRemoteTarget{daemonId, std::nullopt}; },
        [token] { return std::optional<QString>(QString::fromStdString(token)); }, &m_network);
  }

  bool captureShows(RelayPaneSource& source, const std::string& paneId, const std::string& needle) {
    std::string last;
    const bool seen = waitUntil(
        [&] {
          last = awaitTask(source.captureContent(paneId));
          if (last.find(needle) != std::string::npos) return true;
          spinFor(100);
          return false;
        },
        10000);
    if (!seen) ADD_FAILURE() << "never showed '" << needle << "'; last:\n" << last;
    return seen;
  }

  std::unique_ptr<relay::TerminalMirrorClient> mirror(const std::string& bearer, const std::string& paneId, qint64 daemonId,
                                                      std::shared_ptr<RecordingListener> listener) {
    relay::TerminalAttachParams params;
    params.paneId = paneId;
    params.cols = 100;
    params.rows = 30;
    params.open = true;
    params.daemonId = daemonId;
    params.openLatency = {{"openId", "open-1"}, {"openReason", "select"}};
    auto client = std::make_unique<relay::TerminalMirrorClient>(
        relay::TerminalMirrorRules::attachURL(m_relay->baseUrl().toStdString(), params),
        std::map<std::string, std::string>{{"Authorization", "Bearer " + bearer}}, listener);
    client->connect();
    return client;
  }

  QNetworkAccessManager m_network;
};

TEST_F(RelayRemotePaneTest, TheSourceListsCapturesTypesAndUploads) {
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  RelayPaneSource relayed = source(token, daemonId);

  const RelayPaneSource::RemoteRoster roster = awaitTask(relayed.listPanes());
  EXPECT_EQ(roster.resolvedDaemonId, daemonId);
  ASSERT_EQ(roster.panes.size(), 1u);
  const std::string pane = RelayPaneSource::namespacedPaneId(daemonId, roster.panes[0].paneId);
  EXPECT_EQ(roster.panes[0].paneId, m_paneId.toStdString());

  // Namespaced ids reach the daemon raw.
  EXPECT_TRUE(awaitTask(relayed.sendText(pane, "echo typed-$((6*7))", "4F3E2D1C-0B0A-4999-8888-777766665555")).ok);
  EXPECT_TRUE(captureShows(relayed, pane, "typed-42"));
  // The key interrupts the sleep, else the echo would wait for it. Each step waits for the
  // program in the foreground: the echo of "sleep 30" comes before the shell starts it (a
  // key sent then can reach the shell instead, and the sleep runs on), and what is typed
  // before the shell is back can be flushed by the terminal.
  awaitTask(relayed.sendText(pane, "sleep 30", std::nullopt));
  ASSERT_TRUE(m_tmux->waitForCommand(m_paneId, "sleep"));
  awaitTask(relayed.sendKey(pane, "C-c"));
  EXPECT_TRUE(captureShows(relayed, pane, "^C"));
  ASSERT_TRUE(m_tmux->waitForCommand(m_paneId, "sh"));
  EXPECT_TRUE(awaitTask(relayed.sendText(pane, "echo after-$((1+1))key", std::nullopt)).ok);
  EXPECT_TRUE(captureShows(relayed, pane, "after-2key"));

  QTemporaryDir dir;
  const QString path = dir.filePath("report.csv");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  const QByteArray bytes(400 * 1024, 'v');
  file.write(bytes);
  file.close();
  double progress = 0;
  const auto sent = awaitTask(relayed.sendFile(pane, path, "wc -c", [&](double fraction) { progress = fraction; }));
  ASSERT_TRUE(sent.ok);
  ASSERT_TRUE(sent.paths && sent.paths->size() == 1u);
  QFile arrived(QString::fromStdString(sent.paths->front()));
  ASSERT_TRUE(arrived.open(QIODevice::ReadOnly));
  EXPECT_EQ(arrived.readAll(), bytes);
  EXPECT_DOUBLE_EQ(progress, 1.0);
  EXPECT_TRUE(captureShows(relayed, pane, "409600 "));

  const auto image = awaitTask(relayed.sendImage(pane, {{QByteArray("GIF89a-bytes").toBase64().toStdString(), "jpg"}}, ""));
  ASSERT_TRUE(image.ok);
  ASSERT_TRUE(image.paths && image.paths->size() == 1u);
  EXPECT_TRUE(image.paths->front().ends_with(".jpg"));
  // An attachment that is not Base64 fails before anything is sent.
  EXPECT_THROW(awaitTask(relayed.sendImage(pane, {{"***", "png"}}, "")), RelayPaneError);

  // Failures as the text view sees them.
  try {
    awaitTask(relayed.captureContent(RelayPaneSource::namespacedPaneId(daemonId, "%999")));
    ADD_FAILURE() << "a pane that is gone was captured";
  } catch (const RelayPaneError& error) {
    EXPECT_EQ(error.kind(), RelayPaneError::Kind::http);
    EXPECT_EQ(error.status(), 404);
  }
  RelayPaneSource signedOut(QUrl(m_relay->baseUrl()), [daemonId] { return viewer::ActiveRemoteTarget{daemonId, std::nullopt}; },
                            [] { return std::optional<QString>(); }, &m_network);
  try {
    awaitTask(signedOut.listPanes());
    ADD_FAILURE() << "listed without a token";
  } catch (const RelayPaneError& error) {
    EXPECT_EQ(error.kind(), RelayPaneError::Kind::notAuthenticated);
  }
  writeEnv("", "");
  ASSERT_TRUE(waitForLinkState("unpaired"));
  try {
    awaitTask(relayed.captureContent(pane));
    ADD_FAILURE() << "captured from a daemon that is offline";
  } catch (const RelayPaneError& error) {
    EXPECT_EQ(error.kind(), RelayPaneError::Kind::daemonUnavailable);
    EXPECT_EQ(error.message(), "daemon_offline");
  }
}

TEST_F(RelayRemotePaneTest, TheViewerShowsAndSteersTheOtherMachinesPanes) {
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  // Another machine of the same account: its own daemon, tmux server and home.
  DaemonMachine& studio = startAnotherMachine();
  ASSERT_FALSE(HasFatalFailure());
  const qint64 studioId = linkDaemon(studio, userId);
  ASSERT_GT(studioId, daemonId);
  const std::string remotePane = RelayPaneSource::namespacedPaneId(studioId, studio.m_paneId.toStdString());
  viewer::TerminalViewerModel model(m_client, nullptr);
  model.setRemoteSource(std::make_shared<RelayPaneSource>(source(token, studioId)));
  model.start();
  ASSERT_TRUE(waitUntil([&] { return model.paneList().contains(m_paneId.toStdString()); }, 10000));

  model.setActiveRemoteTarget(viewer::ActiveRemoteTarget{studioId, "studio"});
  ASSERT_TRUE(waitUntil([&] { return model.paneList().contains(remotePane); }, 10000));
  EXPECT_FALSE(model.paneList().contains(m_paneId.toStdString()));
  model.select(remotePane);
  model.sendComposed("echo through''-the-$((6*7))-viewer");
  EXPECT_TRUE(waitUntil([&] { return model.content().differ().text().find("through-the-42-viewer") != std::string::npos; }, 15000))
      << model.content().differ().text() << model.composerError().value_or("");
  EXPECT_TRUE(studio.captureShows(studio.m_paneId, "through-the-42-viewer"));
  EXPECT_EQ(awaitTask(m_client->capture(m_paneId.toStdString())).content.find("through-the-42-viewer"), std::string::npos)
      << "typed into this machine's pane";
  model.sendNavKey("C-c");
  EXPECT_FALSE(model.composerError()) << *model.composerError();

  // A daemon of another account is not reached, whatever its id.
  const auto [bobToken, bobId] = m_http->registerAccount("bob@example.org");
  DaemonMachine& bobsMachine = startAnotherMachine();
  ASSERT_FALSE(HasFatalFailure());
  const qint64 bobsDaemon = linkDaemon(bobsMachine, bobId);
  RelayPaneSource foreign = source(token, bobsDaemon);
  try {
    awaitTask(foreign.sendText(RelayPaneSource::namespacedPaneId(bobsDaemon, bobsMachine.m_paneId.toStdString()), "echo no", std::nullopt));
    ADD_FAILURE() << "typed into another account's machine";
  } catch (const RelayPaneError& error) {
    EXPECT_EQ(error.kind(), RelayPaneError::Kind::http);
    EXPECT_TRUE(error.status() == 403 || error.status() == 404) << error.status();
  }

  // Attachments are copied to the other machine first; the message names them there.
  QTemporaryDir dir;
  const auto writeFile = [&](const QString& name, qsizetype size) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
    return file.fileName();
  };
  std::vector<viewer::ComposerAttachment> attachments{{writeFile("my notes.txt", 1234).toStdString(), 1234},
                                                      {writeFile("shot.png", 77).toStdString(), 77}};
  std::vector<double> progress;
  QObject::connect(&model, &viewer::TerminalViewerModel::uploadProgressChanged, [&] {
    if (model.uploadProgress()) progress.push_back(*model.uploadProgress());
  });
  bool sent = false;
  QObject::connect(&model, &viewer::TerminalViewerModel::attachmentsSent, [&] { sent = true; });
  model.sendWithAttachments("wc -c", attachments);
  const std::string studioFiles = studio.environment().value("VESKET_HOME").toStdString() + "/files/";
  ASSERT_TRUE(waitUntil([&] { return !model.isSending(); }, 15000));
  ASSERT_TRUE(sent) << model.composerError().value_or("");
  EXPECT_TRUE(waitUntil([&] {
    const std::string text = model.content().differ().text();
    return text.find("1234 ") != std::string::npos && text.find(studioFiles) != std::string::npos &&
           text.find("1311 total") != std::string::npos;
  }, 15000)) << model.content().differ().text();
  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_FALSE(model.uploadProgress());

  // Back to this machine: its own panes again, ids as tmux gives them.
  model.setActiveRemoteTarget(std::nullopt);
  EXPECT_TRUE(model.paneList().contains(m_paneId.toStdString()));
  EXPECT_FALSE(model.paneList().contains(remotePane));
  model.stop();
}

TEST_F(RelayRemotePaneTest, TheLiveTerminalEchoesReconnectsAfterARelayRestartAndEndsWithThePane) {
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  const std::string pane = tmux({"new-window", "-d", "-P", "-F", "#{pane_id}", "-t", "main", "/bin/sh"}).toStdString();
  auto listener = std::make_shared<RecordingListener>();
  auto client = mirror(token, pane, daemonId, listener);
  ASSERT_TRUE(waitUntil([&] { return listener->ready == 1; }, 10000)) << m_relay->log().toStdString();
  EXPECT_EQ(client->epoch(), 1);
  client->sendInput("echo first''-$((6*7))\r");
  EXPECT_TRUE(waitUntil([&] { return listener->output.find("first-42") != std::string::npos; }, 10000)) << listener->output;

  const quint16 port = m_relay->port();
  EXPECT_EQ(m_relay->stop(), 0);
  EXPECT_TRUE(waitUntil([&] { return !listener->reconnects.empty(); }, 5000));
  ASSERT_TRUE(m_relay->start(port));
  ASSERT_TRUE(waitForLinkState("connected"));
  ASSERT_TRUE(waitUntil([&] { return listener->ready == 2; }, 20000)) << m_relay->log().toStdString();
  EXPECT_GE(client->epoch(), 2);
  EXPECT_EQ(client->attempt(), 0);
  // The reconnect does not count as a new open.
  EXPECT_NE(client->url().find("open=0"), std::string::npos) << client->url();
  EXPECT_EQ(client->url().find("openId"), std::string::npos) << client->url();
  listener->output.clear();
  client->sendInput("echo second''-$((7*7))\r");
  EXPECT_TRUE(waitUntil([&] { return listener->output.find("second-49") != std::string::npos; }, 10000)) << listener->output;
  EXPECT_EQ(listener->output.find("first-42\r\n$ echo second"), std::string::npos) << "the output arrived twice";
  EXPECT_TRUE(listener->errors.empty());

  tmux({"kill-pane", "-t", QString::fromStdString(pane)});
  EXPECT_TRUE(waitUntil([&] { return listener->exit.has_value(); }, 10000));
  EXPECT_TRUE(client->isServerEnded());
  spinFor(1500);
  EXPECT_EQ(listener->ready, 2) << "reconnected after the pane ended";
}

TEST_F(RelayRemotePaneTest, ARefusedTerminalIsFinal) {
  const auto [token, userId, daemonId] = linkNewAccount("ada@example.org");
  const auto [otherToken, otherId] = m_http->registerAccount("bob@example.org");
  auto signedOut = std::make_shared<RecordingListener>();
  auto client = mirror("not-a-token.x.y", m_paneId.toStdString(), daemonId, signedOut);
  ASSERT_TRUE(waitUntil([&] { return !signedOut->errors.empty(); }, 10000));
  EXPECT_EQ(signedOut->errors.front(), relay::TerminalMirrorRules::kSignInRequired);

  auto foreign = std::make_shared<RecordingListener>();
  auto other = mirror(otherToken, m_paneId.toStdString(), daemonId, foreign);
  ASSERT_TRUE(waitUntil([&] { return !foreign->errors.empty(); }, 10000));
  EXPECT_NE(foreign->errors.front().find("(HTTP 404)"), std::string::npos) << foreign->errors.front();
  spinFor(1500);
  EXPECT_TRUE(signedOut->reconnects.empty());
  EXPECT_TRUE(foreign->reconnects.empty());
  EXPECT_EQ(signedOut->errors.size(), 1u);
}

}  // namespace
}  // namespace vesket::testing
