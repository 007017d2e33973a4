// The bookkeeping of the awaiting sweep, kept apart from the store that schedules it: what
// one capture means for a pane's badge, how a sweep's outcomes update the last known
// prompts, and when the published set of awaiting panes changed.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "viewer/core/awaiting_prompt.h"

namespace vesket::control_plane {
struct AgentPromptRow;
}

namespace vesket::viewer {

// What a sweep concluded about one pane.
struct DetectOutcome {
  enum class Kind { awaiting, keep, notAwaiting };
  Kind kind = Kind::keep;
  std::optional<AwaitingPrompt> prompt;  // set for `awaiting` only

  static DetectOutcome awaiting(AwaitingPrompt prompt) { return {Kind::awaiting, std::move(prompt)}; }
  static DetectOutcome keep() { return {Kind::keep, std::nullopt}; }
  static DetectOutcome notAwaiting() { return {Kind::notAwaiting, std::nullopt}; }
  bool operator==(const DetectOutcome&) const = default;
};

namespace PaneAwaitingSweep {

inline constexpr std::chrono::milliseconds kDefaultPollInterval{1500};
// A long pane list is swept at most at 8 panes a second.
inline constexpr std::chrono::milliseconds kPerPane{125};

// The pause after a sweep of `panesSwept` panes: max(pollInterval, 0.125 s x panes).
std::chrono::milliseconds sweepDelay(std::chrono::milliseconds pollInterval,
                                     std::size_t panesSwept);

// A failed or empty capture keeps what was known; otherwise the markers decide.
DetectOutcome outcome(const std::optional<std::string>& capture);

using Capture = std::pair<std::string, std::optional<std::string>>;  // pane id, text
using PaneOutcome = std::pair<std::string, DetectOutcome>;
// Detection over a whole sweep's captures, in order; pure, so it may run on any thread.
std::vector<PaneOutcome> outcomes(const std::vector<Capture>& captures);

}  // namespace PaneAwaitingSweep

// A prompt a pane's agent reported itself through its hooks (the daemon passes it on in
// the pane record), beside the markers found in the pane's text.
struct AgentReportedPrompt {
  AwaitingPrompt prompt;
  bool waitingForMessage = false;  // the agent only idles at its input prompt

  // From the pane record's row; an unknown style reads as free text.
  static AgentReportedPrompt fromRow(const control_plane::AgentPromptRow& row);
  bool operator==(const AgentReportedPrompt&) const = default;
};

// The prompts known per pane and the published view of them. Two sources are merged: the
// markers the sweep finds in pane text, and the prompts agents report through their hooks.
// For one pane the agent's prompt wins (its dialog is what the agent shows right now),
// except that a marker wins over an agent that only waits for its next message: the
// marker's question is what that message should answer.
class PaneAwaitingState {
 public:
  using PromptMap = std::map<std::string, AwaitingPrompt>;

  // Drops the prompts of panes not in `paneIds`; true when that removed any (publish then).
  bool setPaneIds(const std::vector<std::string>& paneIds);
  // Applies a sweep's outcomes in order: `awaiting` stores the prompt, `notAwaiting`
  // removes the pane's entry, `keep` changes nothing.
  void apply(const std::vector<PaneAwaitingSweep::PaneOutcome>& outcomes);
  // Replaces the agents' own prompts (all of them, from the latest pane list); true when
  // that changed anything (publish then).
  bool setAgentPrompts(std::map<std::string, AgentReportedPrompt> prompts);
  // Merges the last known prompts and the agents' prompts into the published ones; true
  // when the set of awaiting panes changed (a changed prompt of a pane that stays awaiting
  // is not a set change).
  bool publish();

  const PromptMap& lastKnown() const { return m_lastKnown; }
  const std::map<std::string, AgentReportedPrompt>& agentPrompts() const { return m_agentPrompts; }
  const PromptMap& prompts() const { return m_prompts; }
  const std::set<std::string>& awaitingPaneIds() const { return m_awaitingPaneIds; }
  bool isAwaiting(const std::string& paneId) const { return m_awaitingPaneIds.contains(paneId); }

 private:
  PromptMap m_lastKnown;
  std::map<std::string, AgentReportedPrompt> m_agentPrompts;
  PromptMap m_prompts;
  std::set<std::string> m_awaitingPaneIds;
};

}  // namespace vesket::viewer
