#include "daemon/tmux_control_client.h"

#include <gtest/gtest.h>

#include <QThread>
#include <string>
#include <vector>

#include "daemon/core/tmux_command.h"
#include "tests/support/private_tmux.h"
#include "tests/support/await_task.h"
#include "tests/support/event_loop.h"

namespace vesket::daemon {
namespace {

using testing::awaitTask;
using testing::PrivateTmux;
using testing::waitUntil;

TmuxControlClient::Options optionsFor(const PrivateTmux& server) {
  TmuxControlClient::Options options;
  options.serverArgs = {QStringLiteral("-S"), server.socketPath()};
  return options;
}

QCoro::Task<std::vector<std::string>> display(TmuxControlClient& client, int n) {
  co_return co_await client.command("display-message -p " + TmuxCommand::quote("answer " + std::to_string(n)));
}

TEST(TmuxControlClient, AnswersMatchCommandsInOrder) {
  PrivateTmux server;
  server.newSession(QStringLiteral("s"));
  TmuxControlClient client(optionsFor(server));
  ASSERT_TRUE(awaitTask(client.start()));
  EXPECT_EQ(client.sessionName(), "s");
  // Attached so that it never sizes windows and tmux pauses rather than buffers for it.
  const QString flags = server.run({"list-clients", "-F", "#{client_flags}"});
  EXPECT_TRUE(flags.contains("ignore-size")) << flags.toStdString();
  EXPECT_TRUE(flags.contains("pause-after=2")) << flags.toStdString();
  EXPECT_TRUE(flags.contains("control-mode")) << flags.toStdString();

  // Many commands in flight at once, each awaited separately.
  std::vector<QCoro::Task<std::vector<std::string>>> tasks;
  for (int i = 0; i < 200; ++i) tasks.push_back(display(client, i));
  EXPECT_EQ(client.pendingCommands(), 200u);
  for (int i = 0; i < 200; ++i) {
    const auto lines = awaitTask(std::move(tasks[static_cast<std::size_t>(i)]));
    ASSERT_EQ(lines, std::vector<std::string>{"answer " + std::to_string(i)});
  }
  EXPECT_EQ(client.pendingCommands(), 0u);
}

TEST(TmuxControlClient, ErrorsCarryTmuxsMessageAndLaterCommandsStillWork) {
  PrivateTmux server;
  server.newSession(QStringLiteral("s"));
  TmuxControlClient client(optionsFor(server));
  ASSERT_TRUE(awaitTask(client.start()));
  try {
    awaitTask(client.command("no-such-command"));
    ADD_FAILURE() << "no error";
  } catch (const TmuxError& error) {
    EXPECT_NE(std::string(error.what()).find("unknown command"), std::string::npos) << error.what();
  }
  // One command per line: a line feed would smuggle in a second command.
  EXPECT_THROW(awaitTask(client.command("display-message -p a\nkill-server")), TmuxError);
  // A quoted ";" stays an argument instead of separating two commands.
  EXPECT_EQ(awaitTask(client.command("display-message -p " + TmuxCommand::quote("a ; kill-server"))),
            std::vector<std::string>{"a ; kill-server"});
  EXPECT_EQ(server.paneIds().size(), 1);
}

TEST(TmuxControlClient, AttachFailuresAreReported) {
  PrivateTmux server;
  server.newSession(QStringLiteral("s"));
  auto options = optionsFor(server);
  options.session = QStringLiteral("=missing");
  TmuxControlClient client(options);
  EXPECT_FALSE(awaitTask(client.start()));
  EXPECT_FALSE(client.isAttached());
  EXPECT_NE(client.lastError().indexOf(QStringLiteral("missing")), -1) << client.lastError().toStdString();
  EXPECT_THROW(awaitTask(client.command("display-message -p x")), TmuxError);
}

TEST(TmuxControlClient, ExitFailsPendingCommands) {
  PrivateTmux server;
  server.newSession(QStringLiteral("s"));
  TmuxControlClient client(optionsFor(server));
  ASSERT_TRUE(awaitTask(client.start()));
  bool exited = false;
  QObject::connect(&client, &TmuxControlClient::exited, [&] { exited = true; });
  // The server goes away with a command in flight.
  auto pending = client.command("run-shell " + TmuxCommand::quote("sleep 5"));
  server.run({"kill-server"});
  EXPECT_THROW(awaitTask(std::move(pending)), TmuxError);
  EXPECT_TRUE(waitUntil([&] { return exited; }));
  EXPECT_FALSE(client.isAttached());
}

TEST(TmuxControlClient, StalledReaderRecovers) {
  // tmux 3.3a holds a flooding pane back while a control client lags (it stops reading
  // the pane) and checks pause-after only as new output arrives, so a stall may or may not
  // end in %pause. Either way the client must come back: output flows again, a paused pane
  // is resumed, commands are answered.
  PrivateTmux server;
  const QString pane = server.newSession(QStringLiteral("s"));
  auto options = optionsFor(server);
  options.pauseAfterSeconds = 1;
  TmuxControlClient client(options);
  ASSERT_TRUE(awaitTask(client.start()));
  QStringList paused;
  qint64 bytes = 0;
  QObject::connect(&client, &TmuxControlClient::paused, [&](const QString& id) { paused << id; });
  QObject::connect(&client, &TmuxControlClient::output, [&](const QString&, const QByteArray& b) { bytes += b.size(); });
  awaitTask(client.command("send-keys -t " + TmuxCommand::quote(pane.toStdString()) + " -l -- " +
                           TmuxCommand::quote("yes flood | head -c 200000000\n")));
  ASSERT_TRUE(waitUntil([&] { return bytes > 100000; }, 10000));
  QThread::msleep(2500);  // stop reading for longer than pause-after
  const qint64 before = bytes;
  EXPECT_TRUE(waitUntil([&] { return bytes > before + 1000000; }, 10000));
  for (const auto& id : paused) EXPECT_EQ(id, pane);
  EXPECT_EQ(awaitTask(client.command("display-message -p ok")), std::vector<std::string>{"ok"});
  server.run({"send-keys", "-t", pane, "C-c"});
}

}  // namespace
}  // namespace vesket::daemon
