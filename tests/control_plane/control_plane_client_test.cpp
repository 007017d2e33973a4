// The control-socket client against a scripted daemon on a real Unix socket.
#include "control_plane/control_plane_client.h"
#include "control_plane/control_token.h"

#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>
#include <qcoro/qcorotask.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "control_plane/core/control_plane_errors.h"
#include "tests/support/await_task.h"
#include "tests/support/event_loop.h"
#include "tests/support/fake_daemon.h"

using namespace vesket::control_plane;
using vesket::testing::FakeDaemon;
using vesket::testing::awaitTask;
using vesket::testing::waitUntil;
using nlohmann::json;

namespace {

class ControlPlaneClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_socketPath = m_dir.filePath("control.sock").toStdString();
  }

  FakeDaemon& daemon() {
    if (!m_daemon) m_daemon = std::make_unique<FakeDaemon>(QString::fromStdString(m_socketPath));
    return *m_daemon;
  }
  std::shared_ptr<ControlPlaneClient> client(std::optional<std::string> token = std::nullopt) {
    return ControlPlaneClient::create(m_socketPath, std::move(token), 2.0);
  }

  // Runs a request to completion and gives its outcome as text: the data, or the error.
  std::string outcome(QCoro::Task<json> task) {
    try {
      return "data:" + awaitTask(std::move(task)).dump();
    } catch (const DaemonUnavailable& e) {
      return std::string("unavailable:") + e.what();
    } catch (const ControlPlaneError& e) {
      return std::string("error:") + e.what();
    } catch (const RequestCancelled&) {
      return "cancelled";
    } catch (const std::exception& e) {
      return std::string("other:") + e.what();
    }
  }

  QTemporaryDir m_dir;
  std::string m_socketPath;
  std::unique_ptr<FakeDaemon> m_daemon;
};

TEST_F(ControlPlaneClientTest, UnaryRequestSendsOneFrameAndDecodesTheReply) {
  daemon().onRequest = [](FakeDaemon::Connection& c, const json& request) {
    c.reply(request["id"], {{"echo", request["args"]}});
  };
  EXPECT_EQ(outcome(client()->request<json>("ping", {{"n", 1}})), R"(data:{"echo":{"n":1}})");
  const auto requests = daemon().requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0]["cmd"], "ping");
  EXPECT_FALSE(requests[0].contains("token"));
  EXPECT_EQ(requests[0]["id"].get<std::string>().size(), 36u);
  EXPECT_EQ(requests[0]["id"].get<std::string>(), QString::fromStdString(requests[0]["id"]).toUpper().toStdString());

  EXPECT_EQ(outcome(client("t0k")->request<json>("ping")), R"(data:{"echo":{}})");
  EXPECT_EQ(daemon().requests().at(1)["token"], "t0k");
  EXPECT_EQ(daemon().connectionCount(), 2) << "one connection per request";
}

TEST_F(ControlPlaneClientTest, SkipsForeignBlankAndInvalidLinesMergedIntoOneRead) {
  daemon().onRequest = [](FakeDaemon::Connection& c, const json& request) {
    const std::string id = request["id"];
    c.writeRaw(QByteArray("{\"id\":\"someone-else\",\"ok\":true,\"data\":1}\n \t \n\xFF\xFE\n{\"no\":\"id\"}\n") +
               QByteArray::fromStdString(json({{"id", id}, {"ok", true}, {"data", "mine"}}).dump() + "\n"));
  };
  EXPECT_EQ(outcome(client()->request<json>("capture")), R"(data:"mine")");
}

TEST_F(ControlPlaneClientTest, ReassemblesAReplySplitAcrossReads) {
  const std::string big(200000, 'x');  // several 64 KiB receives
  daemon().onRequest = [&](FakeDaemon::Connection& c, const json& request) {
    const auto line = json({{"id", request["id"]}, {"ok", true}, {"data", big}}).dump() + "\n";
    c.writeInPieces(QByteArray::fromStdString(line), 7);
  };
  EXPECT_EQ(outcome(client()->request<json>("capture")), "data:\"" + big + "\"");
}

TEST_F(ControlPlaneClientTest, FailureRepliesCarryTheDaemonsErrorOrUnknownError) {
  daemon().onRequest = [](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] == "with") c.fail(request["id"], "pane %9 not found");
    else c.fail(request["id"], std::nullopt);
  };
  EXPECT_EQ(outcome(client()->request<json>("with")), "error:pane %9 not found");
  EXPECT_EQ(outcome(client()->request<json>("without")), "error:unknown error");
}

TEST_F(ControlPlaneClientTest, CloseBeforeReplyIsNotATimeout) {
  daemon().onRequest = [](FakeDaemon::Connection& c, const json&) { c.close(); };
  EXPECT_EQ(outcome(client()->request<json>("list-panes")), "unavailable:connection closed before response");
}

TEST_F(ControlPlaneClientTest, SilentDaemonTimesOutWithTheCommandName) {
  daemon();
  EXPECT_EQ(outcome(client()->request<json>("list-panes", json::object(), 0.15)),
            "error:request timed out: list-panes");
  EXPECT_TRUE(waitUntil([&] { return daemon().closedConnections() == 1; })) << "the connection is closed";
}

TEST_F(ControlPlaneClientTest, TimeoutRacingTheReplyCompletesExactlyOnce) {
  // Replies land just before, at and just after the deadline. Whichever wins, the caller
  // gets one outcome and the next request works.
  daemon().onRequest = [this](FakeDaemon::Connection& c, const json& request) {
    const int delay = request["args"]["delay"];
    QTimer::singleShot(delay, m_daemon.get(), [&c, id = request["id"].get<std::string>()] { c.reply(id, "late"); });
  };
  auto shared = client();
  for (int delay : {90, 95, 100, 100, 105, 110}) {
    const auto result = outcome(shared->request<json>("race", {{"delay", delay}}, 0.1));
    EXPECT_TRUE(result == "data:\"late\"" || result == "error:request timed out: race") << result;
  }
  daemon().onRequest = [](FakeDaemon::Connection& c, const json& request) { c.reply(request["id"], 1); };
  EXPECT_EQ(outcome(shared->request<json>("after")), "data:1");
}

TEST_F(ControlPlaneClientTest, CancellationEndsTheRequestAndItsConnection) {
  daemon();
  CancellationSource source;
  QTimer::singleShot(50, [&] { source.cancel(); });
  EXPECT_EQ(outcome(client()->request<json>("slow", json::object(), 5.0, source.token())), "cancelled");
  EXPECT_TRUE(waitUntil([&] { return daemon().closedConnections() == 1; }));

  CancellationSource already;
  already.cancel();
  EXPECT_EQ(outcome(client()->request<json>("slow", json::object(), 5.0, already.token())), "cancelled");
}

TEST_F(ControlPlaneClientTest, DialFailuresAreDaemonUnavailable) {
  // Nothing at the path.
  EXPECT_EQ(outcome(client()->request<json>("ping")), "unavailable:socket not reachable (ENOENT): " + m_socketPath);

  // A socket file nobody listens on (a daemon that died without cleaning up).
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, m_socketPath.c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ::close(fd);
  EXPECT_EQ(outcome(client()->request<json>("ping")), "unavailable:socket not reachable (ECONNREFUSED): dial failed");
}

TEST_F(ControlPlaneClientTest, OverlongSocketPathIsRejectedAfterTheExistenceCheck) {
  QTemporaryDir deep(QDir::tempPath() + "/" + QString(40, 'd') + "XXXXXX");
  const std::string dir = deep.path().toStdString();
  std::string path = dir + "/" + std::string(110 - dir.size(), 's');
  ASSERT_GE(path.size(), 104u);
  auto longClient = ControlPlaneClient::create(path, std::nullopt, 1.0);
  EXPECT_EQ(outcome(longClient->request<json>("ping")), "unavailable:socket not reachable (ENOENT): " + path);
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  EXPECT_EQ(outcome(longClient->request<json>("ping")),
            "unavailable:socket path too long for AF_UNIX (" + std::to_string(path.size()) + " bytes, max 103): " + path);
}

TEST_F(ControlPlaneClientTest, ConcurrentRequestsUseTheirOwnConnections) {
  daemon().onRequest = [this](FakeDaemon::Connection& c, const json& request) {
    // Answer in reverse order of arrival.
    const int delay = request["args"]["n"] == 1 ? 80 : 10;
    QTimer::singleShot(delay, m_daemon.get(), [&c, request] { c.reply(request["id"], request["args"]["n"]); });
  };
  auto shared = client();
  auto both = [](std::shared_ptr<ControlPlaneClient> c) -> QCoro::Task<json> {
    auto first = c->request<json>("n", {{"n", 1}});
    auto second = c->request<json>("n", {{"n", 2}});
    json a = co_await std::move(first);
    json b = co_await std::move(second);
    co_return json::array({a, b});
  };
  EXPECT_EQ(outcome(both(shared)), "data:[1,2]");
  EXPECT_EQ(daemon().connectionCount(), 2);
}

// --- streams ---

json eventOf(const std::string& line) { return json::parse(line).at("event"); }

TEST_F(ControlPlaneClientTest, StreamYieldsEventsInOrderUntilDone) {
  daemon().onRequest = [](FakeDaemon::Connection& c, const json& request) {
    const std::string id = request["id"];
    c.event(id, 1);
    c.writeRaw("{\"id\":\"other\",\"ok\":true,\"event\":99}\n{\"id\":\"" + QByteArray::fromStdString(id) + "\"}\n");
    c.event(id, 2);
    c.done(id);
    c.event(id, 3);  // after done: never delivered
  };
  auto stream = client()->rawStream<json>("watch", json::object(), eventOf);
  std::vector<json> seen;
  while (auto event = awaitTask(stream.next())) seen.push_back(*event);
  EXPECT_EQ(seen, (std::vector<json>{1, 2}));
}

TEST_F(ControlPlaneClientTest, StreamFailuresEndTheStreamWithTheirError) {
  daemon().onRequest = [](FakeDaemon::Connection& c, const json& request) {
    const std::string id = request["id"];
    if (request["cmd"] == "fails") {
      c.event(id, 1);
      c.fail(id, std::nullopt);
    } else if (request["cmd"] == "undecodable") {
      c.writeLine({{"id", id}, {"ok", true}, {"nothing", 0}});
    } else {
      c.event(id, 1);
      c.close();
    }
  };
  auto failing = client()->rawStream<json>("fails", json::object(), eventOf);
  EXPECT_EQ(awaitTask(failing.next()), json(1));
  try {
    awaitTask(failing.next());
    FAIL() << "expected the stream error";
  } catch (const ControlPlaneError& e) {
    EXPECT_EQ(e.description(), "stream error");
  }

  auto undecodable = client()->rawStream<json>("undecodable", json::object(), eventOf);
  try {
    awaitTask(undecodable.next());
    FAIL() << "expected a protocol error";
  } catch (const ControlPlaneError& e) {
    EXPECT_EQ(e.kind(), ControlPlaneError::Kind::protocolError);
  }

  auto closed = client()->rawStream<json>("closes", json::object(), eventOf);
  EXPECT_EQ(awaitTask(closed.next()), json(1));
  EXPECT_EQ(awaitTask(closed.next()), std::nullopt) << "the daemon closing is a normal end";
}

TEST_F(ControlPlaneClientTest, StreamWithoutDaemonFailsAtOnce) {
  auto stream = client()->rawStream<json>("watch", json::object(), eventOf);
  EXPECT_THROW(awaitTask(stream.next()), DaemonUnavailable);
}

TEST_F(ControlPlaneClientTest, ConsumerCancelSendsACancelLineThenCloses) {
  daemon().onRequest = [](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] == "watch") c.event(request["id"], "first");
  };
  std::string streamId;
  QElapsedTimer sinceCancel;
  {
    auto stream = client()->rawStream<json>("watch", json::object(), eventOf);
    streamId = stream.id();
    EXPECT_EQ(awaitTask(stream.next()), json("first"));
    sinceCancel.start();
  }  // the consumer lets go
  ASSERT_TRUE(waitUntil([&] { return daemon().connection(0).lines.size() == 2; }));
  EXPECT_EQ(daemon().connection(0).lines[1], R"({"id":")" + streamId + R"(","cmd":"cancel"})");
  ASSERT_TRUE(waitUntil([&] { return daemon().closedConnections() == 1; }));
  EXPECT_GE(sinceCancel.elapsed(), 150) << "the connection stays open briefly after the cancel line";
}

TEST_F(ControlPlaneClientTest, ConnectionStateObserversSeeRepeats) {
  auto shared = client();
  std::vector<ConnectionState> seen;
  QObject::connect(shared.get(), &ControlPlaneClient::connectionStateChanged,
                   [&](ConnectionState s) { seen.push_back(s); });
  EXPECT_EQ(shared->connectionState(), ConnectionState::idle());
  shared->publishConnectionState(ConnectionState::connecting());
  shared->publishConnectionState(ConnectionState::connecting());
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(shared->connectionState(), ConnectionState::connecting());
}

}  // namespace

namespace vesket::control_plane {
namespace {

// The daemon and every client find the control token the same way: the environment first,
// then the home's token file.
TEST(ControlToken, EnvironmentThenTheHomesFile) {
  QTemporaryDir home;
  const std::string dir = home.path().toStdString();
  const QByteArray saved = qgetenv("CONTROL_TOKEN");
  const bool wasSet = qEnvironmentVariableIsSet("CONTROL_TOKEN");
  qunsetenv("CONTROL_TOKEN");
  EXPECT_EQ(controlTokenForHome(dir), std::nullopt);
  QDir().mkpath(home.path() + "/daemon");
  QFile file(QString::fromStdString(controlTokenFile(dir)));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("s3cret\n");
  file.close();
  EXPECT_EQ(controlTokenForHome(dir), "s3cret");
  qputenv("CONTROL_TOKEN", "from-env");
  EXPECT_EQ(controlTokenForHome(dir), "from-env");
  if (wasSet) qputenv("CONTROL_TOKEN", saved);
  else qunsetenv("CONTROL_TOKEN");
}

}  // namespace
}  // namespace vesket::control_plane
