// Starting, refusing, stopping and supervising the real daemon; its files and status lines.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <map>

#include <gtest/gtest.h>

#include "tests/support/private_daemon.h"
#include "tests/support/event_loop.h"

namespace vesket::daemon::testing {
namespace {

using namespace vesket::testing;

// The status lines read as the desktop's status poller reads them.
std::map<std::string, std::string> statusFacts(const QString& text) {
  std::map<std::string, std::string> facts;
  for (const QString& line : text.split('\n')) {
    const QStringList parts = line.split(QStringLiteral(" : "));
    if (parts.size() == 2) facts[parts[0].trimmed().toStdString()] = parts[1].trimmed().toStdString();
  }
  return facts;
}

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(DaemonLifecycleTest, StatusPublishesFilesAndStopRemovesTheSocket) {
  PrivateTmux tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon daemon(tmux);
  // A hand-edited .env survives: unknown lines and values are kept.
  QDir().mkpath(daemon.home() + "/daemon");
  {
    QFile env(daemon.home() + "/daemon/.env");
    ASSERT_TRUE(env.open(QIODevice::WriteOnly));
    env.write("# mine\nRELAY_URL=https://relay.example\nEXTRA=1\n");
  }
  daemon.start();

  const auto status = daemon.runCli({"daemon", "status"});
  ASSERT_EQ(status.exitCode, 0);
  const auto facts = statusFacts(status.out);
  EXPECT_EQ(facts.at("launchd loaded"), "yes");
  EXPECT_EQ(facts.at("pid"), std::to_string(daemon.process().processId()));
  EXPECT_EQ(facts.at("paired"), "no");
  EXPECT_FALSE(facts.at("version").empty());
  EXPECT_EQ(facts.at("automation"), "granted");
  EXPECT_EQ(facts.at("accessibility"), "granted");
  EXPECT_EQ(facts.at("full disk access"), "granted");
  EXPECT_EQ(facts.at("ios connected"), "no");
  EXPECT_EQ(facts.at("service"), "none");
  EXPECT_EQ(facts.at("state"), "serving, started outside the service");

  EXPECT_EQ(readFile(daemon.home() + "/daemon/.env"),
            "# mine\nRELAY_URL=https://relay.example\nEXTRA=1\nDAEMON_TOKEN=\nBOARD_PUSH_API=\n");
  EXPECT_EQ(readFile(daemon.home() + "/agent-root"), (daemon.userHome() + "\n").toUtf8());
  const auto identity = nlohmann::json::parse(readFile(daemon.userHome() + "/.vesket-daemon-identity.json").toStdString());
  EXPECT_EQ(identity["home"], daemon.home().toStdString());
  EXPECT_EQ(identity["pid"], daemon.process().processId());
  EXPECT_TRUE(identity["installId"].is_string());
  EXPECT_TRUE(identity["startedAtMs"].is_number());
  EXPECT_EQ(QFileInfo(daemon.socketPath()).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
  EXPECT_EQ(QFileInfo(daemon.home() + "/daemon").permissions() & (QFileDevice::ExeGroup | QFileDevice::ExeOther), 0);
  const QString log = QString::fromUtf8(readFile(daemon.environment().value("XDG_STATE_HOME") + "/vesket/logs/daemon-stdout.log"));
  EXPECT_TRUE(log.contains("serving " + daemon.socketPath())) << log.toStdString();

  const auto version = daemon.runCli({"--version"});
  EXPECT_TRUE(version.out.contains("\nbuilt: ") && version.out.contains("\ncommits: ") && version.out.contains("\nsha: "))
      << version.out.toStdString();

  const auto stop = daemon.runCli({"daemon", "stop"});
  EXPECT_EQ(stop.exitCode, 0) << stop.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(daemon.socketPath()));
  ASSERT_TRUE(daemon.process().waitForFinished(5000));
  EXPECT_EQ(daemon.process().exitCode(), 0);
  EXPECT_FALSE(QFileInfo::exists(daemon.userHome() + "/.vesket-daemon-identity.json"));

  const auto stopped = statusFacts(daemon.runCli({"daemon", "status"}).out);
  EXPECT_EQ(stopped.at("launchd loaded"), "no");
  EXPECT_EQ(stopped.at("pid"), "none");
  EXPECT_EQ(stopped.at("state"), "stopped");
  EXPECT_EQ(daemon.runCli({"panes", "--json"}).exitCode, 1) << "no daemon, no pane list";
  EXPECT_EQ(daemon.runCli({"daemon", "stop"}).exitCode, 0) << "stopping a stopped daemon is fine";
}

TEST(DaemonLifecycleTest, SecondDaemonRefusesAndEachStartHasANewSessionId) {
  PrivateTmux tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon daemon(tmux);
  daemon.start();
  const auto firstSession = daemon.ping()["data"]["daemonSessionId"];

  const auto second = daemon.runCli({"daemon", "start", "-L", tmux.name()});
  EXPECT_EQ(second.exitCode, 3);
  EXPECT_TRUE(second.err.contains("another vesket daemon is already running for " + daemon.home())) << second.err.toStdString();
  EXPECT_EQ(daemon.ping()["data"]["daemonSessionId"], firstSession) << "the first one keeps serving";

  ASSERT_EQ(daemon.runCli({"daemon", "stop"}).exitCode, 0);
  daemon.process().waitForFinished(5000);
  daemon.start();
  EXPECT_NE(daemon.ping()["data"]["daemonSessionId"], firstSession);
}

TEST(DaemonLifecycleTest, FirstSnapshotAfterStartIsTheRealPaneList) {
  PrivateTmux tmux{PrivateTmux::Start::shellSession};
  tmux.run({"split-window", "-d"});
  PrivateDaemon daemon(tmux);
  QProcess process;
  process.setProcessEnvironment(daemon.environment());
  process.start(PrivateDaemon::binary(), {"daemon", "start", "-L", tmux.name()});
  // Watch the moment the socket appears, before the daemon has read tmux.
  std::unique_ptr<LineClient> watcher;
  ASSERT_TRUE(waitUntil([&] {
    if (!QFileInfo::exists(daemon.socketPath())) return false;
    watcher = std::make_unique<LineClient>(daemon.socketPath(), 1000);
    return watcher->connected();
  }, 15000));
  watcher->sendRequest("W", "watch");
  const auto first = watcher->lineFor("W", 10000);
  ASSERT_TRUE(first);
  EXPECT_EQ((*first)["event"]["panes"].size(), 2u) << "not an empty list that would read as all panes gone";
  process.terminate();
  process.waitForFinished(5000);
}

TEST(DaemonLifecycleTest, StaleSocketIsReplaced) {
  PrivateTmux tmux{PrivateTmux::Start::shellSession};
  PrivateDaemon daemon(tmux);
  // A socket file nobody listens on, as a killed daemon leaves it.
  QDir().mkpath(daemon.home() + "/daemon");
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray path = QFile::encodeName(daemon.socketPath());
  std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ::close(fd);
  ASSERT_TRUE(QFileInfo::exists(daemon.socketPath()));

  daemon.start();
  EXPECT_EQ(daemon.ping()["data"]["alive"], true);
}

// A control token, from the environment or from the home's token file, is required of every
// request; the CLI presents the same one.
TEST(DaemonLifecycleTest, AConfiguredControlTokenIsRequiredAndUsedByTheCli) {
  for (const bool fromFile : {false, true}) {
    SCOPED_TRACE(fromFile ? "token file" : "CONTROL_TOKEN");
    PrivateTmux tmux{PrivateTmux::Start::shellSession};
    QProcessEnvironment extra;
    if (!fromFile) extra.insert("CONTROL_TOKEN", "s3cret");
    PrivateDaemon daemon(tmux, extra);
    if (fromFile) {
      QDir().mkpath(daemon.home() + "/daemon");
      QFile token(daemon.home() + "/daemon/control-token");
      ASSERT_TRUE(token.open(QIODevice::WriteOnly));
      token.write("s3cret\n");
      token.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    // start() probes without a token, so the CLI's status (which presents it) tells when it serves.
    QProcess process;
    process.setProcessEnvironment(daemon.environment());
    process.start(PrivateDaemon::binary(), {"daemon", "start", "-L", tmux.name()});
    ASSERT_TRUE(waitUntil([&] {
      return statusFacts(daemon.runCli({"daemon", "status"}).out)["pid"] == std::to_string(process.processId());
    }, 15000));

    LineClient client(daemon.socketPath());
    EXPECT_EQ(client.request("ping")["error"], "unauthorized: control token required");
    EXPECT_EQ(client.request("ping", nlohmann::json::object(), "wrong")["error"], "unauthorized: wrong control token");
    EXPECT_EQ(client.request("ping", nlohmann::json::object(), "s3cret")["data"]["alive"], true);
    EXPECT_EQ(daemon.runCli({"panes", "--json"}).exitCode, 0);
    EXPECT_EQ(daemon.runCli({"daemon", "stop"}).exitCode, 0);
    process.waitForFinished(5000);
  }
}

TEST(DaemonLifecycleTest, SupervisorRestartsAKilledDaemonAndEndsWithStop) {
  PrivateTmux tmux{PrivateTmux::Start::shellSession};
  QProcessEnvironment extra;
  extra.insert("VESKET_TMUX_SOCKET", tmux.socketPath());
  PrivateDaemon daemon(tmux, extra);
  const auto install = daemon.runCli({"daemon", "install-service"});
  ASSERT_EQ(install.exitCode, 0) << install.out.toStdString() << install.err.toStdString();
  EXPECT_TRUE(install.out.contains("supervisor")) << install.out.toStdString();

  const auto before = daemon.ping()["data"];
  const auto supervised = statusFacts(daemon.runCli({"daemon", "status"}).out);
  EXPECT_EQ(supervised.at("service"), "supervisor");
  EXPECT_EQ(supervised.at("service program"), QFileInfo(PrivateDaemon::binary()).absoluteFilePath().toStdString());
  EXPECT_EQ(supervised.at("pid"), std::to_string(before["pid"].get<qint64>()));
  EXPECT_EQ(supervised.at("state"), "serving");
  ASSERT_EQ(::kill(static_cast<pid_t>(before["pid"].get<qint64>()), SIGKILL), 0);
  nlohmann::json after;
  ASSERT_TRUE(waitUntil([&] {
    LineClient client(daemon.socketPath(), 200);
    if (!client.connected()) return false;
    client.sendRequest("p", "ping");
    auto line = client.lineFor("p", 500);
    if (!line || (*line)["ok"] != true) return false;
    after = (*line)["data"];
    return after["pid"] != before["pid"];
  }, 20000)) << "the supervisor starts the daemon again";
  EXPECT_NE(after["daemonSessionId"], before["daemonSessionId"]);

  ASSERT_EQ(daemon.runCli({"daemon", "stop"}).exitCode, 0);
  EXPECT_TRUE(waitUntil([&] {
    return statusFacts(daemon.runCli({"daemon", "status"}).out).at("launchd loaded") == "no";
  }, 10000)) << "the supervisor ends after a deliberate stop";
  EXPECT_FALSE(QFileInfo::exists(daemon.socketPath()));
}

TEST(DaemonLifecycleTest, AutoAttachMovesToTheTmuxServerThatHasSessions) {
  // The daemon watches a server with no session in a private socket directory where
  // another server has one.
  QTemporaryDir sockets;
  PrivateTmux unused{PrivateTmux::Start::shellSession};
  QProcessEnvironment extra;
  extra.insert("TMUX_TMPDIR", sockets.path());
  PrivateDaemon daemon(unused, extra);
  daemon.start(false);
  QProcess other;
  other.setProcessEnvironment(daemon.environment());
  other.start("tmux", {"-L", "with-sessions", "-f", "/dev/null", "new-session", "-d", "-s", "work"});
  ASSERT_TRUE(other.waitForFinished(10000) && other.exitCode() == 0);
  const QString otherSocket = sockets.path() + "/tmux-" + QString::number(::getuid()) + "/with-sessions";

  const auto first = daemon.runCli({"daemon", "auto-attach", "--json"});
  EXPECT_EQ(first.exitCode, 0) << first.err.toStdString();
  const auto moved = nlohmann::json::parse(first.out.toStdString());
  EXPECT_EQ(moved["attached"], true);
  EXPECT_EQ(moved["changed"], true);
  EXPECT_EQ(moved["source"], otherSocket.toStdString());
  EXPECT_EQ(moved["sessionCount"], 1);
  EXPECT_TRUE(waitUntil([&] {
    LineClient client(daemon.socketPath());
    return client.request("list-panes")["data"]["panes"].size() == 1;
  }, 10000)) << "the daemon now lists the other server's pane";

  const auto again = nlohmann::json::parse(daemon.runCli({"daemon", "auto-attach", "--json"}).out.toStdString());
  EXPECT_EQ(again["attached"], true);
  EXPECT_EQ(again["changed"], false) << "a server with sessions is kept";

  killTmuxServer({"-S", otherSocket});
}

TEST(DaemonLifecycleTest, BadCommandLinesExitWithTwo) {
  for (const QStringList& args : {QStringList{"daemon", "launch"}, QStringList{"panes", "--xml"}, QStringList{}}) {
    QProcess process;
    process.start(PrivateDaemon::binary(), args);
    process.waitForFinished(5000);
    EXPECT_EQ(process.exitCode(), 2) << args.join(' ').toStdString();
    EXPECT_TRUE(process.readAllStandardError().startsWith("vesket: "));
  }
}

}  // namespace
}  // namespace vesket::daemon::testing
