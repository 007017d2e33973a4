// The real daemon under hostile clients and hostile panes. Each case is an attack that once
// killed it, hid it, made it run or forge something, or leaked a secret; each must end with
// the daemon serving, nothing run, nothing forged and nothing leaked.
#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include "tests/support/private_daemon.h"
#include "tests/support/event_loop.h"

namespace vesket::daemon::testing {
namespace {

using namespace vesket::testing;

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

unsigned modeOf(const QString& path) {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & 0777) : 0;
}

// A process's value from /proc/<pid>/status or /proc/<pid>/limits, e.g. "VmHWM".
QString procField(qint64 pid, const char* file, const QString& key) {
  for (const QString& line : QString::fromUtf8(readFile(QStringLiteral("/proc/%1/%2").arg(pid).arg(file))).split('\n')) {
    if (line.startsWith(key)) return line.mid(key.size()).simplified();
  }
  return {};
}

class HostileInputTest : public ::testing::Test {
 protected:
  qint64 pid() { return m_daemon.process().processId(); }
  bool serving() {
    return m_daemon.process().state() == QProcess::Running && m_daemon.ping()["data"]["alive"] == true;
  }

  PrivateTmux m_tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon m_daemon{m_tmux};
};

TEST_F(HostileInputTest, ParserBombsAndBadBytesGetErrorLines) {
  m_daemon.start();
  LineClient client(m_daemon.socketPath());
  // Nested 150,000 deep: copying or writing it out once took the daemon's stack.
  const QByteArray bomb = "{\"id\":\"d\",\"cmd\":\"ping\",\"args\":{\"a\":" + QByteArray(150000, '[') +
                          QByteArray(150000, ']') + "}}\n";
  client.writeRaw(bomb);
  EXPECT_EQ(client.nextLine(15000),
            (nlohmann::json{{"id", "d"}, {"ok", false}, {"error", "malformed request: nested deeper than 32 levels"}}));
  // Lines of 8 MiB of "[", back to back: each once cost 650 MB and a second of work.
  for (int i = 0; i < 3; ++i) {
    client.writeRaw(QByteArray(8 * 1024 * 1024 - 1, '[') + "\n");
    const auto reply = client.nextLine(15000);
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)["error"], "malformed request: expected a JSON object");
  }
  client.writeRaw("{\"id\":\"\xff\"}\n");
  EXPECT_EQ(client.nextLine(), (nlohmann::json{{"id", nullptr}, {"ok", false}, {"error", "malformed request: not valid UTF-8"}}));
  EXPECT_EQ(client.request("ping")["ok"], true);
  EXPECT_TRUE(serving());
  // Far below the gigabytes the bombs once cost.
  const qint64 peakKb = procField(pid(), "status", "VmHWM:").section(' ', 0, 0).toLongLong();
  EXPECT_GT(peakKb, 0);
  EXPECT_LT(peakKb, 256 * 1024) << "peak resident memory, kB";
}

TEST_F(HostileInputTest, RunningOutOfDescriptorsKeepsTheDaemonListeningAndFindable) {
  // The usual soft limit is raised to the hard one; clients beyond what that allows are
  // refused in one line instead of the listener being lost.
  m_daemon.setLauncher({"prlimit", "--nofile=100:160", "--"});
  m_daemon.start();
  EXPECT_TRUE(procField(pid(), "limits", "Max open files").startsWith("160 160")) << "soft limit raised";
  const std::string refusal = "too many connections: the daemon serves at most 96 clients at once; try again later";
  std::vector<std::unique_ptr<LineClient>> clients;
  int served = 0, refused = 0;
  for (int i = 0; i < 130; ++i) {
    clients.push_back(std::make_unique<LineClient>(m_daemon.socketPath()));
    clients.back()->sendRequest("P", "ping");
    // The first refused clients read why; in a longer burst the newest are just closed.
    const auto line = clients.back()->nextLine();
    if (line && (*line)["ok"] == true) ++served;
    else if (line && (*line)["error"] == refusal) ++refused;
    else if (line) ADD_FAILURE() << line->dump();
  }
  EXPECT_GE(served, 90);
  EXPECT_GE(refused, 30);
  EXPECT_TRUE(QFileInfo::exists(m_daemon.socketPath()));
  clients.clear();
  EXPECT_TRUE(waitUntil([&] { return m_daemon.ping()["ok"] == true; }));
  const QString log = QString::fromUtf8(readFile(m_daemon.environment().value("XDG_STATE_HOME") + "/vesket/logs/daemon-stdout.log"));
  EXPECT_TRUE(log.contains("refused a connection")) << log.toStdString();

  // A daemon whose socket file is gone is still found through its identity record.
  QFile::remove(m_daemon.socketPath());
  const auto status = m_daemon.runCli({"daemon", "status"});
  EXPECT_TRUE(status.out.contains("pid : " + QString::number(pid()))) << status.out.toStdString();
  EXPECT_TRUE(status.out.contains("state : running, but not answering")) << status.out.toStdString();
  EXPECT_EQ(m_daemon.runCli({"daemon", "start", "-L", m_tmux.name()}).exitCode, 3);
  const auto stop = m_daemon.runCli({"daemon", "stop"});
  EXPECT_EQ(stop.exitCode, 0) << stop.out.toStdString() << stop.err.toStdString();
  EXPECT_TRUE(m_daemon.process().waitForFinished(5000)) << "stop ends the process, not only the socket";
}

TEST_F(HostileInputTest, WindowNamesAreNeverExpandedOrRun) {
  m_daemon.start();
  const QString marker = QDir(m_daemon.home()).filePath("ran");
  LineClient client(m_daemon.socketPath());
  for (const QString& name : {"#(touch " + marker + ")", QStringLiteral("#{pane_id} ## #")}) {
    const auto reply = client.request("spawn-plain-terminal", {{"windowName", name.toStdString()}});
    ASSERT_EQ(reply["data"]["ok"], true) << reply.dump();
    const QString paneId = QString::fromStdString(reply["data"]["paneId"].get<std::string>());
    EXPECT_EQ(m_tmux.run({"display-message", "-p", "-t", paneId, "#{window_name}"}), name);
  }
  EXPECT_FALSE(QFileInfo::exists(marker)) << "a window name ran a command";
}

TEST_F(HostileInputTest, PaneRecordsCannotBeForgedOrHidden) {
  m_daemon.start();
  // A working directory that carries the list's separators and a whole fake record.
  const QString forged = "x\x1e\n%77\x1f$0\x1f" "forged\x1f@0\x1f" "0\x1fw\x1f" "1\x1f" "0\x1f" "1\x1ft\x1fsh\x1f"
                         "1\x1f" "80\x1f" "24\x1f" "80\x1f" "24\x1f" "0\x1f" "0\x1fpts\x1fp";
  const QString dir = QDir(m_daemon.home()).filePath(forged);
  ASSERT_TRUE(QDir().mkpath(dir));
  const QString paneId = m_tmux.run({"new-window", "-d", "-P", "-F", "#{pane_id}", "-c", dir});
  std::vector<std::string> expected;
  for (const QString& id : m_tmux.paneIds()) expected.push_back(id.toStdString());

  LineClient watcher(m_daemon.socketPath());
  watcher.sendRequest("W", "watch");
  nlohmann::json panes;
  ASSERT_TRUE(waitUntil([&] {
    while (auto line = watcher.lineFor("W", 100)) panes = (*line)["event"]["panes"];
    return panes.size() >= expected.size();
  }));
  LineClient client(m_daemon.socketPath());
  for (const nlohmann::json& list : {panes, client.request("list-panes")["data"]["panes"]}) {
    std::vector<std::string> ids;
    std::string path;
    for (const auto& pane : list) {
      ids.push_back(pane["paneId"]);
      if (pane["paneId"] == paneId.toStdString()) path = pane.value("cwdBasename", "");
    }
    EXPECT_EQ(ids, expected) << list.dump();
    EXPECT_NE(path.find("x\xEF\xBF\xBD\xEF\xBF\xBD%77\xEF\xBF\xBD$0"), std::string::npos) << path;
  }
}

TEST_F(HostileInputTest, BadArgumentsAreRefusedAndChangeNothing) {
  m_daemon.start();
  const std::string pane = m_tmux.paneIds().front().toStdString();
  struct Case {
    const char* cmd;
    nlohmann::json args;
    std::string error;
  };
  const Case cases[] = {
      {"send-image", {{"paneId", pane}, {"images", {{{"base64", "iVBORw0KGgo="}, {"ext", "png\n"}}}}},
       "send-image: image extension 'png\n' must be 1 to 8 letters or digits"},
      {"send", {{"paneId", pane}, {"text", std::string("echo a\0b", 8)}},
       "send: argument 'text' must not contain NUL characters"},
      {"spawn-plain-terminal", {{"windowName", std::string("x\0y", 3)}},
       "spawn-plain-terminal: argument 'windowName' must not contain NUL characters"},
      {"tmux-source-set", {{"value", m_daemon.socketPath().toStdString()}},
       "tmux-source-set: argument 'value' is the daemon's own control socket, not a tmux server"},
  };
  LineClient client(m_daemon.socketPath());
  for (const auto& c : cases) {
    const auto reply = client.request(c.cmd, c.args);
    EXPECT_EQ(reply["error"], c.error) << reply.dump();
  }
  EXPECT_EQ(m_tmux.run({"list-windows", "-a"}).count('\n'), 0) << "no window was made";
  EXPECT_FALSE(QFileInfo::exists(m_daemon.home() + "/images") && !QDir(m_daemon.home() + "/images").isEmpty());

  // A choice of tmux server that cannot be remembered is not made.
  ASSERT_TRUE(QDir().mkpath(m_daemon.home() + "/daemon/tmux-source"));
  const auto tmuxSocket = client.request("tmux-source-list")["data"]["current"];
  const auto set = client.request("tmux-source-set", {{"value", tmuxSocket}})["data"];
  EXPECT_EQ(set["ok"], false) << set.dump();
  EXPECT_TRUE(set["error"].get<std::string>().starts_with("cannot remember the tmux server for the next start: "));
  EXPECT_EQ(client.request("list-panes")["data"]["panes"].size(), 1u);
}

TEST_F(HostileInputTest, FilesArePrivateAndAReadableTokenIsRefused) {
  QDir().mkpath(m_daemon.home() + "/daemon");
  const QString tokenFile = m_daemon.home() + "/daemon/control-token";
  {
    QFile token(tokenFile);
    ASSERT_TRUE(token.open(QIODevice::WriteOnly));
    token.write("secret\n");
  }
  ::chmod(QFile::encodeName(tokenFile).constData(), 0644);
  const auto refused = m_daemon.runCli({"daemon", "start", "-L", m_tmux.name()});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(refused.err.contains("can be read or written by other accounts (mode 0644)")) << refused.err.toStdString();
  QFile::remove(tokenFile);

  m_daemon.start();
  LineClient client(m_daemon.socketPath());
  const auto tmuxSocket = client.request("tmux-source-list")["data"]["current"];
  ASSERT_EQ(client.request("tmux-source-set", {{"value", tmuxSocket}})["data"]["ok"], true);
  const auto sent = client.request("send-image", {{"paneId", m_tmux.paneIds().front().toStdString()},
                                                  {"images", {{{"base64", "iVBORw0KGgo="}, {"ext", "png"}}}}});
  ASSERT_EQ(sent["data"]["ok"], true) << sent.dump();
  const QString state = m_daemon.environment().value("XDG_STATE_HOME");
  const std::pair<QString, unsigned> expected[] = {
      {state + "/vesket", 0700},
      {state + "/vesket/logs", 0700},
      {state + "/vesket/logs/daemon-stdout.log", 0600},
      {m_daemon.home() + "/daemon", 0700},
      {m_daemon.home() + "/daemon/install-id", 0600},
      {m_daemon.home() + "/daemon/tmux-source", 0600},
      {m_daemon.home() + "/daemon/.env", 0600},
      {m_daemon.userHome() + "/.vesket-daemon-identity.json", 0600},
      {m_daemon.home() + "/images", 0700},
      {QString::fromStdString(sent["data"]["paths"][0].get<std::string>()), 0600},
  };
  for (const auto& [path, mode] : expected) EXPECT_EQ(modeOf(path), mode) << path.toStdString();
}

TEST(HostileInputDaemonTest, TheControlTokenNeverReachesPanes) {
  PrivateTmux tmux{PrivateTmux::Start::shellSession};
  tmux.run({"kill-server"});
  QProcessEnvironment extra;
  extra.insert("CONTROL_TOKEN", "do-not-leak");
  extra.insert("RELAY_URL", "https://relay.invalid");
  PrivateDaemon daemon(tmux, extra);
  daemon.start(/*waitForPanes=*/false);
  LineClient client(daemon.socketPath());
  const auto reply = client.request("spawn-shell", nlohmann::json::object(), "do-not-leak");
  ASSERT_EQ(reply["data"]["ok"], true) << reply.dump();
  const QString panePid = tmux.run({"display-message", "-p", "-t", QString::fromStdString(reply["data"]["paneId"]), "#{pane_pid}"});
  const QByteArray environment = readFile("/proc/" + panePid + "/environ");
  ASSERT_FALSE(environment.isEmpty());
  EXPECT_FALSE(environment.contains("do-not-leak"));
  EXPECT_FALSE(environment.contains("relay.invalid"));
  EXPECT_FALSE(tmux.run({"show-environment", "-g"}).contains("do-not-leak"));
}

TEST(HostileInputDaemonTest, AFailedImageWriteLeavesNoFileAndTheDaemonServing) {
  PrivateTmux tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon daemon(tmux);
  // Files may not grow past 64 KiB: the write fails as on a full disk.
  daemon.setLauncher({"prlimit", "--fsize=65536", "--"});
  daemon.start();
  const std::string image = QByteArray(200 * 1024, 'x').toBase64().toStdString();
  LineClient client(daemon.socketPath());
  const auto reply = client.request("send-image", {{"paneId", tmux.paneIds().front().toStdString()},
                                                   {"images", {{{"base64", image}, {"ext", "png"}}}}});
  EXPECT_EQ(reply["data"]["ok"], false) << reply.dump();
  EXPECT_TRUE(reply["data"]["error"].get<std::string>().starts_with("cannot write ")) << reply.dump();
  EXPECT_TRUE(QDir(daemon.home() + "/images").isEmpty()) << "nothing half-written is left";
  EXPECT_EQ(daemon.ping()["data"]["alive"], true);
}

// A relay that stops reading its link (stalled, or hostile) while asking for more: the
// daemon must not hold its answers without bound. Past its limit it drops the link, keeps
// serving, and links again.
TEST(HostileInputDaemonTest, ARelayThatStopsReadingLosesTheLinkNotTheDaemonsMemory) {
  PrivateTmux tmux{PrivateTmux::Start::shellSession};
  const QString pane = tmux.paneIds().front();
  // 600 lines of 1000 digits: every capture answer (500 rows of history) is about 77 kB.
  tmux.run({"send-keys", "-t", pane, "i=0; while [ $i -lt 600 ]; do printf '%01000d\\n' $i; i=$((i+1)); done; echo fil''led", "Enter"});
  ASSERT_TRUE(waitUntil([&] { return tmux.run({"capture-pane", "-p", "-t", pane}).contains("filled"); }, 20000));

  QTcpServer relay;
  ASSERT_TRUE(relay.listen(QHostAddress::LocalHost));
  std::vector<QTcpSocket*> links;
  QObject::connect(&relay, &QTcpServer::newConnection, [&] {
    while (QTcpSocket* link = relay.nextPendingConnection()) links.push_back(link);
  });
  PrivateDaemon daemon(tmux);
  QDir().mkpath(daemon.home() + "/daemon");
  QFile env(daemon.home() + "/daemon/.env");
  ASSERT_TRUE(env.open(QIODevice::WriteOnly));
  env.write(QStringLiteral("RELAY_URL=ws://127.0.0.1:%1\nDAEMON_TOKEN=stalled-relay\n").arg(relay.serverPort()).toUtf8());
  env.close();
  daemon.start();

  // The WebSocket handshake, answered by hand; then the relay never reads again.
  QByteArray handshake;
  ASSERT_TRUE(waitUntil([&] {
    if (links.empty()) return false;
    handshake += links.front()->readAll();
    return handshake.contains("\r\n\r\n");
  }));
  const QByteArray key = QRegularExpression(QStringLiteral("Sec-WebSocket-Key: *([^\r]+)"))
                             .match(QString::fromLatin1(handshake)).captured(1).toLatin1();
  ASSERT_FALSE(key.isEmpty());
  const QByteArray accept =
      QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11", QCryptographicHash::Sha1).toBase64();
  QTcpSocket& link = *links.front();
  link.setReadBufferSize(1);
  link.write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Accept: " +
             accept + "\r\n\r\n");
  // 1500 captures, about 115 MB of answers if the daemon kept them all.
  for (int i = 0; i < 1500; ++i) {
    const QByteArray request =
        QByteArray::fromStdString(nlohmann::json{{"id", "c" + std::to_string(i)}, {"cmd", "capture"}, {"args", {{"paneId", pane.toStdString()}}}}.dump());
    ASSERT_LT(request.size(), 126);
    link.write(QByteArray("\x81", 1) + char(request.size()) + request);
  }
  ASSERT_TRUE(waitUntil([&] { return links.size() >= 2; }, 60000)) << "the daemon kept the stalled link";
  const QString peak = procField(daemon.process().processId(), "status", QStringLiteral("VmHWM:"));
  EXPECT_LT(peak.section(' ', 0, 0).toLongLong(), 110 * 1024) << "peak resident " << peak.toStdString();
  EXPECT_EQ(daemon.ping()["data"]["alive"], true);
}

}  // namespace
}  // namespace vesket::daemon::testing
