#include "inbox/core/conversation_turn.h"

#include <nlohmann/json.hpp>

#include "control_plane/core/json_codec.h"

namespace vesket::inbox {

namespace codec = control_plane::json_codec;

namespace {

using Block = ContentBlock;

// The "source" object of an image block.
struct ImageSource {
  std::optional<std::string> mediaType;
  std::string data;
};

constexpr auto kText = codec::record<Block::Text>("ContentBlock", codec::field("text", &Block::Text::text));
constexpr auto kThinking =
    codec::record<Block::Thinking>("ContentBlock", codec::field("thinking", &Block::Thinking::thinking));
constexpr auto kToolUse = codec::record<Block::ToolUse>(
    "ContentBlock", codec::field("id", &Block::ToolUse::id), codec::field("name", &Block::ToolUse::name),
    codec::field("input", &Block::ToolUse::input));
constexpr auto kToolResult = codec::record<Block::ToolResult>(
    "ContentBlock", codec::field("tool_use_id", &Block::ToolResult::toolUseId),
    codec::field("content", &Block::ToolResult::content));
constexpr auto kImageSource = codec::record<ImageSource>(
    "ContentBlock.source", codec::field("media_type", &ImageSource::mediaType),
    codec::field("data", &ImageSource::data));
constexpr auto kTurn = codec::record<ConversationTurn>(
    "ConversationTurn", codec::field("turnId", &ConversationTurn::turnId),
    codec::field("role", &ConversationTurn::role), codec::field("timestamp", &ConversationTurn::timestamp),
    codec::field("blocks", &ConversationTurn::blocks));

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;  // clang 14 (the fuzz build) does not deduce it

}  // namespace

ContentBlock ContentBlock::text(std::string text) { return ContentBlock(Text{std::move(text)}); }
ContentBlock ContentBlock::thinking(std::string thinking) { return ContentBlock(Thinking{std::move(thinking)}); }
ContentBlock ContentBlock::toolUse(std::string id, std::string name, control_plane::JSONValue::Object input) {
  return ContentBlock(ToolUse{std::move(id), std::move(name), std::move(input)});
}
ContentBlock ContentBlock::toolResult(std::string toolUseId, std::optional<std::string> content) {
  return ContentBlock(ToolResult{std::move(toolUseId), std::move(content)});
}
ContentBlock ContentBlock::image(std::optional<std::string> mediaType, std::string data) {
  return ContentBlock(Image{std::move(mediaType), std::move(data)});
}
ContentBlock ContentBlock::unknown(std::string type) { return ContentBlock(Unknown{std::move(type)}); }

std::string ContentBlock::type() const {
  return std::visit(Overloaded{
                        [](const Text&) -> std::string { return "text"; },
                        [](const Thinking&) -> std::string { return "thinking"; },
                        [](const ToolUse&) -> std::string { return "tool_use"; },
                        [](const ToolResult&) -> std::string { return "tool_result"; },
                        [](const Image&) -> std::string { return "image"; },
                        [](const Unknown& unknown) { return unknown.type; },
                    },
                    m_value);
}

ContentBlock ContentBlock::fromJson(const nlohmann::json& json) {
  if (!json.is_object()) codec::detail::failType(json, "object", "ContentBlock");
  std::string type = "unknown";
  if (const auto found = json.find("type"); found != json.end() && !found->is_null()) {
    try {
      codec::readValue(*found, type);
    } catch (const control_plane::DecodingError&) {
      codec::detail::rethrowAtKey("ContentBlock", "type");
    }
  }
  if (type == "text") return ContentBlock(kText.decode(json));
  if (type == "thinking") return ContentBlock(kThinking.decode(json));
  if (type == "tool_use") return ContentBlock(kToolUse.decode(json));
  if (type == "tool_result") return ContentBlock(kToolResult.decode(json));
  if (type == "image") {
    const auto source = json.find("source");
    if (source == json.end() || source->is_null()) codec::detail::failMissing("ContentBlock", "source");
    const ImageSource decoded = kImageSource.decode(*source);
    return ContentBlock(Image{decoded.mediaType, decoded.data});
  }
  return ContentBlock(Unknown{std::move(type)});
}

nlohmann::json ContentBlock::toJson() const {
  nlohmann::json json = std::visit(
      Overloaded{
          [](const Text& block) { return kText.encode(block); },
          [](const Thinking& block) { return kThinking.encode(block); },
          [](const ToolUse& block) { return kToolUse.encode(block); },
          [](const ToolResult& block) { return kToolResult.encode(block); },
          [](const Image& block) {
            return nlohmann::json{{"source", kImageSource.encode(ImageSource{block.mediaType, block.data})}};
          },
          [](const Unknown&) { return nlohmann::json::object(); },
      },
      m_value);
  json["type"] = type();
  return json;
}

ConversationTurn ConversationTurn::fromJson(const nlohmann::json& json) { return kTurn.decode(json); }
nlohmann::json ConversationTurn::toJson() const { return kTurn.encode(*this); }

}  // namespace vesket::inbox
