// Mutated and random request lines never throw out of the frame parser, and whatever it
// accepts holds what the connection relies on.
#include <random>

#include <gtest/gtest.h>

#include "daemon/core/command_args.h"
#include "daemon/core/command_error.h"
#include "daemon/core/reply_line.h"
#include "daemon/core/request_frame.h"

namespace vesket::daemon {
namespace {

TEST(RequestFrameRobustnessTest, MutatedLinesAreAnsweredNeverThrown) {
  const std::string seeds[] = {
      R"({"id":"A","cmd":"send","args":{"paneId":"%1","text":"hi","clientRequestId":"x"},"token":"t"})",
      R"({"id":"B","cmd":"answer","args":{"paneId":"%2","choices":[1,2,3]}})",
      R"({"id":"C","cmd":"send-image","args":{"paneId":"%3","images":[{"base64":"AAAA","ext":"png"}]}})",
      R"({"id":"D","cmd":"cancel"})",
  };
  const char alphabet[] = "{}[]\":,\\0123456789eE+-.truefalsnl%abcxyz \t\x7f\xc3\xa9\xff";
  std::mt19937 random(20261206);
  int accepted = 0;
  for (int round = 0; round < 60000; ++round) {
    std::string line = seeds[round % 4];
    const int edits = 1 + static_cast<int>(random() % 6);
    for (int e = 0; e < edits && !line.empty(); ++e) {
      const std::size_t at = random() % line.size();
      switch (random() % 3) {
        case 0: line.erase(at, 1 + random() % 3); break;
        case 1: line.insert(at, 1, alphabet[random() % (sizeof(alphabet) - 1)]); break;
        default: line[at] = alphabet[random() % (sizeof(alphabet) - 1)]; break;
      }
    }
    std::variant<RequestFrame, RequestRejection> result;
    ASSERT_NO_THROW(result = parseRequestFrame(line)) << line;
    if (auto* frame = std::get_if<RequestFrame>(&result)) {
      ++accepted;
      EXPECT_FALSE(frame->id.empty());
      EXPECT_FALSE(frame->cmd.empty());
      EXPECT_TRUE(frame->args.is_object());
      // Argument checks fail with CommandError only, never anything else.
      const CommandArgs args(frame->cmd, frame->args);
      try {
        args.optionalPaneId();
        args.optionalString("text");
        args.optionalIntegerArray("choices", 1, 99);
        args.optionalInteger("choice", 1, 99);
      } catch (const CommandError&) {
      }
      EXPECT_NO_THROW(ReplyLine::failure(frame->id, "x"));
    } else {
      const auto& rejection = std::get<RequestRejection>(result);
      EXPECT_FALSE(rejection.error.empty());
      EXPECT_NO_THROW(ReplyLine::failure(rejection.id, rejection.error));
    }
  }
  EXPECT_GT(accepted, 1000) << "the mutations should leave many lines well-formed";
}

}  // namespace
}  // namespace vesket::daemon
