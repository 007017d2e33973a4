// The terminal attach session against a scripted daemon: output, input on the same
// connection, detaching once, and every way the session ends.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/control_plane_errors.h"
#include "control_plane/terminal_attach_session.h"
#include "tests/support/await_task.h"
#include "tests/support/event_loop.h"
#include "tests/support/fake_daemon.h"

using namespace vesket::control_plane;
using vesket::testing::FakeDaemon;
using vesket::testing::awaitTask;
using vesket::testing::spinFor;
using vesket::testing::waitUntil;
using nlohmann::json;

namespace {

std::string base64(const std::string& bytes) { return QByteArray::fromStdString(bytes).toBase64().toStdString(); }
std::string unbase64(const std::string& text) {
  return QByteArray::fromBase64(QByteArray::fromStdString(text)).toStdString();
}

class TerminalAttachSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_socketPath = m_dir.filePath("control.sock").toStdString();
    m_daemon = std::make_unique<FakeDaemon>(QString::fromStdString(m_socketPath));
    m_client = ControlPlaneClient::create(m_socketPath, "secret", 2.0);
  }

  std::shared_ptr<TerminalAttachSession> attach(std::function<void()> onConnectSent = nullptr) {
    return m_client->terminalAttach({.paneId = "%3", .mode = "mirror", .force = false, .open = true},
                                    std::move(onConnectSent));
  }

  // Reads the session's output until it ends; gives the bytes and the end ("end" or the error).
  static std::pair<std::string, std::string> drain(EventStream<std::string>& events) {
    std::string bytes;
    try {
      while (auto chunk = awaitTask(events.next())) bytes += *chunk;
      return {bytes, "end"};
    } catch (const ControlPlaneError& e) {
      return {bytes, std::string("error:") + e.what()};
    } catch (const DaemonUnavailable& e) {
      return {bytes, std::string("unavailable:") + e.what()};
    }
  }

  // Every line received on the first connection, parsed.
  std::vector<json> lines() {
    std::vector<json> parsed;
    if (m_daemon->connectionCount() == 0) return parsed;
    for (const auto& line : m_daemon->connection(0).lines) parsed.push_back(json::parse(line));
    return parsed;
  }

  QTemporaryDir m_dir;
  std::string m_socketPath;
  std::unique_ptr<FakeDaemon> m_daemon;
  std::shared_ptr<ControlPlaneClient> m_client;
};

TEST_F(TerminalAttachSessionTest, OutputFlowsOutAndInputGoesBackOnTheSameConnection) {
  // The daemon greets with history, echoes every input frame as output, and answers each
  // input frame with an ok reply of its own id (which the session must ignore).
  std::string attachId;
  m_daemon->onRequest = [&](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] == "terminal-attach") {
      attachId = request["id"];
      c.event(attachId, {{"data", base64(std::string("\x1b[1mhi\0\xff", 7))}});
    } else if (request["cmd"] == "terminal-input") {
      c.reply(request["id"], json::object());
      c.event(attachId, {{"data", request["args"]["data"]}});
    }
  };
  int connectSent = 0;
  auto session = attach([&] {
    ++connectSent;
    EXPECT_EQ(m_daemon->requests().size(), 0u) << "called before the attach request is written";
  });
  session->input("ls");  // before the socket is ready: goes out after the attach request
  auto events = session->events();
  EXPECT_EQ(awaitTask(events.next()), std::string("\x1b[1mhi\0\xff", 7));
  EXPECT_EQ(awaitTask(events.next()), "ls");
  session->input(std::string("\r\x03", 2));
  EXPECT_EQ(awaitTask(events.next()), std::string("\r\x03", 2));
  // Keys typed here go out at once, but never ahead of one still queued from another thread.
  std::thread([&session] { session->input("a"); }).join();
  session->input("b");
  EXPECT_EQ(awaitTask(events.next()), "a");
  EXPECT_EQ(awaitTask(events.next()), "b");
  EXPECT_EQ(connectSent, 1);
  EXPECT_EQ(session->sessionId(), "local-" + session->attachId());
  EXPECT_EQ(session->attachId(), attachId);

  ASSERT_EQ(m_daemon->connectionCount(), 1) << "input never opens a connection of its own";
  const auto sent = lines();
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[0]["cmd"], "terminal-attach");
  EXPECT_EQ(sent[0]["args"].dump(), R"({"force":false,"mode":"mirror","open":true,"paneId":"%3"})");
  EXPECT_EQ(sent[0]["token"], "secret");
  for (int i : {1, 2, 3, 4}) {
    EXPECT_EQ(sent[i]["cmd"], "terminal-input");
    EXPECT_EQ(sent[i]["args"]["sessionId"], session->sessionId());
    EXPECT_EQ(sent[i]["token"], "secret");
    EXPECT_NE(sent[i]["id"], attachId) << "each input frame has its own id";
  }
  EXPECT_EQ(unbase64(sent[1]["args"]["data"]), "ls");
  EXPECT_EQ(unbase64(sent[2]["args"]["data"]), std::string("\r\x03", 2));
}

TEST_F(TerminalAttachSessionTest, DetachWritesOnceAndSilencesInput) {
  m_daemon->onRequest = [](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] == "terminal-attach") c.event(request["id"], {{"data", base64("$ ")}});
  };
  auto session = attach();
  auto events = session->events();
  EXPECT_EQ(awaitTask(events.next()), "$ ");
  session->detach();
  session->detach();
  session->input("too late");
  EXPECT_TRUE(session->isClosed());
  ASSERT_TRUE(waitUntil([&] { return m_daemon->closedConnections() == 1; }));
  spinFor(50);
  const auto sent = lines();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[1]["cmd"], "terminal-detach");
  EXPECT_EQ(sent[1]["args"], json({{"sessionId", session->sessionId()}}));
  EXPECT_EQ(sent[1]["token"], "secret");
}

TEST_F(TerminalAttachSessionTest, CancellingTheConsumerDetaches) {
  m_daemon->onRequest = [](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] == "terminal-attach") c.event(request["id"], {{"data", base64("x")}});
  };
  auto session = attach();
  {
    auto events = session->events();
    EXPECT_EQ(awaitTask(events.next()), "x");
  }  // the consumer lets go
  EXPECT_TRUE(session->isClosed());
  ASSERT_TRUE(waitUntil([&] { return lines().size() == 2; }));
  EXPECT_EQ(lines()[1]["cmd"], "terminal-detach");
}

TEST_F(TerminalAttachSessionTest, EveryWayTheDaemonEndsTheSession) {
  struct Case {
    const char* name;
    std::function<void(FakeDaemon::Connection&, const std::string& attachId)> script;
    std::string bytes;
    std::string end;
  };
  const std::vector<Case> cases = {
      {"done", [](auto& c, auto& id) { c.event(id, {{"data", base64("a")}});
         c.done(id); }, "a", "end"},
      {"refused with text", [](auto& c, auto& id) { c.fail(id, "pane %3 not found"); }, "",
       "error:pane %3 not found"},
      {"refused without text", [](auto& c, auto& id) { c.fail(id, std::nullopt); }, "", "error:terminal-attach failed"},
      {"input rejected without id", [](auto& c, auto&) { c.writeLine({{"ok", false}}); }, "",
       "error:terminal input rejected; reattach required"},
      {"input rejected with text", [](auto& c, auto&) { c.fail("INPUT-7", "stale session"); }, "",
       "error:stale session"},
      {"data not Base64", [](auto& c, auto& id) { c.event(id, {{"data", "***"}}); }, "",
       "error:protocol error: protocol error: terminal-attach: event.data not valid base64"},
      {"event without data", [](auto& c, auto& id) { c.event(id, {{"bytes", "YQ=="}}); }, "",
       "error:protocol error: EventEnvelope.event: required key 'data' is missing"},
      {"connection closed", [](auto& c, auto& id) { c.event(id, {{"data", base64("b")}});
         c.close(); }, "b", "end"},
      {"nothing after the end",
       [](auto& c, auto& id) {
         c.done(id);
         c.event(id, {{"data", base64("late")}});
         c.fail(id, "late failure");
       },
       "", "end"},
  };
  for (const auto& test : cases) {
    m_daemon->onRequest = [&](FakeDaemon::Connection& c, const json& request) {
      if (request["cmd"] == "terminal-attach") test.script(c, request["id"].get<std::string>());
    };
    auto session = attach();
    auto events = session->events();
    const auto [bytes, end] = drain(events);
    EXPECT_EQ(bytes, test.bytes) << test.name;
    EXPECT_EQ(end, test.end) << test.name;
    EXPECT_TRUE(session->isClosed()) << test.name;
  }
}

TEST_F(TerminalAttachSessionTest, AnEndFromTheDaemonLeavesTheSocketToTheDaemon) {
  m_daemon->onRequest = [](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] == "terminal-attach") c.done(request["id"]);
  };
  auto session = attach();
  auto events = session->events();
  EXPECT_EQ(drain(events).second, "end");
  session->detach();  // already closed: nothing is written, the socket stays
  session->input("x");
  spinFor(100);
  EXPECT_EQ(lines().size(), 1u);
  EXPECT_EQ(m_daemon->closedConnections(), 0);
}

TEST_F(TerminalAttachSessionTest, FailuresBeforeConnecting) {
  auto missing = ControlPlaneClient::create(m_dir.filePath("absent.sock").toStdString(), std::nullopt, 2.0);
  auto session = missing->terminalAttach({.paneId = "%3", .mode = "mirror"});
  auto events = session->events();
  EXPECT_EQ(drain(events).second, "unavailable:socket not reachable: " + m_dir.filePath("absent.sock").toStdString());
  session->input("x");  // no connection: dropped without a fault
  session->detach();

  auto unencodable = m_client->terminalAttach({.paneId = "%\xff", .mode = "mirror"});
  auto unencodableEvents = unencodable->events();
  EXPECT_EQ(drain(unencodableEvents).second, "error:protocol error: terminal-attach: frame not encodable");
  spinFor(50);
  EXPECT_EQ(m_daemon->connectionCount(), 0);
}

TEST_F(TerminalAttachSessionTest, DetachFromAnotherThreadIsSafe) {
  m_daemon->onRequest = [](FakeDaemon::Connection& c, const json& request) {
    if (request["cmd"] == "terminal-attach") c.event(request["id"], {{"data", base64("x")}});
  };
  auto session = attach();
  auto events = session->events();
  EXPECT_EQ(awaitTask(events.next()), "x");
  std::thread other([session] {
    session->input("y");
    session->detach();
    session->detach();
  });
  other.join();
  ASSERT_TRUE(waitUntil([&] { return m_daemon->closedConnections() == 1; }));
  const auto sent = lines();
  ASSERT_EQ(sent.size(), 2u) << "the input was queued before the detach but runs after it: dropped";
  EXPECT_EQ(sent.back()["cmd"], "terminal-detach");
}

}  // namespace
