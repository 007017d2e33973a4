#pragma once

#include <optional>
#include <string>
#include <vector>

#include "crew/core/routing_config.h"
#include "crew/core/tag_pool.h"

namespace vesket::crew {

// What a task brief says about the work: how hard it is and which class of work it is.
// A brief may say so outright with words such as "difficulty:heavy" (or "[heavy]"),
// "class:bugfix" or "tag:rca"; otherwise its wording decides (a brief that asks why
// something broke is root-cause analysis, one that asks for a release is a release cut).
struct TaskProfile {
  RoutingDifficulty difficulty = RoutingDifficulty::standard;
  std::optional<TagKey> tag;

  static TaskProfile of(const std::string& brief);
  friend bool operator==(const TaskProfile&, const TaskProfile&) = default;
};

// One worker of a team as the router sees it.
struct RoutableWorker {
  std::string paneId;
  std::string kind;   // the agent kind it runs ("claude", "codex", "shell", ...)
  bool busy = false;  // holds a routed task already
};

struct RoutingChoice {
  std::optional<std::string> paneId;  // none: nobody can take the task
  std::string reason;                 // why this worker, or why nobody
};

// Picks the free worker for a task: only kinds the configuration enables and whose
// maximum difficulty reaches the task's take it; among them the highest weight wins, plus
// a bonus for a kind the task's class prefers when capability fit is on, then the main
// kind, then the first in team order. Kinds the configuration does not know (a plain
// shell, gemini) take a task only when no configured kind can.
RoutingChoice chooseWorker(const RoutingConfig& config, const std::vector<RoutableWorker>& workers,
                           const TaskProfile& task);

}  // namespace vesket::crew
