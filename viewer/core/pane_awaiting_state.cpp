#include "viewer/core/pane_awaiting_state.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>

#include "control_plane/core/pane_entry.h"
#include "viewer/core/awaiting_detector.h"

namespace vesket::viewer {

namespace PaneAwaitingSweep {

std::chrono::milliseconds sweepDelay(std::chrono::milliseconds pollInterval,
                                     std::size_t panesSwept) {
  return std::max(pollInterval, kPerPane * static_cast<std::int64_t>(panesSwept));
}

DetectOutcome outcome(const std::optional<std::string>& capture) {
  if (!capture || capture->empty()) return DetectOutcome::keep();
  if (auto prompt = AwaitingDetector::detect(*capture)) {
    return DetectOutcome::awaiting(std::move(*prompt));
  }
  return DetectOutcome::notAwaiting();
}

std::vector<PaneOutcome> outcomes(const std::vector<Capture>& captures) {
  std::vector<PaneOutcome> out;
  out.reserve(captures.size());
  for (const auto& [paneId, text] : captures) out.emplace_back(paneId, outcome(text));
  return out;
}

}  // namespace PaneAwaitingSweep

AgentReportedPrompt AgentReportedPrompt::fromRow(const control_plane::AgentPromptRow& row) {
  AgentReportedPrompt out;
  out.prompt.id = row.id;
  out.prompt.question = row.question;
  for (const auto& option : row.options) {
    out.prompt.options.push_back(ApprovalOption{static_cast<int>(option.index), option.label, option.value});
  }
  out.prompt.selectionStyle =
      ApprovalSelectionStyles::fromRawValue(row.style).value_or(ApprovalSelectionStyle::freeTextPrompt);
  out.waitingForMessage = row.kind == "waiting";
  return out;
}

bool PaneAwaitingState::setAgentPrompts(std::map<std::string, AgentReportedPrompt> prompts) {
  if (prompts == m_agentPrompts) return false;
  m_agentPrompts = std::move(prompts);
  return true;
}

bool PaneAwaitingState::setPaneIds(const std::vector<std::string>& paneIds) {
  const std::unordered_set<std::string> listed(paneIds.begin(), paneIds.end());
  const std::size_t before = m_lastKnown.size();
  std::erase_if(m_lastKnown, [&](const auto& entry) { return !listed.contains(entry.first); });
  return m_lastKnown.size() != before;
}

void PaneAwaitingState::apply(const std::vector<PaneAwaitingSweep::PaneOutcome>& outcomes) {
  for (const auto& [paneId, outcome] : outcomes) {
    switch (outcome.kind) {
      case DetectOutcome::Kind::awaiting:
        m_lastKnown.insert_or_assign(paneId, *outcome.prompt);
        break;
      case DetectOutcome::Kind::notAwaiting:
        m_lastKnown.erase(paneId);
        break;
      case DetectOutcome::Kind::keep:
        break;
    }
  }
}

bool PaneAwaitingState::publish() {
  PromptMap merged = m_lastKnown;
  for (const auto& [paneId, reported] : m_agentPrompts) {
    if (reported.waitingForMessage && merged.contains(paneId)) continue;
    merged.insert_or_assign(paneId, reported.prompt);
  }
  std::set<std::string> ids;
  for (const auto& entry : merged) ids.insert(ids.end(), entry.first);
  m_prompts = std::move(merged);
  if (ids == m_awaitingPaneIds) return false;
  m_awaitingPaneIds = std::move(ids);
  return true;
}

}  // namespace vesket::viewer
