// The agent-history stream against a scripted daemon.
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "control_plane/control_plane_client.h"
#include "control_plane/core/control_plane_errors.h"
#include "tests/support/await_task.h"
#include "tests/support/fake_daemon.h"

using namespace vesket::control_plane;
using vesket::testing::FakeDaemon;
using vesket::testing::awaitTask;
using nlohmann::json;

namespace {

TEST(ClaudeHistoryStream, SendsAtLeastWidthOneAndDecodesTopLevelEvents) {
  QTemporaryDir dir;
  const std::string socketPath = dir.filePath("control.sock").toStdString();
  FakeDaemon daemon(QString::fromStdString(socketPath));
  daemon.onRequest = [](FakeDaemon::Connection& c, const json& request) {
    const std::string id = request["id"];
    if (request["args"]["paneId"] == "%4") {
      c.writeLine({{"id", id}, {"ok", true}, {"type", "disabled"}, {"paneId", "%4"}, {"reason", "not claude"}});
      c.writeLine({{"id", id}, {"ok", true}, {"type", "frame"}, {"paneId", "%4"},
                   {"frame", {{"eventId", "e1"}, {"cursor", {{"sessionId", "s"}, {"offset", 9}}}, {"kind", "assistant"},
                              {"text", "hi"}, {"sequence", 1}, {"lines", {"hi"}}}}});
      c.done(id);
    } else {
      c.writeLine({{"id", id}, {"ok", true}, {"paneId", "%5"}});  // no type: undecodable
    }
  };
  auto client = ControlPlaneClient::create(socketPath, std::nullopt, 2.0);

  auto stream = client->claudeHistoryStream("%4", 0);
  std::vector<ClaudeHistoryStreamEvent> events;
  while (auto event = awaitTask(stream.next())) events.push_back(*event);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].type, "disabled");
  EXPECT_EQ(events[0].reason, "not claude");
  ASSERT_TRUE(events[1].frame);
  EXPECT_EQ(events[1].frame->cursor.offset, 9);
  const auto request = daemon.requests().at(0);
  EXPECT_EQ(request["cmd"], "claude-history");
  EXPECT_EQ(request["args"].dump(), R"({"paneId":"%4","width":1})");

  auto broken = client->claudeHistoryStream("%5", 100);
  try {
    awaitTask(broken.next());
    FAIL() << "expected a protocol error";
  } catch (const ControlPlaneError& e) {
    EXPECT_EQ(e.description(), "protocol error: ClaudeHistoryStreamEvent: required key 'type' is missing");
  }
  EXPECT_EQ(daemon.requests().at(1)["args"]["width"], 100);
}

}  // namespace
