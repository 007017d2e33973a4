#pragma once

// What the inbox shows beside messages and threads: the marker of an outgoing message's
// answer state, the message a card jumps to, a thread's waiting count, and the reasons a
// decision could not be answered.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inbox/core/inbox_records.h"

namespace vesket::inbox {

struct InboxAnswerMarker {
  enum class Tone { muted, attention, error };
  std::string labelKey;
  std::string systemImage;
  Tone tone = Tone::muted;

  friend bool operator==(const InboxAnswerMarker&, const InboxAnswerMarker&) = default;

  // Only an outgoing message that did not fail and has an answer gets one ("pending" none).
  static std::optional<InboxAnswerMarker> marker(const InboxMessage& message);
};

// The message a card jumps to: the one its payload answers ("re") when loaded, else, for
// an outgoing message, the last loaded of the agent's answers ("cardIds").
std::optional<double> jumpTarget(const InboxMessage& message, const std::vector<InboxMessage>& loaded);
// 0 for an ended thread; else its waiting count when present and not negative; else 0.
std::int64_t waitingCount(const InboxThread& thread);

enum class DecisionAnswerFailure { offline, alreadyDecided, withdrawn, expired, timeout, unavailable };
// "macos.inbox_view.decision_failure_" + "offline", "already_decided", ...
std::string decisionFailureKey(DecisionAnswerFailure failure);

// What a failed answer was, as far as the store can tell before refreshing the decision.
struct DecisionAnswerError {
  enum class Transport { none, notConnected, connectionLost, timedOut, other };
  Transport transport = Transport::none;  // none: the relay answered
  int status = 0;
  std::string reason;
  std::string message;
};
// The failure at once, or nothing when the decision must be refreshed first (the relay says
// it is no longer open): then `afterRefresh` decides.
std::optional<DecisionAnswerFailure> classifyDecisionFailure(const DecisionAnswerError& error);
DecisionAnswerFailure afterRefresh(const std::optional<Decision>& refreshed);

}  // namespace vesket::inbox
