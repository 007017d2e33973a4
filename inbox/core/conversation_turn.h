#pragma once

// An agent's conversation as the relay returns it: turns of one role, each a list of
// content blocks (text, thinking, tool calls and their results, images). Block types this
// side does not know decode as `Unknown` carrying their type, so a newer relay never breaks
// the history.

#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "control_plane/core/json_value.h"

namespace vesket::inbox {

class ContentBlock {
 public:
  struct Text {
    std::string text;
    friend bool operator==(const Text&, const Text&) = default;
  };
  struct Thinking {
    std::string thinking;
    friend bool operator==(const Thinking&, const Thinking&) = default;
  };
  struct ToolUse {
    std::string id;
    std::string name;
    control_plane::JSONValue::Object input;  // free-form arguments of the call
    friend bool operator==(const ToolUse&, const ToolUse&) = default;
  };
  struct ToolResult {
    std::string toolUseId;  // "tool_use_id"
    std::optional<std::string> content;
    friend bool operator==(const ToolResult&, const ToolResult&) = default;
  };
  struct Image {
    std::optional<std::string> mediaType;  // "source"."media_type"
    std::string data;                      // "source"."data"
    friend bool operator==(const Image&, const Image&) = default;
  };
  struct Unknown {
    std::string type;  // "unknown" when the block had no type
    friend bool operator==(const Unknown&, const Unknown&) = default;
  };
  using Value = std::variant<Text, Thinking, ToolUse, ToolResult, Image, Unknown>;

  ContentBlock() : m_value(Unknown{"unknown"}) {}
  ContentBlock(Value value) : m_value(std::move(value)) {}

  // Out of line: g++ 12 reports optionals inside the variant as maybe-uninitialized when
  // these are inlined into brace-initialised lists.
  static ContentBlock text(std::string text);
  static ContentBlock thinking(std::string thinking);
  static ContentBlock toolUse(std::string id, std::string name, control_plane::JSONValue::Object input = {});
  static ContentBlock toolResult(std::string toolUseId, std::optional<std::string> content);
  static ContentBlock image(std::optional<std::string> mediaType, std::string data);
  static ContentBlock unknown(std::string type);

  const Value& value() const { return m_value; }
  template <class T>
  const T* as() const {
    return std::get_if<T>(&m_value);
  }
  // The block's "type" on the wire ("text", "tool_use", ... or the unknown type).
  std::string type() const;

  // Chosen by "type"; a known type with a missing or mistyped field throws DecodingError.
  static ContentBlock fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;

  friend bool operator==(const ContentBlock&, const ContentBlock&) = default;

 private:
  Value m_value;
};

struct ConversationTurn {
  std::string turnId;
  std::string role;
  std::optional<std::string> timestamp;
  std::vector<ContentBlock> blocks;

  static ConversationTurn fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const ConversationTurn&, const ConversationTurn&) = default;
};

}  // namespace vesket::inbox
