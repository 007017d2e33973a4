#include "daemon/tmux_engine.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>

#include "daemon/core/claude_transcript.h"
#include "tests/support/private_tmux.h"
#include "tests/support/await_task.h"
#include "tests/support/event_loop.h"

namespace vesket::daemon {
namespace {

using control_plane::PaneEntry;
using testing::awaitTask;
using testing::PrivateTmux;
using testing::waitUntil;

std::unique_ptr<TmuxEngine> makeEngine(const PrivateTmux& server) {
  TmuxEngine::Options options;
  options.server.socketName = server.name();
  options.server.environment = server.environment();
  options.homeDir = server.home();
  options.refreshInterval = std::chrono::milliseconds(300);
  options.reconnectInterval = std::chrono::milliseconds(200);
  return std::make_unique<TmuxEngine>(options);
}

const PaneEntry* findPane(const std::vector<PaneEntry>& panes, const QString& id) {
  const auto it = std::find_if(panes.begin(), panes.end(), [&](const PaneEntry& e) { return e.paneId == id.toStdString(); });
  return it == panes.end() ? nullptr : &*it;
}

// awaitTask for tasks without a value.
QCoro::Task<bool> completed(QCoro::Task<void> task) {
  co_await std::move(task);
  co_return true;
}
void awaitDone(QCoro::Task<void> task, int timeoutMs = 20000) { awaitTask(completed(std::move(task)), timeoutMs); }

bool hasPane(const TmuxEngine& engine, const QString& id) { return findPane(engine.panes(), id) != nullptr; }

TEST(TmuxEngine, ListsPanesAsTmuxHasThem) {
  PrivateTmux server;
  const QString first = server.newSession(QString::fromUtf8("my work \xC3\xBC"));
  const QString second = server.run({"split-window", "-d", "-t", first, "-P", "-F", "#{pane_id}"});
  server.run({"rename-window", "-t", first, "edit;or \"x\""});
  server.run({"select-pane", "-t", second, "-T", "\xE2\x9C\xB3 a title"});
  auto engine = makeEngine(server);
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return engine->panes().size() == 2; }));

  const auto* a = findPane(engine->panes(), first);
  const auto* b = findPane(engine->panes(), second);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->sessionName, "my work \xC3\xBC");
  EXPECT_EQ(a->windowName, "edit;or \"x\"");
  EXPECT_EQ(a->windowId, server.display(first, "#{window_id}").toStdString());
  EXPECT_EQ(a->windowIndex, server.display(first, "#{window_index}").toInt());
  EXPECT_EQ(b->paneIndex, server.display(second, "#{pane_index}").toInt());
  EXPECT_EQ(b->paneTitle, "\xE2\x9C\xB3 a title");
  EXPECT_EQ(a->paneWidth, server.display(first, "#{pane_width}").toInt());
  EXPECT_EQ(a->cmd, server.display(first, "#{pane_current_command}").toStdString());
  EXPECT_EQ(a->agentKind, "shell");
  EXPECT_TRUE(a->load.has_value());
  EXPECT_GT(a->registeredAt, 0);
  // registeredAt stays put across re-reads.
  const double registered = a->registeredAt;
  const auto again = awaitTask(engine->refreshNow());
  EXPECT_EQ(findPane(again, first)->registeredAt, registered);
}

TEST(TmuxEngine, SeesNewWindowAndKilledPane) {
  PrivateTmux server;
  const QString first = server.newSession(QStringLiteral("s"));
  auto engine = makeEngine(server);
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return engine->panes().size() == 1; }));

  // A window in another session (the control client hears little about it) and one in
  // the client's own session both show up.
  server.newSession(QStringLiteral("other"));
  const QString added = server.run({"new-window", "-d", "-t", "s:", "-P", "-F", "#{pane_id}"});
  int changes = 0;
  QObject::connect(engine.get(), &TmuxEngine::panesChanged, [&] { ++changes; });
  ASSERT_TRUE(waitUntil([&] { return hasPane(*engine, added) && engine->panes().size() == 3; }, 3000));

  const QString killed = awaitTask(engine->kill(added));
  EXPECT_EQ(killed, "pane");
  ASSERT_TRUE(waitUntil([&] { return !hasPane(*engine, added); }, 3000));
  EXPECT_FALSE(server.paneIds().contains(added));

  // Killing a whole window takes its split panes along.
  const QString window = server.run({"new-window", "-d", "-t", "s:", "-P", "-F", "#{pane_id}"});
  const QString split = server.run({"split-window", "-d", "-t", window, "-P", "-F", "#{pane_id}"});
  ASSERT_TRUE(waitUntil([&] { return hasPane(*engine, split); }, 3000));
  EXPECT_EQ(awaitTask(engine->kill(split, /*wholeWindow=*/true)), "window");
  ASSERT_TRUE(waitUntil([&] { return !hasPane(*engine, window) && !hasPane(*engine, split); }, 3000));
  EXPECT_TRUE(hasPane(*engine, first));
  EXPECT_GE(changes, 2);
}

TEST(TmuxEngine, TypedTextAppearsInCapture) {
  PrivateTmux server;
  const QString pane = server.newSession(QStringLiteral("s"));
  auto engine = makeEngine(server);
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return engine->isConnected(); }));

  // Characters tmux would otherwise interpret: leading dash, ";", quotes, "$", backslash.
  const std::string text = "~/x -n ';' \"$HOME\" ~ \\ \xC3\xBC #{pane_id}";
  awaitDone(engine->sendKeys(pane, {"C-u"}));
  awaitDone(engine->sendText(pane, "printf '%s\\n' " + std::string("x") + "; echo '" + "-marker; $X \xC3\xBC'"));
  awaitDone(engine->sendKeys(pane, {"Enter"}));
  ASSERT_TRUE(waitUntil([&] {
    const auto content = awaitTask(engine->capture(pane));
    return content.find("\n-marker; $X \xC3\xBC") != std::string::npos;
  }, 5000));
  awaitDone(engine->sendText(pane, text));
  ASSERT_TRUE(waitUntil([&] { return awaitTask(engine->capture(pane)).find(text) != std::string::npos; }, 5000));
}

TEST(TmuxEngine, PastedLinesArriveAsOnePaste) {
  PrivateTmux server;
  const QString pane = server.newSession(QStringLiteral("s"));
  auto engine = makeEngine(server);
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return engine->isConnected(); }));
  // `cat -v` shows what the program receives: a shell line editor would run each line.
  awaitDone(engine->sendText(pane, "stty -icrnl; cat -v\n"));
  ASSERT_TRUE(server.waitForCommand(pane, "cat"));
  awaitDone(engine->pasteText(pane, "first line\nsecond; \"line\""));
  ASSERT_TRUE(waitUntil([&] {
    return awaitTask(engine->capture(pane)).find("first line^Msecond; \"line\"") != std::string::npos;
  }, 5000));
  // The buffer does not linger.
  EXPECT_EQ(server.run({"list-buffers", "-F", "#{buffer_name}"}), "");
  server.run({"send-keys", "-t", pane, "C-c"});
}

TEST(TmuxEngine, AgentFactsFromProcessTreeAndTranscript) {
  PrivateTmux server;
  const QString pane = server.newSession(QStringLiteral("s"));
  // An "agent": a program called claude (a copy of sleep) started from the shell in a
  // project directory whose transcript Claude Code would keep under ~/.claude/projects.
  const QString project = server.home() + "/src/web.app";
  const QString bin = server.home() + "/bin";
  QDir().mkpath(project);
  QDir().mkpath(bin);
  ASSERT_TRUE(QFile::copy("/bin/sleep", bin + "/claude"));
  const QString transcriptDir = server.home() + "/.claude/projects/" +
                                QString::fromStdString(ClaudeTranscript::projectDirName(project.toStdString()));
  QDir().mkpath(transcriptDir);
  QFile transcript(transcriptDir + "/0b7d.jsonl");
  ASSERT_TRUE(transcript.open(QIODevice::WriteOnly));
  transcript.write(R"({"type":"user","message":{"role":"user","content":"Make the login form accessible"}})" "\n"
                   R"({"type":"assistant","message":{"model":"claude-opus-4-5-20251101","usage":{"input_tokens":50000}}})" "\n"
                   R"({"type":"progress","data":{}})" "\n"
                   R"({"type":"assistant","message":{"model":"claude-opus-4-5-2025)");  // being written
  transcript.close();

  auto engine = makeEngine(server);
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return hasPane(*engine, pane); }));
  EXPECT_EQ(findPane(engine->panes(), pane)->agentKind, "shell");
  awaitDone(engine->sendText(pane, ("cd '" + project + "' && '" + bin + "/claude' 600\n").toStdString()));
  ASSERT_TRUE(waitUntil([&] {
    const auto* p = findPane(engine->panes(), pane);
    return p && p->agentKind == "claude" && p->model.has_value();
  }, 5000));
  const auto* p = findPane(engine->panes(), pane);
  EXPECT_EQ(p->cwdBasename, "web.app");
  EXPECT_EQ(p->model, "claude-opus-4-5-20251101");
  EXPECT_EQ(p->modelLabel, "Opus 4.5");
  EXPECT_EQ(p->contextPct, 25.0);
  EXPECT_EQ(p->topicPreview, "Make the login form accessible");
  server.run({"send-keys", "-t", pane, "C-c"});
  ASSERT_TRUE(waitUntil([&] { return findPane(engine->panes(), pane)->agentKind == "shell"; }, 5000));
}

TEST(TmuxEngine, ControlClientNeverResizesTheUsersWindow) {
  PrivateTmux server;
  const QString pane = server.newSession(QStringLiteral("s"), 133, 41);
  const QString before = server.display(pane, "#{window_width}x#{window_height}");
  auto engine = makeEngine(server);
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return engine->isConnected() && !engine->panes().empty(); }));
  awaitTask(engine->refreshNow());
  EXPECT_EQ(server.display(pane, "#{window_width}x#{window_height}"), before);
  EXPECT_EQ(before, "133x41");
  EXPECT_EQ(engine->panes().front().paneWidth, 133);
}

TEST(TmuxEngine, ResizeManualThenAuto) {
  PrivateTmux server;
  const QString pane = server.newSession(QStringLiteral("s"), 120, 30);
  auto engine = makeEngine(server);
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return engine->isConnected(); }));
  const auto manual = awaitTask(engine->resizeWindow(pane, 90));
  EXPECT_EQ(manual.mode, "manual");
  EXPECT_EQ(manual.cols, 90);
  EXPECT_EQ(server.display(pane, "#{window_width}"), "90");
  const auto automatic = awaitTask(engine->resizeWindow(pane, std::nullopt));
  EXPECT_EQ(automatic.mode, "auto");
  EXPECT_THROW(awaitTask(engine->resizeWindow(pane, 0)), TmuxError);
}

TEST(TmuxEngine, FloodDoesNotStallCommands) {
  PrivateTmux server;
  const QString pane = server.newSession(QStringLiteral("s"));
  auto engine = makeEngine(server);
  qint64 received = 0;
  QObject::connect(engine.get(), &TmuxEngine::paneOutput, [&](const QString&, const QByteArray& bytes) { received += bytes.size(); });
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return engine->isConnected(); }));
  // About 40 MB of output in the client's own session.
  awaitDone(engine->sendText(pane, "yes 0123456789012345678901234567890123456789 | head -c 40000000\n"));
  ASSERT_TRUE(waitUntil([&] { return received > 1'000'000; }, 10000));
  // Commands keep being answered while the flood runs.
  for (int i = 0; i < 5; ++i) {
    const auto panes = awaitTask(engine->refreshNow(), 5000);
    EXPECT_EQ(panes.size(), 1u);
  }
  EXPECT_TRUE(waitUntil([&] {
    const auto p = findPane(engine->panes(), pane);
    return p && (p->load == "heavy" || p->load == "light");
  }, 3000));
}

// A pane whose output the daemon receives another way: the engine's client hears none of
// it until released, and the load comes from what is reported instead.
TEST(TmuxEngine, HeldPaneOutputStaysAwayUntilReleasedAndReportedOutputCounts) {
  PrivateTmux server;
  const QString pane = server.newSession(QStringLiteral("s"));
  auto engine = makeEngine(server);
  qint64 received = 0;
  QObject::connect(engine.get(), &TmuxEngine::paneOutput, [&](const QString& id, const QByteArray& bytes) {
    if (id == pane) received += bytes.size();
  });
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return engine->isConnected() && hasPane(*engine, pane); }));
  auto loadOf = [&] {
    const auto* p = findPane(engine->panes(), pane);
    return p && p->load ? *p->load : std::string();
  };

  engine->holdPaneOutput(pane.toStdString());
  awaitTask(engine->refreshNow(), 5000);  // answered after the hold
  received = 0;
  awaitDone(engine->sendText(pane, "echo held-$((6*7))\n"));
  ASSERT_TRUE(waitUntil([&] { return server.capturePane(pane).contains(QStringLiteral("held-42")); }));
  awaitTask(engine->refreshNow(), 5000);
  EXPECT_EQ(received, 0) << "output of a held pane reached the engine's client";

  engine->recordPaneOutput(pane.toStdString(), 1'000'000);
  EXPECT_TRUE(waitUntil([&] { return loadOf() == "heavy"; }, 3000)) << loadOf();

  engine->releasePaneOutput(pane.toStdString());
  awaitTask(engine->refreshNow(), 5000);
  awaitDone(engine->sendText(pane, "echo released\n"));
  EXPECT_TRUE(waitUntil([&] { return received > 0; }, 5000)) << "the pane stayed held after its release";
}

TEST(TmuxEngine, LoadFollowsOutputInEverySession) {
  PrivateTmux server;
  const QString own = server.newSession(QStringLiteral("a"));
  TmuxEngine::Options options;
  options.server.socketName = server.name();
  options.server.environment = server.environment();
  options.homeDir = server.home();
  options.refreshInterval = std::chrono::milliseconds(200);
  options.load.windowMs = 2000;  // tmux's window activity has whole seconds
  auto engine = std::make_unique<TmuxEngine>(options);
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return hasPane(*engine, own); }));
  // A pane of another session: its output does not reach this control client, tmux's
  // window activity stands in for it.
  const QString other = server.newSession(QStringLiteral("b"));
  ASSERT_TRUE(waitUntil([&] { return hasPane(*engine, other); }, 3000));
  auto loadOf = [&](const QString& id) {
    const auto* p = findPane(engine->panes(), id);
    return p && p->load ? *p->load : std::string();
  };
  ASSERT_TRUE(waitUntil([&] { return loadOf(own) == "idle" && loadOf(other) == "idle"; }, 8000));
  const std::string ticker = "while :; do echo tick; sleep 0.2; done\n";
  awaitDone(engine->sendText(own, ticker));
  awaitDone(engine->sendText(other, ticker));
  EXPECT_TRUE(waitUntil([&] { return loadOf(own) == "light" && loadOf(other) == "light"; }, 5000))
      << loadOf(own) << " / " << loadOf(other);
  awaitDone(engine->sendKeys(own, {"C-c"}));
  awaitDone(engine->sendKeys(other, {"C-c"}));
  EXPECT_TRUE(waitUntil([&] { return loadOf(own) == "idle" && loadOf(other) == "idle"; }, 10000))
      << loadOf(own) << " / " << loadOf(other);
}

TEST(TmuxEngine, NoServerMeansNoPanesAndNoServerStarted) {
  PrivateTmux server;  // never started
  auto engine = makeEngine(server);
  engine->start();
  testing::spinFor(700);  // several reconnect attempts
  EXPECT_TRUE(engine->panes().empty());
  EXPECT_FALSE(engine->isConnected());
  EXPECT_FALSE(QFileInfo::exists(server.socketPath()));
  // Once a server with a session appears, the engine finds it.
  const QString pane = server.newSession(QStringLiteral("late"));
  ASSERT_TRUE(waitUntil([&] { return hasPane(*engine, pane); }, 5000));
  // Its last session ending leaves zero panes, then the engine keeps trying.
  server.run({"kill-session", "-t", "late"});
  ASSERT_TRUE(waitUntil([&] { return engine->panes().empty(); }, 5000));
}

TEST(TmuxEngine, LosingItsSessionMovesToAnother) {
  PrivateTmux server;
  const QString a = server.newSession(QStringLiteral("a"));
  auto engine = makeEngine(server);
  int disconnects = 0;
  QObject::connect(engine.get(), &TmuxEngine::connectionChanged, [&](bool up) { disconnects += up ? 0 : 1; });
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return hasPane(*engine, a); }));
  // The control client is attached to "a", the only session; "b" comes later.
  const QString b = server.newSession(QStringLiteral("b"));
  ASSERT_TRUE(waitUntil([&] { return hasPane(*engine, b); }, 3000));
  server.run({"kill-session", "-t", "a"});
  ASSERT_TRUE(waitUntil([&] { return !hasPane(*engine, a) && hasPane(*engine, b) && engine->isConnected(); }, 5000));
  EXPECT_EQ(disconnects, 1);
  // Commands work through the new client.
  EXPECT_FALSE(awaitTask(engine->capture(b)).empty());
}

TEST(TmuxEngine, SpawnShellAndAttachInfo) {
  PrivateTmux server;
  server.newSession(QStringLiteral("s"));
  auto engine = makeEngine(server);
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return engine->isConnected(); }));
  const QString pane = awaitTask(engine->spawnShell(QStringLiteral("fresh shell")));
  EXPECT_TRUE(server.paneIds().contains(pane));
  EXPECT_EQ(server.display(pane, "#{window_name}"), "fresh shell");
  ASSERT_TRUE(waitUntil([&] { return hasPane(*engine, pane); }, 3000));

  const auto info = awaitTask(engine->attachInfo(pane));
  EXPECT_EQ(info.session, "s");
  EXPECT_EQ(info.windowId, server.display(pane, "#{window_id}"));
  EXPECT_EQ(info.socketArgs, (QStringList{"-S", server.socketPath()}));
  EXPECT_TRUE(QFileInfo(info.tmuxBin).isAbsolute());
  EXPECT_THROW(awaitTask(engine->attachInfo(QStringLiteral("%999"))), TmuxError);
  EXPECT_THROW(awaitTask(engine->capture(QStringLiteral("not-a-pane"))), TmuxError);
  EXPECT_THROW(awaitDone(engine->sendText(QStringLiteral("%1; kill-server"), "x")), TmuxError);
  // Unknown panes fail with tmux's own words and change nothing.
  for (auto* op : {+[](TmuxEngine& e) { awaitTask(e.capture(QStringLiteral("%999"))); },
                   +[](TmuxEngine& e) { awaitDone(e.sendText(QStringLiteral("%999"), "x")); },
                   +[](TmuxEngine& e) { awaitDone(e.sendKeys(QStringLiteral("%999"), {"Enter"})); },
                   +[](TmuxEngine& e) { awaitDone(e.pasteText(QStringLiteral("%999"), "x")); },
                   +[](TmuxEngine& e) { awaitTask(e.kill(QStringLiteral("%999"))); },
                   +[](TmuxEngine& e) { awaitTask(e.resizeWindow(QStringLiteral("%999"), 80)); }}) {
    try {
      op(*engine);
      ADD_FAILURE() << "no error for an unknown pane";
    } catch (const TmuxError& error) {
      EXPECT_NE(std::string(error.what()).find("%999"), std::string::npos) << error.what();
    }
  }
  EXPECT_TRUE(server.paneIds().contains(pane));
  EXPECT_EQ(server.run({"list-buffers", "-F", "#{buffer_name}"}), "");
}

TEST(TmuxEngine, SpawnShellStartsAServerWhenNoneRuns) {
  PrivateTmux server;
  auto engine = makeEngine(server);
  engine->start();
  const QString pane = awaitTask(engine->spawnShell());
  EXPECT_TRUE(server.paneIds().contains(pane));
  EXPECT_EQ(server.display(pane, "#{session_name}"), "vesket");
  ASSERT_TRUE(waitUntil([&] { return hasPane(*engine, pane); }, 5000));
}

TEST(TmuxEngine, ListsAndSwitchesSources) {
  PrivateTmux server;
  server.newSession(QStringLiteral("a"));
  server.newSession(QStringLiteral("b"));
  // A second server in the same socket directory, killed however the test ends.
  const QString second = server.name() + "-second";
  const QString secondPath = QFileInfo(server.socketPath()).absolutePath() + "/" + second;
  QProcess starting;
  starting.setProcessEnvironment(server.environment());
  starting.start("tmux", {"-S", secondPath, "-f", "/dev/null", "new-session", "-d", "-s", "z"});
  ASSERT_TRUE(starting.waitForFinished(10000) && starting.exitCode() == 0);
  const std::shared_ptr<void> killSecond(nullptr, [&](void*) { testing::killTmuxServer({"-S", secondPath}, server.environment()); });
  auto engine = makeEngine(server);
  engine->start();
  ASSERT_TRUE(waitUntil([&] { return engine->panes().size() == 2; }));
  const auto sources = awaitTask(engine->listSources());
  const auto find = [&](const QString& path) {
    return std::find_if(sources.begin(), sources.end(), [&](const auto& c) { return c.value == path; });
  };
  ASSERT_NE(find(server.socketPath()), sources.end());
  EXPECT_EQ(find(server.socketPath())->sessionCount, 2);
  ASSERT_NE(find(secondPath), sources.end());
  EXPECT_EQ(find(secondPath)->label, second);
  EXPECT_EQ(find(secondPath)->sessionCount, 1);

  awaitDone(engine->switchSource(secondPath));
  ASSERT_TRUE(waitUntil([&] { return engine->panes().size() == 1 && engine->panes().front().sessionName == "z"; }, 5000));
  EXPECT_THROW(awaitDone(engine->switchSource(secondPath + "-missing")), TmuxError);
  EXPECT_EQ(engine->socketPath(), secondPath);
}

}  // namespace
}  // namespace vesket::daemon
