// The records carried by the pane watch, the agent-history stream and the command replies.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "control_plane/core/claude_history.h"
#include "control_plane/core/command_results.h"
#include "control_plane/core/decoding_error.h"
#include "control_plane/core/watch_event.h"

namespace vesket::control_plane {
namespace {

using nlohmann::json;

const char* kPane = R"({"paneId":"%1","label":"sh","registeredAt":1,"sessionName":"s","windowIndex":0,
  "windowId":"@1","windowName":"w","paneIndex":0,"paneTitle":"t","cwdBasename":"d","cmd":"bash",
  "topicPreview":"","paneWidth":80})";

TEST(WatchEvent, SnapshotNeedsPanesEverythingElseIsUnknown) {
  const std::string pane = kPane;
  const auto snapshot =
      WatchEvent::fromLine(R"({"id":"W","ok":true,"event":{"type":"snapshot","panes":[)" + pane + "]}}");
  ASSERT_NE(snapshot.asSnapshot(), nullptr);
  ASSERT_EQ(snapshot.asSnapshot()->panes.size(), 1u);
  EXPECT_EQ(snapshot.asSnapshot()->panes[0].paneId, "%1");

  EXPECT_EQ(WatchEvent::fromLine(R"({"id":"W","ok":true,"event":{"type":"snapshot","panes":[]}})"),
            WatchEvent::snapshot({}));
  EXPECT_EQ(WatchEvent::fromLine(R"({"id":"W","ok":true,"event":{"type":"snapshot"}})"),
            WatchEvent::unknown("snapshot"));
  EXPECT_EQ(WatchEvent::fromLine(R"({"id":"W","ok":true,"event":{"type":"snapshot","panes":null}})"),
            WatchEvent::unknown("snapshot"));
  EXPECT_EQ(WatchEvent::fromLine(R"({"id":"W","ok":true,"event":{"type":"heartbeat","panes":[]}})"),
            WatchEvent::unknown("heartbeat"));
}

TEST(WatchEvent, MalformedLinesFailWithAReadableMessage) {
  const struct {
    const char* line;
    const char* message;
  } cases[] = {
      {R"({"id":"W","ok":true})", "EventEnvelope: required key 'event' is missing"},
      {R"({"id":"W","ok":true,"event":{"panes":[]}})", "EventEnvelope.event: required key 'type' is missing"},
      {R"({"id":"W","ok":true,"event":{"type":"snapshot","panes":[{"paneId":"%1"}]}})",
       "EventEnvelope.event.panes[0]: required key 'label' is missing"},
      {"{", "watch line is not valid JSON"},
  };
  for (const auto& c : cases) {
    try {
      WatchEvent::fromLine(c.line);
      ADD_FAILURE() << "decoded: " << c.line;
    } catch (const DecodingError& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.line;
    }
  }
}

TEST(ClaudeHistory, DecodesABatchLineWithItsFieldsAtTheTopLevel) {
  const auto event = ClaudeHistoryStreamEvent::fromLine(R"({
    "id": "H", "ok": true, "type": "batch", "paneId": "%4",
    "batch": {"mode": "replace", "width": 80,
      "history": {"width": 80, "fallback": false,
        "historyEnd": {"sessionId": "s1", "offset": 10}, "liveStart": null,
        "segments": [{"segmentId": "g1", "sessionId": "s1", "boundary": "start",
          "entries": [{"eventId": "e1", "cursor": {"sessionId": "s1", "offset": 3},
                       "kind": "user", "lines": ["> hi"], "extra": 1}]}]},
      "liveFrames": [{"eventId": "e2", "cursor": {"sessionId": "s1", "offset": 11}, "kind": "assistant",
                      "text": "wor", "sequence": 2, "lines": ["wor"], "boundary": null}]}})");
  EXPECT_EQ(event.type, "batch");
  EXPECT_EQ(event.paneId, "%4");
  ASSERT_TRUE(event.batch);
  EXPECT_EQ(event.batch->mode, "replace");
  EXPECT_EQ(event.batch->history.historyEnd, (ClaudeHistoryCursor{"s1", 10}));
  EXPECT_FALSE(event.batch->history.liveStart);
  ASSERT_EQ(event.batch->history.segments.at(0).entries.size(), 1u);
  EXPECT_EQ(event.batch->history.segments[0].entries[0].lines, std::vector<std::string>{"> hi"});
  ASSERT_EQ(event.batch->liveFrames.size(), 1u);
  EXPECT_EQ(event.batch->liveFrames[0].sequence, 2);
  EXPECT_FALSE(event.frame);
  EXPECT_EQ(ClaudeHistoryStreamEvent::fromJson(event.toJson()), event) << "encodes back to itself";
}

TEST(ClaudeHistory, RequiredFieldsAreRequired) {
  EXPECT_THROW(ClaudeHistoryStreamEvent::fromLine(R"({"id":"H","ok":true,"type":"disabled"})"), DecodingError);
  EXPECT_THROW(ClaudeHistorySnapshot::fromJson(json::parse(R"({"width":80,"segments":[]})")), DecodingError)
      << "fallback is required";
  const auto disabled =
      ClaudeHistoryStreamEvent::fromLine(R"({"type":"disabled","paneId":"%4","reason":"not claude"})");
  EXPECT_EQ(disabled.reason, "not claude");
}

TEST(CommandResults, WrappersAndOptionalMembers) {
  EXPECT_EQ(ModelCatalogReply::fromJson(json::object()).catalog, std::nullopt);
  EXPECT_EQ(ModelCatalogReply::fromJson(json::parse(R"({"catalog":null})")).catalog, std::nullopt);
  EXPECT_TRUE(ModelCatalogReply::fromJson(json::parse(R"({"catalog":{"kinds":{}}})")).catalog);
  EXPECT_THROW(PaneListReply::fromJson(json::object()), DecodingError);

  const auto status = LocalRelayStatus::fromJson(
      json::parse(R"({"connected":false,"transportState":"idle","userId":42,"daemonSessionId":"gen-2"})"));
  EXPECT_EQ(status, (LocalRelayStatus{42, false, "idle", "gen-2"}));
  EXPECT_THROW(LocalRelayStatus::fromJson(json::parse(R"({"connected":true,"transportState":"up","userId":1.5})")),
               DecodingError);

  EXPECT_THROW(AttachInfoResult::fromJson(json::parse(R"({"ok":true,"socketArgs":[]})")), DecodingError);
  EXPECT_EQ(SendResult::fromJson(json::parse(R"({"ok":false,"error":"busy","helpUrl":null})")),
            (SendResult{false, "busy", std::nullopt}));
  EXPECT_EQ(SendResult{true}.toJson().dump(), R"({"ok":true})") << "absent optionals are left out";
  EXPECT_EQ(SendKeyAck::fromJson(json::object()), SendKeyAck{});
}

}  // namespace
}  // namespace vesket::control_plane
