// The relay's inbox rules: thread slugs, previews, answering a decision once, and the
// bounded queue of a change-stream subscriber.
#include <gtest/gtest.h>

#include "relay_service/core/inbox_event_queue.h"
#include "relay_service/core/inbox_rules.h"

namespace vesket::relay_service {
namespace {

inbox::InboxMessage decisionMessage(std::optional<std::string> deadline = std::nullopt) {
  inbox::InboxMessage message;
  message.body = "Deploy?";
  inbox::Decision decision;
  decision.question = "Deploy?";
  decision.options = {{"yes", "Yes", std::nullopt}, {"no", "No", std::nullopt}};
  decision.deadline = std::move(deadline);
  message.payload = inbox::InboxPayload{};
  message.payload->decision = decision;
  return message;
}

TEST(InboxRulesTest, SlugsOfPanesAndNamedThreads) {
  EXPECT_EQ(InboxRules::paneSlug(3, "%12"), "pane-3-12");
  EXPECT_EQ(InboxRules::paneSlug(3, "12"), std::nullopt);
  EXPECT_EQ(InboxRules::paneSlug(3, "%1a"), std::nullopt);
  EXPECT_EQ(InboxRules::paneSlug(3, "%"), std::nullopt);
  EXPECT_EQ(InboxRules::namedSlug("Release-Crew"), "release-crew");
  EXPECT_EQ(InboxRules::namedSlug("a/b"), std::nullopt);
  EXPECT_EQ(InboxRules::namedSlug("pane-3-1"), std::nullopt);  // never another pane's thread
  EXPECT_EQ(InboxRules::namedSlug(".."), std::nullopt);
  EXPECT_EQ(InboxRules::namedSlug(std::string(65, 'a')), std::nullopt);
}

TEST(InboxRulesTest, PreviewIsOneShortLineThatNeverSplitsACharacter) {
  inbox::InboxMessage message = decisionMessage();
  message.body = "body";
  EXPECT_EQ(InboxRules::preview(message), "Deploy?");
  message.title = "Title\nsecond";
  EXPECT_EQ(InboxRules::preview(message), "Title second");
  message.title = std::string(199, 'a') + "é";  // the é's two bytes straddle the cut
  EXPECT_EQ(InboxRules::preview(message), std::string(199, 'a'));
}

TEST(InboxRulesTest, ADecisionIsAnsweredOnce) {
  using Verdict = InboxRules::AnswerVerdict;
  inbox::InboxMessage message = decisionMessage();
  EXPECT_EQ(InboxRules::answerDecision(message, "maybe", "Mac", 1000), Verdict::unknownOption);
  EXPECT_TRUE(message.hasOpenDecision());
  EXPECT_EQ(InboxRules::answerDecision(message, "yes", "Mac", 1000), Verdict::accepted);
  ASSERT_TRUE(message.decision()->answer);
  EXPECT_EQ(message.decision()->answer->k, "yes");
  EXPECT_EQ(message.decision()->answer->device, "Mac");
  EXPECT_EQ(InboxRules::answerDecision(message, "no", "Mac", 2000), Verdict::alreadyDecided);
  EXPECT_EQ(message.decision()->answer->k, "yes");

  inbox::InboxMessage withdrawn = decisionMessage();
  withdrawn.payload->decision->state = "withdrawn";
  EXPECT_EQ(InboxRules::answerDecision(withdrawn, "yes", std::nullopt, 0), Verdict::withdrawn);

  // Due at the start of 2026-03-02 UTC.
  inbox::InboxMessage dated = decisionMessage("2026-03-01");
  const std::int64_t due = 1772409600000;
  EXPECT_EQ(InboxRules::answerDecision(dated, "yes", std::nullopt, due), Verdict::expired);
  EXPECT_TRUE(dated.hasOpenDecision());
  EXPECT_EQ(InboxRules::answerDecision(dated, "yes", std::nullopt, due - 1), Verdict::accepted);

  inbox::InboxMessage plain;
  EXPECT_EQ(InboxRules::answerDecision(plain, "yes", std::nullopt, 0), Verdict::notADecision);
}

TEST(InboxEventQueueTest, ASlowSubscribersBacklogCollapsesIntoOneResync) {
  InboxEventQueue queue(3);
  for (int i = 0; i < 3; ++i) queue.push({"inbox-message", std::to_string(i)});
  EXPECT_EQ(queue.size(), 3u);
  queue.push({"task", "late"});
  EXPECT_EQ(queue.collapses(), 1u);
  EXPECT_EQ(queue.pop(), InboxEvents::resync());
  EXPECT_EQ(queue.pop(), (InboxEvent{"task", "late"}));
  EXPECT_EQ(queue.pop(), std::nullopt);
  EXPECT_EQ((InboxEvent{"inbox-message", "{\"a\":\n1}"}).serverSent(), "event: inbox-message\ndata: {\"a\": 1}\n\n");
}

}  // namespace
}  // namespace vesket::relay_service
