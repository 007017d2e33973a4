#include "inbox/core/inbox_presentation.h"

#include <map>

namespace vesket::inbox {

std::optional<InboxAnswerMarker> InboxAnswerMarker::marker(const InboxMessage& message) {
  if (message.direction != MessageDirection::out || message.isFailed || !message.answer) return std::nullopt;
  using T = Tone;
  static const std::map<std::string, InboxAnswerMarker, std::less<>> kMarkers = {
      {"working", {"macos.inbox_view.answer_working", "hourglass", T::muted}},
      {"answered", {"macos.inbox_view.answer_answered", "checkmark.circle", T::muted}},
      {"seen", {"macos.inbox_view.answer_seen", "eye", T::muted}},
      {"declined", {"macos.inbox_view.answer_declined", "xmark.circle", T::muted}},
      {"failed", {"macos.inbox_view.answer_failed", "exclamationmark.triangle", T::error}},
      {"waitingOnYou", {"macos.inbox_view.answer_waiting_on_you", "arrowshape.turn.up.left", T::attention}},
      {"noAnswer", {"macos.inbox_view.answer_no_answer", "clock", T::attention}},
      {"notDelivered", {"macos.inbox_view.answer_not_delivered", "exclamationmark.circle", T::error}},
  };
  const auto found = kMarkers.find(message.answer->state);
  if (found == kMarkers.end()) return std::nullopt;
  return found->second;
}

std::optional<double> jumpTarget(const InboxMessage& message, const std::vector<InboxMessage>& loaded) {
  auto isLoaded = [&](double id) {
    for (const InboxMessage& candidate : loaded) {
      if (candidate.id == id) return true;
    }
    return false;
  };
  if (message.payload && message.payload->re && isLoaded(*message.payload->re)) return message.payload->re;
  if (message.direction == MessageDirection::out && message.answer) {
    const auto& ids = message.answer->cardIds;
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
      if (isLoaded(*it)) return *it;
    }
  }
  return std::nullopt;
}

std::int64_t waitingCount(const InboxThread& thread) {
  if (thread.ended.value_or(false)) return 0;
  if (thread.waitingCount && *thread.waitingCount >= 0) return *thread.waitingCount;
  return 0;
}

std::string decisionFailureKey(DecisionAnswerFailure failure) {
  static constexpr const char* kNames[] = {"offline", "already_decided", "withdrawn", "expired", "timeout", "unavailable"};
  return std::string("macos.inbox_view.decision_failure_") + kNames[static_cast<int>(failure)];
}

std::optional<DecisionAnswerFailure> classifyDecisionFailure(const DecisionAnswerError& error) {
  using T = DecisionAnswerError::Transport;
  switch (error.transport) {
    case T::notConnected:
    case T::connectionLost: return DecisionAnswerFailure::offline;
    case T::timedOut: return DecisionAnswerFailure::timeout;
    case T::other: return DecisionAnswerFailure::unavailable;
    case T::none: break;
  }
  if (error.reason == "decision_expired") return DecisionAnswerFailure::expired;
  if (error.reason == "decision_already_decided" || error.reason == "decision_withdrawn" ||
      error.reason == "decision_not_open" || (error.status == 400 && error.message.find("not open") != std::string::npos)) {
    return std::nullopt;
  }
  return DecisionAnswerFailure::unavailable;
}

DecisionAnswerFailure afterRefresh(const std::optional<Decision>& refreshed) {
  if (refreshed && refreshed->state == DecisionState::decided) return DecisionAnswerFailure::alreadyDecided;
  if (refreshed && refreshed->state == DecisionState::withdrawn) return DecisionAnswerFailure::withdrawn;
  return DecisionAnswerFailure::unavailable;
}

}  // namespace vesket::inbox
