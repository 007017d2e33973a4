#include "crew/core/tag_pool.h"

#include <map>

namespace vesket::crew {

namespace {

struct KeyName {
  TagKey key;
  const char* raw;
};
constexpr KeyName kKeys[] = {{TagKey::design, "design"}, {TagKey::codegen, "codegen"}, {TagKey::rca, "rca"},
                             {TagKey::sweep, "sweep"},   {TagKey::merge, "merge"},     {TagKey::release, "release"},
                             {TagKey::deploy, "deploy"}, {TagKey::verify, "verify"}};

}  // namespace

std::string tagKeyRaw(TagKey key) {
  for (const auto& each : kKeys) {
    if (each.key == key) return each.raw;
  }
  return "design";
}

std::optional<TagKey> tagKeyFromRaw(const std::string& raw) {
  for (const auto& each : kKeys) {
    if (raw == each.raw) return each.key;
  }
  return std::nullopt;
}

std::string preferredAgentKindRaw(PreferredAgentKind kind) {
  switch (kind) {
    case PreferredAgentKind::claude: return "claude";
    case PreferredAgentKind::codex: return "codex";
    case PreferredAgentKind::cursor: return "cursor";
    case PreferredAgentKind::agy: return "agy";
    case PreferredAgentKind::codebuddy: return "codebuddy";
    case PreferredAgentKind::fable: return "fable";
  }
  return "claude";
}

std::string preferredAgentKindLabel(PreferredAgentKind kind) {
  switch (kind) {
    case PreferredAgentKind::claude: return "Claude";
    case PreferredAgentKind::codex: return "Codex";
    case PreferredAgentKind::cursor: return "Cursor";
    case PreferredAgentKind::agy: return "AGY";
    case PreferredAgentKind::codebuddy: return "CodeBuddy";
    case PreferredAgentKind::fable: return "Fable";
  }
  return "Claude";
}

namespace TagPoolRegistry {

const std::vector<TagRecord>& all() {
  using P = PreferredAgentKind;
  static const std::vector<TagRecord> records = {
      {TagKey::design, "Design",
       "Produces a decision, a written recommendation, or a doc. No code is written or changed. If the ask is "
       "\"what should we build,\" not \"build it.\"",
       {P::claude}},
      {TagKey::codegen, "Code change",
       "Writes new code or changes existing logic in a way that requires a judgment call about how to solve the "
       "problem \u2014 not just applying an already-decided pattern to an already-known site.",
       {P::claude}},
      {TagKey::rca, "Root-cause analysis",
       "Investigates why something broke or behaved unexpectedly \u2014 gathers evidence, tests hypotheses, and may "
       "have to discard the first plausible explanation. The output is an explanation, not necessarily a fix.",
       {P::fable, P::claude}},
      {TagKey::sweep, "Class-wide sweep",
       "Applies the SAME already-decided fix across many already-known call sites. The pattern and the site list "
       "are both given; the work is applying it correctly everywhere and not missing one.",
       {P::codebuddy, P::agy, P::claude}},
      {TagKey::merge, "Merge conflict",
       "Resolves a conflict between two already-written pieces of work landing on the same files \u2014 decide "
       "what to keep from each side, confirm the result still works.",
       {P::claude, P::codebuddy}},
      {TagKey::release, "Release cut",
       "Cuts and publishes a release artifact through an already-working release pipeline (fastlane, app store, "
       "package registry) and confirms the published artifact is the one that was actually built.",
       {P::agy, P::codebuddy, P::claude}},
      {TagKey::deploy, "Live deploy",
       "Builds a specific already-decided commit, installs it somewhere live, restarts the service, and confirms "
       "the restart actually took effect. No design decisions \u2014 the code to ship is already chosen.",
       {P::agy, P::codebuddy, P::claude}},
      {TagKey::verify, "Verify / build",
       "Compiles, runs a test suite, or checks that a specific already-built artifact matches what it's supposed "
       "to. Reads an error message and reports what it says; doesn't redesign around it.",
       {P::agy, P::codebuddy, P::claude}},
  };
  return records;
}

const std::vector<TagKey>& orderedKeys() {
  static const std::vector<TagKey> keys = [] {
    std::vector<TagKey> ordered;
    for (const auto& each : kKeys) ordered.push_back(each.key);
    return ordered;
  }();
  return keys;
}

const TagRecord& record(TagKey key) {
  for (const auto& each : all()) {
    if (each.key == key) return each;
  }
  return all().front();  // every key has a record; unreachable
}

}  // namespace TagPoolRegistry

namespace DefaultTagForClass {

std::optional<TagKey> tag(const std::optional<std::string>& taskClass) {
  static const std::map<std::string, TagKey> map = {
      {"investigation", TagKey::rca}, {"bugfix", TagKey::rca},    {"codegen", TagKey::codegen},
      {"refactor", TagKey::codegen},  {"test", TagKey::verify},   {"docs", TagKey::design},
  };
  if (!taskClass) return std::nullopt;
  const auto it = map.find(*taskClass);
  if (it == map.end()) return std::nullopt;
  return it->second;
}

}  // namespace DefaultTagForClass

}  // namespace vesket::crew
