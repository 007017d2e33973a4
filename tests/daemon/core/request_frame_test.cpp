#include "daemon/core/request_frame.h"

#include <gtest/gtest.h>

#include "daemon/core/reply_line.h"

namespace vesket::daemon {
namespace {

struct RejectCase {
  const char* line;
  std::optional<std::string> id;
  const char* error;
};

TEST(RequestFrameTest, RejectsMalformedLinesWithAClearError) {
  const RejectCase cases[] = {
      {"not json", std::nullopt, "malformed request: not valid JSON"},
      {"{\"id\":\"a\"", std::nullopt, "malformed request: not valid JSON"},
      {"[1,2]", std::nullopt, "malformed request: expected a JSON object"},
      {"\"text\"", std::nullopt, "malformed request: expected a JSON object"},
      {"{\"cmd\":\"ping\"}", std::nullopt, "malformed request: 'id' must be a non-empty string"},
      {"{\"id\":7,\"cmd\":\"ping\"}", std::nullopt, "malformed request: 'id' must be a non-empty string"},
      {"{\"id\":\"\",\"cmd\":\"ping\"}", std::nullopt, "malformed request: 'id' must be a non-empty string"},
      {"{\"id\":\"A\"}", "A", "malformed request: 'cmd' must be a non-empty string"},
      {"{\"id\":\"A\",\"cmd\":3}", "A", "malformed request: 'cmd' must be a non-empty string"},
      {"{\"id\":\"A\",\"cmd\":\"ping\",\"args\":[]}", "A", "malformed request: 'args' must be an object"},
      {"{\"id\":\"A\",\"cmd\":\"ping\",\"args\":\"x\"}", "A", "malformed request: 'args' must be an object"},
      {"{\"id\":\"A\",\"cmd\":\"ping\",\"token\":5}", "A", "malformed request: 'token' must be a string"},
      {"{\"id\":\"A\",\"cmd\":\"ping\"} trailing", std::nullopt, "malformed request: not valid JSON"},
      {"{\"id\":\"A\",\"cmd\":\"\xff\"}", std::nullopt, "malformed request: not valid UTF-8"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const auto result = parseRequestFrame(c.line);
    ASSERT_TRUE(std::holds_alternative<RequestRejection>(result));
    EXPECT_EQ(std::get<RequestRejection>(result), (RequestRejection{c.id, c.error}));
  }
}

// Bounds are checked while the line is only scanned; the id read before the scan stopped
// still names the request.
TEST(RequestFrameTest, RefusesLinesPastTheirBounds) {
  const auto nested = [](std::size_t depth) {
    return "{\"id\":\"N\",\"cmd\":\"ping\",\"args\":{\"a\":" + std::string(depth, '[') + std::string(depth, ']') + "}}";
  };
  // The frame and `args` are two levels of the 32.
  EXPECT_TRUE(std::holds_alternative<RequestFrame>(parseRequestFrame(nested(30))));
  EXPECT_EQ(std::get<RequestRejection>(parseRequestFrame(nested(31))),
            (RequestRejection{"N", "malformed request: nested deeper than 32 levels"}));
  // The line that once took the daemon down: 150,000 levels.
  EXPECT_EQ(std::get<RequestRejection>(parseRequestFrame(nested(150000))),
            (RequestRejection{"N", "malformed request: nested deeper than 32 levels"}));
  EXPECT_EQ(std::get<RequestRejection>(parseRequestFrame(std::string(8 * 1024 * 1024, '['))),
            (RequestRejection{std::nullopt, "malformed request: expected a JSON object"}));

  const RequestLimits few{32, 8};
  EXPECT_TRUE(std::holds_alternative<RequestFrame>(parseRequestFrame(R"({"id":"V","cmd":"x","args":{"a":[1,2,3]}})", few)));
  EXPECT_EQ(std::get<RequestRejection>(parseRequestFrame(R"({"id":"V","cmd":"x","args":{"a":[1,2,3,4,5,6]}})", few)),
            (RequestRejection{"V", "malformed request: more than 8 values"}));
}

TEST(RequestFrameTest, HeadIsReadWithoutTheArguments) {
  const std::string line = R"({"args":{"text":"long"},"token":"t","cmd":"send","id":"H"})";
  const auto head = readRequestHead(line);
  ASSERT_TRUE(std::holds_alternative<RequestHead>(head));
  EXPECT_EQ(std::get<RequestHead>(head), (RequestHead{"H", "send", "t"}));
  EXPECT_EQ(completeRequestFrame(std::get<RequestHead>(head), line),
            (RequestFrame{"H", "send", {{"text", "long"}}, "t"}));
}

TEST(RequestFrameTest, ReadsWellFormedFrames) {
  auto full = parseRequestFrame(
      R"({"id":"B","cmd":"send","args":{"paneId":"%1","text":"hi"},"token":"t","extra":1})");
  ASSERT_TRUE(std::holds_alternative<RequestFrame>(full));
  const auto& frame = std::get<RequestFrame>(full);
  EXPECT_EQ(frame.id, "B");
  EXPECT_EQ(frame.cmd, "send");
  EXPECT_EQ(frame.args, (nlohmann::json{{"paneId", "%1"}, {"text", "hi"}}));
  EXPECT_EQ(frame.token, "t");

  // The cancel line of a stream has neither args nor token; null reads as absent.
  for (const char* line : {R"({"id":"C","cmd":"cancel"})", R"({"id":"C","cmd":"cancel","args":null,"token":null})"}) {
    auto cancel = parseRequestFrame(line);
    ASSERT_TRUE(std::holds_alternative<RequestFrame>(cancel)) << line;
    EXPECT_EQ(std::get<RequestFrame>(cancel),
              (RequestFrame{"C", "cancel", nlohmann::json::object(), std::nullopt}));
  }
}

TEST(ReplyLineTest, EncodesEachLineKindAsOneCompactLine) {
  EXPECT_EQ(ReplyLine::data("A", {{"alive", true}}), "{\"data\":{\"alive\":true},\"id\":\"A\",\"ok\":true}\n");
  EXPECT_EQ(ReplyLine::failure("A", "boom"), "{\"error\":\"boom\",\"id\":\"A\",\"ok\":false}\n");
  EXPECT_EQ(ReplyLine::failure(std::nullopt, "bad"), "{\"error\":\"bad\",\"id\":null,\"ok\":false}\n");
  EXPECT_EQ(ReplyLine::event("W", {{"type", "snapshot"}}),
            "{\"event\":{\"type\":\"snapshot\"},\"id\":\"W\",\"ok\":true}\n");
  EXPECT_EQ(ReplyLine::done("W"), "{\"done\":true,\"id\":\"W\"}\n");
}

TEST(ReplyLineTest, InvalidUtf8InPaneTextDoesNotBreakTheReply) {
  const std::string content = std::string("ok \xff\xfe end\nline2");
  const std::string line = ReplyLine::data("A", {{"content", content}});
  ASSERT_EQ(line.back(), '\n');
  EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line only";
  const auto parsed = nlohmann::json::parse(line);
  EXPECT_EQ(parsed["data"]["content"], "ok \xEF\xBF\xBD\xEF\xBF\xBD end\nline2");
}

}  // namespace
}  // namespace vesket::daemon
