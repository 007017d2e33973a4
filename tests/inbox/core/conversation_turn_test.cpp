#include "inbox/core/conversation_turn.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "control_plane/core/decoding_error.h"

namespace vesket::inbox {
namespace {

using nlohmann::json;

TEST(ContentBlock, DecodesByType) {
  struct Case {
    const char* name;
    json input;
    ContentBlock block;
  };
  const std::vector<Case> cases = {
      {"text", {{"type", "text"}, {"text", "hello"}}, ContentBlock::text("hello")},
      {"thinking", {{"type", "thinking"}, {"thinking", "hmm"}, {"signature", "x"}},
       ContentBlock::thinking("hmm")},
      {"tool use",
       {{"type", "tool_use"}, {"id", "t1"}, {"name", "Bash"}, {"input", {{"command", "ls"}, {"timeout", 5}}}},
       ContentBlock::toolUse("t1", "Bash", {{"command", "ls"}, {"timeout", 5}})},
      {"tool result with content", {{"type", "tool_result"}, {"tool_use_id", "t1"}, {"content", "ok"}},
       ContentBlock::toolResult("t1", "ok")},
      {"tool result without content", {{"type", "tool_result"}, {"tool_use_id", "t1"}, {"content", nullptr}},
       ContentBlock::toolResult("t1", std::nullopt)},
      {"image", {{"type", "image"}, {"source", {{"type", "base64"}, {"media_type", "image/png"}, {"data", "AAAA"}}}},
       ContentBlock::image("image/png", "AAAA")},
      {"image without media type", {{"type", "image"}, {"source", {{"data", "AAAA"}}}},
       ContentBlock::image(std::nullopt, "AAAA")},
      {"unknown type keeps it", {{"type", "server_tool_use"}, {"id", "x"}}, ContentBlock::unknown("server_tool_use")},
      {"missing type", {{"text", "orphan"}}, ContentBlock::unknown("unknown")},
      {"null type", {{"type", nullptr}}, ContentBlock::unknown("unknown")},
  };
  for (const Case& c : cases) {
    const ContentBlock decoded = ContentBlock::fromJson(c.input);
    EXPECT_EQ(decoded, c.block) << c.name;
    EXPECT_EQ(ContentBlock::fromJson(decoded.toJson()), decoded) << c.name << " round trip";
  }
}

TEST(ContentBlock, RejectsMalformedKnownBlocks) {
  struct Case {
    json input;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{{"type", "text"}}, "ContentBlock: required key 'text' is missing"},
      {{{"type", "text"}, {"text", 3}}, "ContentBlock.text: expected string, got number"},
      {{{"type", 7}}, "ContentBlock.type: expected string, got number"},
      {{{"type", "tool_use"}, {"id", "t"}, {"name", "n"}, {"input", "ls"}},
       "ContentBlock.input: expected object, got string"},
      {{{"type", "image"}}, "ContentBlock: required key 'source' is missing"},
      {json::array(), "ContentBlock: expected object, got array"},
  };
  for (const Case& c : cases) {
    try {
      ContentBlock::fromJson(c.input);
      ADD_FAILURE() << "no error for " << c.input.dump();
    } catch (const control_plane::DecodingError& error) {
      EXPECT_EQ(std::string(error.what()), c.message) << c.input.dump();
    }
  }
}

TEST(ConversationTurn, DecodesTurns) {
  const json input = json::parse(R"({
    "turnId": "u1", "role": "assistant", "timestamp": "2026-01-02T03:04:05Z",
    "blocks": [{"type": "text", "text": "Done."}, {"type": "tool_use", "id": "a", "name": "Read", "input": {}}]
  })");
  const ConversationTurn turn = ConversationTurn::fromJson(input);
  EXPECT_EQ(turn.turnId, "u1");
  EXPECT_EQ(turn.role, "assistant");
  EXPECT_EQ(turn.timestamp, "2026-01-02T03:04:05Z");
  ASSERT_EQ(turn.blocks.size(), 2u);
  EXPECT_EQ(turn.blocks[1].type(), "tool_use");
  EXPECT_EQ(ConversationTurn::fromJson(turn.toJson()), turn);

  EXPECT_THROW(ConversationTurn::fromJson(json{{"turnId", "x"}, {"blocks", json::array()}}),
               control_plane::DecodingError);
  const json noTimestamp = {{"turnId", "x"}, {"role", "user"}, {"blocks", json::array()}};
  EXPECT_FALSE(ConversationTurn::fromJson(noTimestamp).timestamp.has_value());
}

}  // namespace
}  // namespace vesket::inbox
