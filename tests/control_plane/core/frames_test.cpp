#include "control_plane/core/frames.h"

#include <gtest/gtest.h>

#include "control_plane/core/connection_state.h"
#include "control_plane/core/control_plane_errors.h"
#include "control_plane/core/decoding_error.h"

using namespace vesket::control_plane;
using nlohmann::json;

TEST(RequestFrame, WithoutTokenHasExactlyIdCmdAndArgs) {
  const auto line = RequestFrame{"ID-1", "list-panes", json::object(), std::nullopt}.encode();
  const auto frame = json::parse(line);
  EXPECT_EQ(frame, json({{"id", "ID-1"}, {"cmd", "list-panes"}, {"args", json::object()}}));
  EXPECT_EQ(line.find('\n'), std::string::npos);
  EXPECT_EQ(line.find(' '), std::string::npos) << "frames are compact";
}

TEST(RequestFrame, CarriesTheTokenAndArguments) {
  const auto frame = json::parse(RequestFrame{"ID-2", "send", {{"paneId", "%3"}}, "secret"}.encode());
  EXPECT_EQ(frame["token"], "secret");
  EXPECT_EQ(frame["args"]["paneId"], "%3");
}

TEST(RequestFrame, InvalidUtf8InArgumentsThrows) {
  EXPECT_THROW(RequestFrame({"ID", "send", {{"text", "\xFF"}}, std::nullopt}).encode(), json::type_error);
}

TEST(FrameHead, IsLenientAboutMissingKeysButNotAboutWrongTypes) {
  auto head = FrameHead::decode(R"({"id":"x","ok":true,"extra":[1]})");
  ASSERT_TRUE(head);
  EXPECT_EQ(head->id, "x");
  EXPECT_EQ(head->ok, true);
  EXPECT_FALSE(head->done);
  EXPECT_TRUE(FrameHead::decode(R"({"id":null,"ok":null})"));
  EXPECT_FALSE(FrameHead::decode(R"({"id":"x","ok":"yes"})"));
  EXPECT_FALSE(FrameHead::decode(R"([1,2])"));
  EXPECT_FALSE(FrameHead::decode("not json"));
}

TEST(ReplyMatching, ClassifiesLinesForOneRequest) {
  const std::string id = "REQ";
  EXPECT_FALSE(matchReply("garbage", id));
  EXPECT_FALSE(matchReply(R"({"ok":true,"data":1})", id)) << "no id";
  EXPECT_FALSE(matchReply(R"({"id":"OTHER","ok":true,"data":1})", id)) << "foreign id";
  EXPECT_FALSE(matchReply(R"({"id":"REQ","ok":1})", id)) << "undecodable head";

  auto ok = matchReply(R"({"id":"REQ","ok":true,"data":{"n":2}})", id);
  ASSERT_TRUE(ok);
  EXPECT_EQ(std::get<ReplyData>(*ok).data, json({{"n", 2}}));

  auto failed = matchReply(R"({"id":"REQ","ok":false,"error":"no such pane"})", id);
  ASSERT_TRUE(failed);
  EXPECT_EQ(std::get<ReplyFailure>(*failed).message, "no such pane");

  for (const char* line : {R"({"id":"REQ","ok":false})", R"({"id":"REQ"})"}) {
    auto unknown = matchReply(line, id);
    ASSERT_TRUE(unknown) << line;
    EXPECT_EQ(std::get<ReplyFailure>(*unknown).message, "unknown error") << line;
  }
}

namespace {
struct Sample {
  int n;
  static Sample fromJson(const json& j) {
    if (!j.is_object() || !j.contains("n") || !j["n"].is_number_integer()) {
      throw DecodingError("Sample: required key 'n' is missing");
    }
    return {j["n"].get<int>()};
  }
};
}  // namespace

TEST(ReplyMatching, DataThatDoesNotDecodeIsAProtocolError) {
  ReplyData good{json({{"n", 4}}), true};
  EXPECT_EQ(decodeReplyData<Sample>(good).n, 4);
  try {
    decodeReplyData<Sample>(ReplyData{json({{"m", 4}}), true});
    FAIL() << "expected a protocol error";
  } catch (const ControlPlaneError& e) {
    EXPECT_EQ(e.kind(), ControlPlaneError::Kind::protocolError);
    EXPECT_EQ(e.description(), "protocol error: Sample: required key 'n' is missing");
  }
  EXPECT_THROW(decodeReplyData<Sample>(ReplyData{json(), false}), ControlPlaneError);
}

TEST(StreamLines, ClassifyDoneEventsAndFailures) {
  const std::string id = "S";
  EXPECT_TRUE(std::holds_alternative<StreamIgnore>(classifyStreamLine(R"({"id":"T","ok":true})", id)));
  EXPECT_TRUE(std::holds_alternative<StreamIgnore>(classifyStreamLine(R"({"id":"S"})", id)))
      << "a line without ok is not an event";
  EXPECT_TRUE(std::holds_alternative<StreamDone>(classifyStreamLine(R"({"id":"S","done":true,"ok":false})", id)));
  EXPECT_TRUE(std::holds_alternative<StreamEvent>(classifyStreamLine(R"({"id":"S","ok":true,"event":{}})", id)));
  auto failure = classifyStreamLine(R"({"id":"S","ok":false})", id);
  ASSERT_TRUE(std::holds_alternative<StreamFailure>(failure));
  EXPECT_EQ(std::get<StreamFailure>(failure).message, "stream error");
}

TEST(SocketPath, LimitIsCountedInBytes) {
  const std::string base = "/tmp/";
  EXPECT_FALSE(socketPathTooLongReason(base + std::string(98, 'a')));  // 103 bytes
  const std::string tooLong = base + std::string(99, 'a');             // 104 bytes
  EXPECT_EQ(socketPathTooLongReason(tooLong),
            "socket path too long for AF_UNIX (104 bytes, max 103): " + tooLong);
  // Fifty two-byte characters: 105 bytes, though only 55 characters.
  std::string wide = base;
  for (int i = 0; i < 50; ++i) wide += "\xC3\xA9";
  EXPECT_TRUE(socketPathTooLongReason(wide)) << "105 bytes although only 55 characters";
}

TEST(SocketPath, EnvironmentPrecedence) {
  auto env = [](std::map<std::string, std::string> vars) {
    return [vars](const char* name) -> std::optional<std::string> {
      auto it = vars.find(name);
      if (it == vars.end()) return std::nullopt;
      return it->second;
    };
  };
  EXPECT_EQ(defaultSocketPath(env({}), "/home/u"), "/home/u/.vesket/daemon/control.sock");
  EXPECT_EQ(defaultSocketPath(env({{"VESKET_HOME", "/tmp/x"}}), "/home/u"), "/tmp/x/daemon/control.sock");
  EXPECT_EQ(defaultSocketPath(env({{"DURNVALE_HOME", "/tmp/d"}}), "/home/u"), "/tmp/d/daemon/control.sock");
  EXPECT_EQ(defaultSocketPath(env({{"VESKET_HOME", "/tmp/x"}, {"DURNVALE_HOME", "/tmp/d"}}), "/home/u"),
            "/tmp/x/daemon/control.sock");
  EXPECT_EQ(defaultSocketPath(env({{"VESKET_HOME", ""}, {"DURNVALE_HOME", "/tmp/d"}}), "/home/u"),
            "/home/u/.vesket/daemon/control.sock")
      << "an empty VESKET_HOME means the default home, as in the daemon";
}

TEST(Backoff, StandardScheduleDoublesUpToTheCap) {
  const auto standard = BackoffSchedule::standard();
  const std::vector<std::pair<int, double>> table = {
      {-1, 0.5}, {0, 0.5}, {1, 1.0}, {2, 2.0}, {3, 4.0}, {4, 8.0}, {5, 8.0}, {40, 8.0}};
  for (auto [attempt, seconds] : table) EXPECT_DOUBLE_EQ(standard.delay(attempt), seconds) << attempt;
  EXPECT_DOUBLE_EQ((BackoffSchedule{10.0, 1.0}).delay(0), 10.0) << "attempts below 1 are not capped";
}

TEST(ConnectionStateValue, ComparesCaseAndAttempt) {
  EXPECT_EQ(ConnectionState::reconnecting(2), ConnectionState::reconnecting(2));
  EXPECT_NE(ConnectionState::reconnecting(2), ConnectionState::reconnecting(3));
  EXPECT_NE(ConnectionState::idle(), ConnectionState::connecting());
  EXPECT_EQ(ConnectionState::reconnecting(3).debugName(), "reconnecting(3)");
}
