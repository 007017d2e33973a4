// The local terminal transport against a scripted daemon on a real socket: frames in both
// directions, keepalive pings, reattaching, and giving up once when the stream fails.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "control_plane/control_plane_client.h"
#include "relay/core/terminal_protocol.h"
#include "relay/local_terminal_mirror_client.h"
#include "tests/support/event_loop.h"
#include "tests/support/fake_daemon.h"

using namespace vesket::relay;
using vesket::control_plane::ControlPlaneClient;
using vesket::testing::FakeDaemon;
using vesket::testing::spinFor;
using vesket::testing::waitUntil;
using nlohmann::json;
namespace P = vesket::relay::TerminalProtocol;

namespace {

std::string base64(const std::string& bytes) { return QByteArray::fromStdString(bytes).toBase64().toStdString(); }
std::string unbase64(const std::string& text) {
  return QByteArray::fromBase64(QByteArray::fromStdString(text)).toStdString();
}

// Writes down every listener call as one line of text.
class RecordingListener : public TerminalMirrorListener {
 public:
  std::vector<std::string> calls;
  std::function<void()> onOutputHook;

  void onReady(const ReadyPayload& r) override {
    calls.push_back("ready " + r.paneId + " " + std::to_string(r.cols) + "x" + std::to_string(r.rows) + " " + r.mode);
  }
  void onOutput(const std::string& bytes) override {
    calls.push_back("output " + bytes);
    if (onOutputHook) onOutputHook();
  }
  void onExit(const ExitPayload& e) override { calls.push_back("exit " + e.reason.value_or("-")); }
  void onError(const std::string& message) override { calls.push_back("error " + message); }
  void onGeometry(int cols, int rows) override {
    calls.push_back("geometry " + std::to_string(cols) + "x" + std::to_string(rows));
  }
  void onHistory(const std::string& bytes) override { calls.push_back("history " + bytes); }
  void onHistoryEnd() override { calls.push_back("historyEnd"); }
  void onHistoryOlder(const std::string& bytes) override { calls.push_back("historyOlder " + bytes); }
  void onHistoryOlderEnd(bool atTop, std::int64_t lines) override {
    calls.push_back("historyOlderEnd " + std::string(atTop ? "top " : "more ") + std::to_string(lines));
  }
  void onReconnecting(int attempt, int delayMs) override {
    calls.push_back("reconnecting " + std::to_string(attempt) + " " + std::to_string(delayMs));
  }
  void onPongMode(const std::string& mode) override { calls.push_back("pongMode " + mode); }
  void onMouseMode(bool enabled) override { calls.push_back(std::string("mouseMode ") + (enabled ? "on" : "off")); }
  void onDesktopWheelMode(const MouseModePayload& p) override {
    calls.push_back("wheel " + p.mouseEncoding.value_or("-"));
  }
};

class LocalTerminalMirrorClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_socketPath = m_dir.filePath("control.sock").toStdString();
    m_daemon = std::make_unique<FakeDaemon>(QString::fromStdString(m_socketPath));
    m_control = ControlPlaneClient::create(m_socketPath, "secret", 2.0);
    m_listener = std::make_shared<RecordingListener>();
  }

  std::unique_ptr<LocalTerminalMirrorClient> makeClient(LocalTerminalMirrorClient::Options options = {}) {
    if (options.paneId.empty()) options.paneId = "%7";
    return std::make_unique<LocalTerminalMirrorClient>(
        m_control, std::move(options), m_listener,
        [this](const LocalAttachUnavailableReason& reason) { unavailable.push_back(reason); },
        [this] { ++connectSent; });
  }

  // The daemon's event line carrying one frame for the attach request `request`.
  static void sendFrame(FakeDaemon::Connection& c, const json& request, const std::string& frame) {
    c.event(request["id"], {{"data", base64(frame)}});
  }

  // Every request of `cmd`, in order.
  std::vector<json> requestsOf(const std::string& cmd) const {
    std::vector<json> found;
    for (const auto& r : m_daemon->requests()) {
      if (r["cmd"] == cmd) found.push_back(r);
    }
    return found;
  }
  // The frames sent as terminal input, decoded.
  std::vector<P::ClientFrame> inputFrames() const {
    std::vector<P::ClientFrame> frames;
    for (const auto& r : requestsOf("terminal-input")) {
      frames.push_back(P::decodeClientFrame(unbase64(r["args"]["data"])));
    }
    return frames;
  }

  QTemporaryDir m_dir;
  std::string m_socketPath;
  std::unique_ptr<FakeDaemon> m_daemon;
  std::shared_ptr<ControlPlaneClient> m_control;
  std::shared_ptr<RecordingListener> m_listener;
  std::vector<LocalAttachUnavailableReason> unavailable;
  int connectSent = 0;
};

TEST_F(LocalTerminalMirrorClientTest, EveryFrameOfTheStreamReachesItsListenerOperation) {
  m_daemon->onRequest = [](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] != "terminal-attach") return;
    sendFrame(c, request, P::encodeReady({.paneId = "%7", .cols = 80, .rows = 24, .mode = "mirror"}));
    sendFrame(c, request, P::encodeHistory("old\r\n"));
    sendFrame(c, request, P::encodeHistoryEnd());
    sendFrame(c, request, P::encodeOutput(std::string("$ \0\xff", 4)));
    sendFrame(c, request, P::encodeGeometry(100, 30));
    sendFrame(c, request, P::encodePong());  // no mode: nothing reported
    sendFrame(c, request, P::encodePong({.mode = "takeover"}));
    sendFrame(c, request, P::encodeMouseMode({.enabled = true, .mouseEncoding = "sgr"}));
    sendFrame(c, request, P::encodeHistoryOlder("older"));
    sendFrame(c, request, P::encodeHistoryOlderEnd({.atTop = true, .lines = 12}));
    sendFrame(c, request, P::encodePing());
    sendFrame(c, request, std::string("\x63garbage"));  // unknown opcode: skipped
    sendFrame(c, request, P::encodeError({.message = "slow viewer"}));
    sendFrame(c, request, P::encodeExit({.code = 0, .reason = "pane closed"}));
    c.done(request["id"]);
  };
  auto client = makeClient({.paneId = "%7", .mode = "takeover", .historyLimit = 500, .cols = 80, .rows = 24});
  client->connect();
  ASSERT_TRUE(waitUntil([&] { return m_listener->calls.size() >= 12; }));
  spinFor(100);
  EXPECT_EQ(m_listener->calls,
            (std::vector<std::string>{"ready %7 80x24 mirror", "history old\r\n", "historyEnd",
                                      std::string("output $ \0\xff", 11), "geometry 100x30", "pongMode takeover",
                                      "mouseMode on", "wheel sgr", "historyOlder older", "historyOlderEnd top 12",
                                      "error slow viewer", "exit pane closed"}));
  EXPECT_TRUE(client->isTerminalEnded());
  EXPECT_TRUE(unavailable.empty()) << "an exit frame ends the terminal, not the transport";
  EXPECT_EQ(connectSent, 1);

  const auto attaches = requestsOf("terminal-attach");
  ASSERT_EQ(attaches.size(), 1u);
  EXPECT_EQ(attaches[0]["args"]["paneId"], "%7");
  EXPECT_EQ(attaches[0]["args"]["mode"], "takeover");
  EXPECT_EQ(attaches[0]["args"]["historyLimit"], 500);
  EXPECT_EQ(attaches[0]["args"]["cols"], 80);
  EXPECT_EQ(attaches[0]["args"]["open"], true);
}

TEST_F(LocalTerminalMirrorClientTest, SendersWriteEncodedFramesAsInputOfTheSession) {
  m_daemon->onRequest = [](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] == "terminal-attach") sendFrame(c, request, P::encodeOutput("$ "));
  };
  auto client = makeClient();
  client->connect();
  ASSERT_TRUE(waitUntil([&] { return !m_listener->calls.empty(); }));
  client->sendInput("ls\r");
  client->sendResize(70000, -1);
  client->sendHistoryMore();
  client->sendContentParity("{\"rows\":3}");
  client->sendOpenLatency(P::encodeContentParity("raw"));
  ASSERT_TRUE(waitUntil([&] { return inputFrames().size() >= 5; }));
  const auto frames = inputFrames();
  EXPECT_EQ(frames, (std::vector<P::ClientFrame>{P::Input{"ls\r"}, P::Resize{0xFFFF, 0}, P::HistoryMore{},
                                                 P::ContentParity{"{\"rows\":3}"}, P::ContentParity{"raw"}}));
  ASSERT_EQ(m_daemon->connectionCount(), 1) << "frames go out on the attach connection";
  for (const auto& r : requestsOf("terminal-input")) EXPECT_EQ(r["token"], "secret");
}

TEST_F(LocalTerminalMirrorClientTest, KeepalivePingsGoOutWhileTheSessionIsOpenAndStopOnDetach) {
  m_daemon->onRequest = [](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] == "terminal-attach") sendFrame(c, request, P::encodeOutput("$ "));
  };
  auto client = makeClient({.paneId = "%1", .keepaliveIntervalMs = 40});
  client->connect();
  ASSERT_TRUE(waitUntil([&] { return inputFrames().size() >= 3; }));
  for (const auto& frame : inputFrames()) EXPECT_EQ(frame, P::ClientFrame{P::Ping{}});

  client->detach();
  ASSERT_TRUE(waitUntil([&] { return !requestsOf("terminal-detach").empty(); }));
  const auto pings = inputFrames().size();
  spinFor(200);
  EXPECT_EQ(inputFrames().size(), pings) << "no pings after detach";
  EXPECT_TRUE(unavailable.empty()) << "a detach is not a failure";
  client->reattach();
  spinFor(50);
  EXPECT_EQ(requestsOf("terminal-attach").size(), 1u) << "a detached client stays detached";
}

TEST_F(LocalTerminalMirrorClientTest, ReattachOpensASecondSessionMarkedAsTransportReattach) {
  int attaches = 0;
  std::vector<json> attachRequests;
  m_daemon->onRequest = [&](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] != "terminal-attach") return;
    attachRequests.push_back(request);
    sendFrame(c, request, P::encodeOutput("session " + std::to_string(++attaches)));
  };
  auto client = makeClient({.paneId = "%2", .openLatency = std::map<std::string, std::string>{{"openId", "A1"}, {"tapMs", "12"}}});
  client->connect();
  ASSERT_TRUE(waitUntil([&] { return m_listener->calls.size() == 1; }));
  client->reattach();
  ASSERT_TRUE(waitUntil([&] { return m_listener->calls.size() == 2; }));
  // Output from the first session after the reattach is not reported.
  sendFrame(m_daemon->connection(0), attachRequests[0], P::encodeOutput("late"));
  spinFor(100);
  EXPECT_EQ(m_listener->calls, (std::vector<std::string>{"output session 1", "output session 2"}));

  ASSERT_EQ(attachRequests.size(), 2u);
  EXPECT_EQ(attachRequests[0]["args"]["open"], true);
  EXPECT_EQ(attachRequests[0]["args"]["openLatency"], (json{{"openId", "A1"}, {"tapMs", "12"}}));
  EXPECT_EQ(attachRequests[1]["args"]["open"], false);
  EXPECT_EQ(attachRequests[1]["args"]["openLatency"], (json{{"reason", "transport_reattach"}, {"tapMs", "12"}}))
      << "the open reason travels as \"reason\"; the open id of the first open is not repeated";
  EXPECT_EQ(requestsOf("terminal-detach").size(), 1u) << "the first session is detached";
  EXPECT_EQ(connectSent, 2);
  EXPECT_TRUE(unavailable.empty());
}

struct EscalationCase {
  const char* name;
  std::function<void(FakeDaemon::Connection&, const json&)> daemon;
  bool removeSocket;
  LocalAttachUnavailableReason expected;
};

TEST_F(LocalTerminalMirrorClientTest, AFailedStreamEscalatesOnceWithItsReason) {
  const std::vector<EscalationCase> cases = {
      {"closed without exit",
       [](FakeDaemon::Connection& c, const json& request) {
         sendFrame(c, request, P::encodeOutput("$ "));
         c.close();
       },
       false, LocalAttachUnavailableReason::streamClosedWithoutTerminalEnd()},
      {"done without exit",
       [](FakeDaemon::Connection& c, const json& request) { c.done(request["id"]); }, false,
       LocalAttachUnavailableReason::streamClosedWithoutTerminalEnd()},
      {"attach refused",
       [](FakeDaemon::Connection& c, const json& request) { c.fail(request["id"], "pane not found: %9"); }, false,
       LocalAttachUnavailableReason::streamError("pane not found: %9")},
      {"no daemon", nullptr, true, LocalAttachUnavailableReason::channelDisconnected("terminal channel is disconnected")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    unavailable.clear();
    m_daemon.reset();
    if (!c.removeSocket) {
      m_daemon = std::make_unique<FakeDaemon>(QString::fromStdString(m_socketPath));
      m_daemon->onRequest = [&c](FakeDaemon::Connection& connection, const json& request) {
        if (request["cmd"] == "terminal-attach") c.daemon(connection, request);
      };
    }
    auto client = makeClient();
    client->connect();
    ASSERT_TRUE(waitUntil([&] { return !unavailable.empty(); }));
    ASSERT_EQ(unavailable.size(), 1u);
    if (std::holds_alternative<LocalAttachUnavailableReason::StreamError>(c.expected.value)) {
      const auto* error = std::get_if<LocalAttachUnavailableReason::StreamError>(&unavailable[0].value);
      ASSERT_NE(error, nullptr) << unavailable[0].describe();
      EXPECT_NE(error->description.find("pane not found: %9"), std::string::npos) << error->description;
    } else {
      EXPECT_EQ(unavailable[0], c.expected) << unavailable[0].describe();
    }
    EXPECT_TRUE(client->hasEscalated());
    // A second failure after a reattach never escalates again.
    client->reattach();
    spinFor(150);
    EXPECT_EQ(unavailable.size(), 1u);
  }
}

TEST_F(LocalTerminalMirrorClientTest, ADetachFromInsideTheListenerEndsQuietly) {
  m_daemon->onRequest = [](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] == "terminal-attach") {
      sendFrame(c, request, P::encodeOutput("one"));
      sendFrame(c, request, P::encodeOutput("two"));
    } else if (request["cmd"] == "terminal-detach") {
      c.close();
    }
  };
  auto client = makeClient();
  m_listener->onOutputHook = [&] { client->detach(); };
  client->connect();
  ASSERT_TRUE(waitUntil([&] { return !requestsOf("terminal-detach").empty(); }));
  spinFor(100);
  EXPECT_EQ(m_listener->calls, (std::vector<std::string>{"output one"}));
  EXPECT_TRUE(unavailable.empty());
  EXPECT_TRUE(client->isClosedByUser());
}

}  // namespace
