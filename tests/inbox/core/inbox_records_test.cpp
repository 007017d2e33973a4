// The inbox records as the relay sends them, and reading decision deadlines.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "control_plane/core/decoding_error.h"
#include "inbox/core/decision_deadline.h"
#include "inbox/core/inbox_records.h"
#include "inbox/core/task_records.h"

namespace vesket::inbox {
namespace {

using nlohmann::json;

TEST(InboxRecords, DecodeWhatTheRelaySendsAndRoundTrip) {
  const json message = {
      {"id", 1733540000123.0},
      {"body", "Deploy?"},
      {"kind", "message"},
      {"createdAtMs", 1733540000000.0},
      {"direction", "in"},
      {"isFailed", false},
      {"payload",
       {{"card", "decision"},
        {"decision",
         {{"question", "Deploy?"},
          {"options", {{{"k", "yes"}, {"label", "Yes"}}, {{"k", "no"}, {"label", "No"}, {"why", "risky"}}}},
          {"recommended", "no"},
          {"state", "open"}}},
        {"facts", {{{"label", "tests"}, {"value", "green"}, {"tone", "ok"}}}},
        {"sections", {{{"heading", "Plan"}}}}}}};
  const InboxMessage decoded = InboxMessage::fromJson(message);
  ASSERT_NE(decoded.decision(), nullptr);
  EXPECT_TRUE(decoded.hasOpenDecision());
  EXPECT_EQ(decoded.decision()->option("no")->why, "risky");
  EXPECT_EQ(decoded.decision()->option("maybe"), nullptr);
  EXPECT_EQ(InboxMessage::fromJson(decoded.toJson()), decoded);

  const json thread = {{"agentSlug", "pane-3-12"}, {"agentDisplay", "build"}, {"lastPreview", "Deploy?"},
                       {"lastAtMs", 5.0},          {"unreadCount", 2},          {"ended", nullptr}};
  const InboxThread t = InboxThread::fromJson(thread);
  EXPECT_FALSE(t.ended.has_value());
  EXPECT_EQ(InboxThread::fromJson(t.toJson()), t);

  // A notification's payload is a file only when it has the file's keys; its pane either way.
  const auto notifications = decodeNotificationsEnvelope(
      {{"notifications",
        {{{"id", "n1"}, {"title", "t"}, {"body", ""}, {"kind", "file"}, {"createdAtMs", 1},
          {"payload", {{"token", "abc"}, {"filename", "a.txt"}, {"size", 3}, {"mimeType", "text/plain"}, {"paneId", "%1"}}}},
         {{"id", "n2"}, {"title", "t"}, {"body", ""}, {"kind", "agent"}, {"createdAtMs", 2},
          {"payload", {{"token", "abc"}, {"paneLabel", "api"}}}}}}});
  ASSERT_EQ(notifications.size(), 2u);
  ASSERT_TRUE(notifications[0].file);
  EXPECT_EQ(notifications[0].file->size, 3);
  EXPECT_EQ(notifications[0].paneId, "%1");
  EXPECT_FALSE(notifications[1].file);
  EXPECT_EQ(notifications[1].paneLabel, "api");
  EXPECT_EQ(PlatformNotification::fromJson(notifications[0].toJson()), notifications[0]);

  const auto task = RelayTaskItem::fromJson({{"id", "T1"}, {"title", "x"}, {"agentTeam", "core"}, {"status", "workerDone"},
                                             {"createdAt", "a"}, {"updatedAt", "b"}, {"rollup", {{"status", "s"}, {"done", 1}, {"total", 2}}}});
  EXPECT_EQ(RelayTaskItem::fromJson(task.toJson()), task);
}

TEST(InboxRecords, MalformedRecordsAreErrorsNamingTheField) {
  const struct {
    const char* name;
    json input;
    const char* mentions;
  } cases[] = {
      {"missing body", {{"id", 1}, {"kind", "message"}, {"createdAtMs", 1}, {"direction", "in"}}, "body"},
      {"id as text", {{"id", "1"}, {"body", ""}, {"kind", "message"}, {"createdAtMs", 1}, {"direction", "in"}}, "id"},
      {"option without label",
       {{"id", 1}, {"body", ""}, {"kind", "message"}, {"createdAtMs", 1}, {"direction", "in"},
        {"payload", {{"decision", {{"question", "q"}, {"state", "open"}, {"options", {{{"k", "a"}}}}}}}}},
       "label"},
      {"not an object", json::array(), "object"},
  };
  for (const auto& c : cases) {
    try {
      InboxMessage::fromJson(c.input);
      ADD_FAILURE() << c.name << ": decoded";
    } catch (const control_plane::DecodingError& error) {
      EXPECT_NE(std::string(error.what()).find(c.mentions), std::string::npos) << c.name << ": " << error.what();
    }
  }
}

TEST(InboxRecords, MessageIdsAreWrittenWithEveryDigit) {
  EXPECT_EQ(formatMessageId(1733540000123.0), "1733540000123");
  EXPECT_EQ(formatMessageId(7), "7");
}

TEST(DecisionDeadlineTest, ReadsEveryWrittenFormInItsZone) {
  const auto utc = DecisionDeadline::fixedOffset(0);
  const auto berlin = DecisionDeadline::fixedOffset(60);
  const std::int64_t midnight = DecisionDeadline::utcMs({2026, 3, 2, 0, 0, 0, 0});
  const struct {
    const char* text;
    const DecisionDeadline::TimeZone* zone;
    std::optional<std::int64_t> due;
  } cases[] = {
      {"2026-03-01", &utc, midnight},  // the whole day: due when the next begins
      {"  2026-12-31 ", &utc, DecisionDeadline::utcMs({2027, 1, 1, 0, 0, 0, 0})},
      {"2026-02-28", &utc, DecisionDeadline::utcMs({2026, 3, 1, 0, 0, 0, 0})},
      {"2026-03-02T00:00:00Z", &berlin, midnight},
      {"2026-03-02T01:00:00.250+01:00", &utc, midnight + 250},
      {"2026-03-02T01:00+01:00", &utc, midnight},
      {"2026-03-02T01:00", &berlin, midnight},
      {"2026-03-02 01:00:00", &berlin, midnight},
      {"2026-03-02T00:00:00.500", &utc, midnight + 500},
      {"2026/03/02 00:00", &utc, midnight},
      {"Mar 2, 2026", &utc, midnight},
      {"March 2, 2026 00:00:30", &utc, midnight + 30000},
      {"Friday", &utc, std::nullopt},
      {"2026-02-30", &utc, std::nullopt},
      {"2026-03-02T25:00", &utc, std::nullopt},
      {"", &utc, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(DecisionDeadline::parse(c.text, *c.zone), c.due) << c.text;
  EXPECT_TRUE(DecisionDeadline::isUnparseable("next Friday", utc));
  EXPECT_FALSE(DecisionDeadline::isUnparseable("   ", utc));
  EXPECT_FALSE(DecisionDeadline::isUnparseable("Mar 2, 2026", utc));
}

}  // namespace
}  // namespace vesket::inbox
