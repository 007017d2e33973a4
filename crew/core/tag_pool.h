#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vesket::crew {

// The classes of work a routed task can be matched to, in their listed order.
enum class TagKey { design, codegen, rca, sweep, merge, release, deploy, verify };

std::string tagKeyRaw(TagKey key);
std::optional<TagKey> tagKeyFromRaw(const std::string& raw);

// The agents a class of work prefers.
enum class PreferredAgentKind { claude, codex, cursor, agy, codebuddy, fable };

std::string preferredAgentKindRaw(PreferredAgentKind kind);
std::string preferredAgentKindLabel(PreferredAgentKind kind);

struct TagRecord {
  TagKey key;
  std::string label;
  std::string definition;
  std::vector<PreferredAgentKind> preferredKinds;  // most preferred first
};

namespace TagPoolRegistry {
const std::vector<TagRecord>& all();
const std::vector<TagKey>& orderedKeys();
const TagRecord& record(TagKey key);
}  // namespace TagPoolRegistry

// The tag a task class ("bugfix", "docs", ...) stands for by default.
namespace DefaultTagForClass {
std::optional<TagKey> tag(const std::optional<std::string>& taskClass);
}

}  // namespace vesket::crew
