#include "crew/core/task_router.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace vesket::crew {

namespace {

std::string lowered(const std::string& text) {
  std::string out = text;
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// The words of the brief, lower case, split at anything but letters, digits, ':', '-', '_'.
std::vector<std::string> words(const std::string& brief) {
  std::vector<std::string> out;
  std::string current;
  for (const unsigned char c : lowered(brief)) {
    if (std::isalnum(c) || c == ':' || c == '-' || c == '_' || c >= 0x80) {
      current += static_cast<char>(c);
    } else if (!current.empty()) {
      out.push_back(std::move(current));
      current.clear();
    }
  }
  if (!current.empty()) out.push_back(std::move(current));
  return out;
}

bool contains(const std::vector<std::string>& all, std::initializer_list<const char*> any) {
  return std::any_of(all.begin(), all.end(), [&](const std::string& word) {
    return std::any_of(any.begin(), any.end(), [&](const char* wanted) { return word == wanted; });
  });
}

constexpr int kPreferenceBonus = 1000;

}  // namespace

TaskProfile TaskProfile::of(const std::string& brief) {
  TaskProfile profile;
  const auto all = words(brief);
  bool difficultySaid = false;
  for (const auto& word : all) {
    if (word.rfind("difficulty:", 0) == 0) {
      if (auto said = parseRoutingDifficulty(word.substr(11))) {
        profile.difficulty = *said;
        difficultySaid = true;
      }
    } else if (word.rfind("class:", 0) == 0 && !profile.tag) {
      profile.tag = DefaultTagForClass::tag(word.substr(6));
    } else if (word.rfind("tag:", 0) == 0 && !profile.tag) {
      profile.tag = tagKeyFromRaw(word.substr(4));
    }
  }
  if (!difficultySaid) {
    const std::string text = lowered(brief);
    if (text.find("[heavy]") != std::string::npos) profile.difficulty = RoutingDifficulty::heavy;
    else if (text.find("[light]") != std::string::npos) profile.difficulty = RoutingDifficulty::light;
    else if (contains(all, {"typo", "rename", "trivial", "small", "quick", "bump"})) profile.difficulty = RoutingDifficulty::light;
    else if (contains(all, {"architecture", "redesign", "rewrite", "migrate", "migration", "concurrency", "race"}))
      profile.difficulty = RoutingDifficulty::heavy;
  }
  if (!profile.tag) {
    // The more specific classes first: "fix the merge conflict" is a merge, not a bug fix.
    if (contains(all, {"conflict", "conflicts", "rebase"})) profile.tag = TagKey::merge;
    else if (contains(all, {"deploy", "rollout", "restart"})) profile.tag = TagKey::deploy;
    else if (contains(all, {"release", "publish", "tag"})) profile.tag = TagKey::release;
    else if (contains(all, {"everywhere", "sweep", "all-sites", "across"})) profile.tag = TagKey::sweep;
    else if (contains(all, {"why", "investigate", "investigation", "debug", "crash", "crashes", "broke", "broken", "bug", "bugfix", "regression"}))
      profile.tag = TagKey::rca;
    else if (contains(all, {"test", "tests", "build", "verify", "compile", "ci", "check"})) profile.tag = TagKey::verify;
    else if (contains(all, {"design", "redesign", "architecture", "plan", "propose", "doc", "docs", "document", "recommend", "spec"}))
      profile.tag = TagKey::design;
    else if (contains(all, {"implement", "add", "write", "refactor", "change", "feature", "fix"})) profile.tag = TagKey::codegen;
  }
  return profile;
}

RoutingChoice chooseWorker(const RoutingConfig& config, const std::vector<RoutableWorker>& workers,
                           const TaskProfile& task) {
  struct Candidate {
    const RoutableWorker* worker;
    int score;
    bool main;
    std::size_t order;
  };
  std::vector<Candidate> configured;
  std::vector<Candidate> unconfigured;
  std::size_t free = 0;
  for (std::size_t i = 0; i < workers.size(); ++i) {
    const auto& worker = workers[i];
    if (worker.busy) continue;
    ++free;
    const bool known = routingAgentKindFromRaw(worker.kind).has_value();
    const auto entry = config.agents.find(worker.kind);
    if (!known || entry == config.agents.end()) {
      // A kind outside the routing vocabulary: a fallback with no weight.
      if (!known) unconfigured.push_back({&worker, 0, false, i});
      continue;
    }
    const RoutingAgentConfig& agent = entry->second;
    if (!agent.enabled || agent.maxDifficulty < task.difficulty) continue;
    int score = agent.weight;
    if (config.capabilityFitEnabled.value_or(false) && task.tag) {
      const auto& preferred = TagPoolRegistry::record(*task.tag).preferredKinds;
      for (std::size_t rank = 0; rank < preferred.size(); ++rank) {
        if (preferredAgentKindRaw(preferred[rank]) == worker.kind) {
          // The first preferred kind wins over the later ones whatever their weights.
          score += kPreferenceBonus * static_cast<int>(preferred.size() - rank);
          break;
        }
      }
    }
    configured.push_back({&worker, score, worker.kind == config.main, i});
  }
  auto& pool = configured.empty() ? unconfigured : configured;
  if (pool.empty()) {
    if (free == 0) return {std::nullopt, "every worker of the team is busy"};
    return {std::nullopt, "no free worker runs an agent kind that is enabled for " +
                              routingDifficultyRaw(task.difficulty) + " tasks"};
  }
  const auto best = std::min_element(pool.begin(), pool.end(), [](const Candidate& a, const Candidate& b) {
    if (a.score != b.score) return a.score > b.score;
    if (a.main != b.main) return a.main;
    return a.order < b.order;
  });
  std::string reason = best->worker->kind + " (weight " + std::to_string(best->score) + ") for a " +
                       routingDifficultyRaw(task.difficulty) + " task";
  if (&pool == &unconfigured) reason = best->worker->kind + ": no configured agent kind is free";
  return {best->worker->paneId, reason};
}

}  // namespace vesket::crew
