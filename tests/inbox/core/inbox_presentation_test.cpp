// The change stream's lines, answer markers, jump targets, waiting counts and the reasons
// a decision could not be answered.
#include <gtest/gtest.h>

#include "inbox/core/inbox_presentation.h"
#include "inbox/core/inbox_stream_parser.h"

namespace vesket::inbox {
namespace {

TEST(InboxStreamParserTest, OnlyDataUnderInboxMessageEventsSignal) {
  InboxStreamParser parser;
  EXPECT_EQ(parser.feed(": connected\n\nevent: task\ndata: {}\n\n"), 0);
  EXPECT_EQ(parser.feed("event: inbox-message\ndata: {\"slug\":\"a\"}\ndata: {}\n\n"), 2);
  // Split anywhere, CRLF endings, a heartbeat between.
  EXPECT_EQ(parser.feed("event:  inbox-mes"), 0);
  EXPECT_EQ(parser.feed("sage\r\n: heartbeat\r\nda"), 0);
  EXPECT_EQ(parser.feed("ta: x\r\n"), 1);
  EXPECT_EQ(parser.feed("event: notification\ndata: {}\n"), 0);
  // Garbage, binary and an overlong line are no signals and no crash.
  EXPECT_EQ(parser.feed(std::string("\0\xff\xfe\n", 4)), 0);
  EXPECT_EQ(parser.feed("event: inbox-message\n" + std::string(InboxStreamParser::kMaxLineBytes + 10, 'x')), 0);
  EXPECT_EQ(parser.feed("data: tail-of-overlong\ndata: real\n"), 1);
}

InboxMessage outgoing(std::string state, bool failed = false) {
  InboxMessage message;
  message.direction = "out";
  message.isFailed = failed;
  message.answer = InboxAnswer{std::move(state), {}};
  return message;
}

TEST(InboxPresentationTest, MarkersFollowTheAnswerState) {
  using Tone = InboxAnswerMarker::Tone;
  const struct {
    const char* state;
    const char* key;  // nullptr: no marker
    Tone tone;
  } cases[] = {
      {"pending", nullptr, Tone::muted},
      {"working", "macos.inbox_view.answer_working", Tone::muted},
      {"failed", "macos.inbox_view.answer_failed", Tone::error},
      {"waitingOnYou", "macos.inbox_view.answer_waiting_on_you", Tone::attention},
      {"noAnswer", "macos.inbox_view.answer_no_answer", Tone::attention},
      {"notDelivered", "macos.inbox_view.answer_not_delivered", Tone::error},
      {"somethingNew", nullptr, Tone::muted},
  };
  for (const auto& c : cases) {
    const auto marker = InboxAnswerMarker::marker(outgoing(c.state));
    ASSERT_EQ(marker.has_value(), c.key != nullptr) << c.state;
    if (marker) {
      EXPECT_EQ(marker->labelKey, c.key);
      EXPECT_EQ(marker->tone, c.tone);
    }
  }
  EXPECT_FALSE(InboxAnswerMarker::marker(outgoing("answered", true)));
  InboxMessage incoming = outgoing("answered");
  incoming.direction = "in";
  EXPECT_FALSE(InboxAnswerMarker::marker(incoming));
}

TEST(InboxPresentationTest, JumpTargetsAndWaitingCounts) {
  std::vector<InboxMessage> loaded(3);
  loaded[0].id = 1;
  loaded[1].id = 2;
  loaded[2].id = 3;
  InboxMessage reply;
  reply.payload = InboxPayload{};
  reply.payload->re = 2;
  EXPECT_EQ(jumpTarget(reply, loaded), 2);
  reply.payload->re = 9;
  EXPECT_EQ(jumpTarget(reply, loaded), std::nullopt);
  InboxMessage asked = outgoing("answered");
  asked.answer->cardIds = {1, 3, 7};
  EXPECT_EQ(jumpTarget(asked, loaded), 3);  // the last one that is loaded

  InboxThread thread;
  EXPECT_EQ(waitingCount(thread), 0);
  thread.waitingCount = 5;
  EXPECT_EQ(waitingCount(thread), 5);
  thread.ended = true;
  EXPECT_EQ(waitingCount(thread), 0);
  thread.ended = false;
  thread.waitingCount = -2;
  EXPECT_EQ(waitingCount(thread), 0);
}

TEST(InboxPresentationTest, DecisionFailuresAreClassified) {
  using T = DecisionAnswerError::Transport;
  using F = DecisionAnswerFailure;
  EXPECT_EQ(classifyDecisionFailure({T::notConnected, 0, "", ""}), F::offline);
  EXPECT_EQ(classifyDecisionFailure({T::connectionLost, 0, "", ""}), F::offline);
  EXPECT_EQ(classifyDecisionFailure({T::timedOut, 0, "", ""}), F::timeout);
  EXPECT_EQ(classifyDecisionFailure({T::none, 409, "decision_expired", ""}), F::expired);
  EXPECT_EQ(classifyDecisionFailure({T::none, 409, "decision_already_decided", ""}), std::nullopt);
  EXPECT_EQ(classifyDecisionFailure({T::none, 400, "", "this message is not open for a decision"}), std::nullopt);
  EXPECT_EQ(classifyDecisionFailure({T::none, 500, "", "boom"}), F::unavailable);
  Decision decided;
  decided.state = "decided";
  EXPECT_EQ(afterRefresh(decided), F::alreadyDecided);
  decided.state = "withdrawn";
  EXPECT_EQ(afterRefresh(decided), F::withdrawn);
  EXPECT_EQ(afterRefresh(std::nullopt), F::unavailable);
  EXPECT_EQ(decisionFailureKey(F::alreadyDecided), "macos.inbox_view.decision_failure_already_decided");
}

}  // namespace
}  // namespace vesket::inbox
