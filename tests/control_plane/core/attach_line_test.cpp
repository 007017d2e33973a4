#include "control_plane/core/attach_line.h"

#include <gtest/gtest.h>

#include <string>

namespace vesket::control_plane {
namespace {

const std::string kAttach = "A77AC4E0-0000-4000-8000-000000000001";

// The classification as text, so that a table can state it.
std::string classify(const std::string& line) {
  const AttachLine kind = classifyAttachLine(line, kAttach);
  if (std::holds_alternative<AttachIgnore>(kind)) return "ignore";
  if (std::holds_alternative<AttachDone>(kind)) return "done";
  if (const auto* output = std::get_if<AttachOutput>(&kind)) return "output:" + output->bytes;
  const auto& failure = std::get<AttachFailure>(kind);
  return (failure.kind == AttachFailure::Kind::requestFailed ? "failed:" : "protocol:") + failure.message;
}

TEST(AttachLine, ClassifiesEveryKindOfLine) {
  const std::string id = "\"" + kAttach + "\"";
  const struct {
    std::string line;
    std::string expected;
  } cases[] = {
      {R"({"id":)" + id + R"(,"ok":true,"event":{"data":"aGk="}})", "output:hi"},
      {R"({"id":)" + id + R"(,"ok":true,"event":{"data":""}})", "output:"},
      {R"({"id":)" + id + R"(,"ok":true,"event":{"data":"aGk"}})",
       "protocol:protocol error: terminal-attach: event.data not valid base64"},
      {R"({"id":)" + id + R"(,"ok":true,"event":{"data":"a Gk="}})",
       "protocol:protocol error: terminal-attach: event.data not valid base64"},
      {R"({"id":)" + id + R"(,"done":true})", "done"},
      {R"({"id":)" + id + R"(,"ok":true,"done":true})", "done"},
      {R"({"id":)" + id + R"(})", "ignore"},
      {R"({"id":)" + id + R"(,"ok":false,"error":"pane %9 not found"})", "failed:pane %9 not found"},
      {R"({"id":)" + id + R"(,"ok":false})", "failed:terminal-attach failed"},
      // Replies to input frames, and lines without an id: only a refusal matters.
      {R"({"id":"INPUT-1","ok":true,"data":{}})", "ignore"},
      {R"({"id":"INPUT-1"})", "ignore"},
      {R"({"id":"INPUT-1","ok":false,"error":"session gone"})", "failed:session gone"},
      {R"({"ok":false})", "failed:terminal input rejected; reattach required"},
      {R"({"id":"INPUT-1","done":true})", "ignore"},
      // Undecodable lines are ignored; an undecodable event is a protocol error.
      {"not json", "ignore"},
      {R"({"id":7,"ok":false})", "ignore"},
      {R"({"id":)" + id + R"(,"ok":true,"event":{"bytes":"aGk="}})",
       "protocol:EventEnvelope.event: required key 'data' is missing"},
      {R"({"id":)" + id + R"(,"ok":true})", "protocol:EventEnvelope: required key 'event' is missing"},
      {R"({"id":)" + id + R"(,"ok":true,"event":{"data":5}})",
       "protocol:EventEnvelope.event.data: expected string, got number"},
  };
  for (const auto& c : cases) EXPECT_EQ(classify(c.line), c.expected) << c.line;
}

}  // namespace
}  // namespace vesket::control_plane
