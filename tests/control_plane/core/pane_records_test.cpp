#include <gtest/gtest.h>

#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "control_plane/core/agent_config_entry.h"
#include "control_plane/core/decoding_error.h"
#include "control_plane/core/pane_capture.h"
#include "control_plane/core/pane_entry.h"

namespace vesket::control_plane {
namespace {

using nlohmann::json;

// A pane with every field set, written by hand from the daemon's key names.
const json& fullPaneJson() {
  static const json value = json::parse(R"({
    "paneId": "%12", "label": "api-server", "registeredAt": 1765000000123,
    "sessionName": "work", "windowIndex": 2, "windowId": "@7", "windowName": "crew-api",
    "windowKind": "group", "soloWindow": false, "groupCreatedAt": 1764999000000.5,
    "paneIndex": 1, "paneTitle": "✳ Refactor router", "cwdBasename": "api",
    "cmd": "claude", "topicPreview": "Refactoring the request router", "paneWidth": 120,
    "role": "worker", "crewId": "crew-9", "crewProject": "api", "managerModel": "opus",
    "crewCreatedAt": 1764998000000, "contextPct": 42.5, "model": "claude-sonnet-4",
    "modelLabel": "Sonnet 4", "modelReason": "crew default", "modelObservation": "statusline",
    "modelSource": "transcript", "task": "split router.ts", "load": "heavy",
    "crewAlert": "stalled", "crewAlertSummary": "no output for 10 min",
    "fdaBlockedPath": "/Users/me/Documents",
    "assignment": {"paneId": "%12", "crewId": "crew-9", "task": "split router.ts",
                   "state": "active", "assignedAt": 1765000001000, "queuePos": 0},
    "crew": {"crewId": "crew-9", "project": "api", "managerPaneId": "%10",
             "lifecycle": "running", "createdBy": "user", "createdAt": 1764998000000},
    "paneLabel": {"paneId": "%12", "role": "worker", "customName": "Router", "topicTag": "api"},
    "takeoverHomeWindowId": "@3", "agentKind": "claude"
  })");
  return value;
}

const std::vector<std::string> kPaneRequiredKeys = {
    "paneId", "label",     "registeredAt", "sessionName", "windowIndex",  "windowId", "windowName",
    "paneIndex", "paneTitle", "cwdBasename", "cmd",       "topicPreview", "paneWidth"};

std::string decodingMessage(const std::function<void()>& decode) {
  try {
    decode();
  } catch (const DecodingError& error) {
    return error.what();
  }
  return "(decoded)";
}

TEST(PaneEntry, DecodesEveryField) {
  const PaneEntry entry = PaneEntry::fromJson(fullPaneJson());
  const PaneEntry expected{
      .paneId = "%12",
      .label = "api-server",
      .registeredAt = 1765000000123,
      .sessionName = "work",
      .windowIndex = 2,
      .windowId = "@7",
      .windowName = "crew-api",
      .windowKind = "group",
      .soloWindow = false,
      .groupCreatedAt = 1764999000000.5,
      .paneIndex = 1,
      .paneTitle = "✳ Refactor router",
      .cwdBasename = "api",
      .cmd = "claude",
      .topicPreview = "Refactoring the request router",
      .paneWidth = 120,
      .role = "worker",
      .crewId = "crew-9",
      .crewProject = "api",
      .managerModel = "opus",
      .crewCreatedAt = 1764998000000,
      .contextPct = 42.5,
      .model = "claude-sonnet-4",
      .modelLabel = "Sonnet 4",
      .modelReason = "crew default",
      .modelObservation = "statusline",
      .modelSource = "transcript",
      .task = "split router.ts",
      .load = "heavy",
      .crewAlert = "stalled",
      .crewAlertSummary = "no output for 10 min",
      .fdaBlockedPath = "/Users/me/Documents",
      .assignment = AssignmentRow{"%12", "crew-9", "split router.ts", "active", 1765000001000, 0},
      .crew = CrewRow{"crew-9", "api", "%10", "running", "user", 1764998000000},
      .paneLabel = PaneLabelRow{"%12", "worker", "Router", "api"},
      .takeoverHomeWindowId = "@3",
      .agentKind = "claude",
  };
  EXPECT_EQ(entry, expected);
  // Encoding writes back exactly the keys it read.
  EXPECT_EQ(entry.toJson(), fullPaneJson());
}

TEST(PaneEntry, EachMissingRequiredKeyFailsNamingIt) {
  for (const std::string& key : kPaneRequiredKeys) {
    json value = fullPaneJson();
    value.erase(key);
    EXPECT_EQ(decodingMessage([&] { PaneEntry::fromJson(value); }),
              "PaneEntry: required key '" + key + "' is missing");
    value[key] = nullptr;
    EXPECT_THROW(PaneEntry::fromJson(value), DecodingError) << key << " null";
  }
}

TEST(PaneEntry, OptionalKeysMayBeMissingOrNullAndAreNotEncodedWhenAbsent) {
  for (const auto& [key, member] : fullPaneJson().items()) {
    if (std::find(kPaneRequiredKeys.begin(), kPaneRequiredKeys.end(), key) !=
        kPaneRequiredKeys.end()) {
      continue;
    }
    json without = fullPaneJson();
    without.erase(key);
    json nulled = fullPaneJson();
    nulled[key] = nullptr;

    const PaneEntry fromMissing = PaneEntry::fromJson(without);
    EXPECT_EQ(PaneEntry::fromJson(nulled), fromMissing) << key;
    EXPECT_NE(fromMissing, PaneEntry::fromJson(fullPaneJson())) << key;
    EXPECT_EQ(fromMissing.toJson(), without) << key;
  }
}

TEST(PaneEntry, WrongTypesFailWithThePath) {
  struct Case {
    const char* pointer;  // JSON pointer of the member to replace
    json replacement;
    const char* message;
  };
  const std::vector<Case> cases = {
      {"/windowIndex", "2", "PaneEntry.windowIndex: expected integer, got string"},
      {"/paneWidth", 80.5, "PaneEntry.paneWidth: expected integer, got 80.5"},
      {"/paneId", 12, "PaneEntry.paneId: expected string, got number"},
      {"/registeredAt", "now", "PaneEntry.registeredAt: expected number, got string"},
      {"/soloWindow", "yes", "PaneEntry.soloWindow: expected boolean, got string"},
      {"/contextPct", "42%", "PaneEntry.contextPct: expected number, got string"},
      {"/assignment/queuePos", "0", "PaneEntry.assignment.queuePos: expected integer, got string"},
      {"/crew", "crew-9", "PaneEntry.crew: expected object, got string"},
      {"/paneLabel/customName", json::array(),
       "PaneEntry.paneLabel.customName: expected string, got array"},
  };
  for (const Case& c : cases) {
    json value = fullPaneJson();
    value[json::json_pointer(c.pointer)] = c.replacement;
    EXPECT_EQ(decodingMessage([&] { PaneEntry::fromJson(value); }), c.message);
  }
  json value = fullPaneJson();
  value["crew"].erase("lifecycle");
  EXPECT_EQ(decodingMessage([&] { PaneEntry::fromJson(value); }),
            "PaneEntry.crew: required key 'lifecycle' is missing");
  EXPECT_EQ(decodingMessage([] { PaneEntry::fromJson(json::array()); }),
            "PaneEntry: expected object, got array");
}

// The smaller records: each required key is required, each optional one may be absent.
TEST(PaneRecords, RequiredKeysOfEveryRow) {
  struct Case {
    const char* record;
    json full;
    std::vector<std::string> required;
    std::function<void(const json&)> decode;
  };
  const json& pane = fullPaneJson();
  const std::vector<Case> cases = {
      {"AssignmentRow", pane["assignment"], {"paneId", "task", "state", "assignedAt", "queuePos"},
       [](const json& v) { AssignmentRow::fromJson(v); }},
      {"CrewRow", pane["crew"],
       {"crewId", "project", "managerPaneId", "lifecycle", "createdBy", "createdAt"},
       [](const json& v) { CrewRow::fromJson(v); }},
      {"PaneLabelRow", pane["paneLabel"], {"paneId"},
       [](const json& v) { PaneLabelRow::fromJson(v); }},
      {"PaneCapture", {{"paneId", "%1"}, {"content", "\x1b[1mhi\x1b[0m\n$ "}}, {"paneId", "content"},
       [](const json& v) { PaneCapture::fromJson(v); }},
      {"AgentConfigEntry", {{"id", "codex"}, {"displayName", "Codex"}}, {"id", "displayName"},
       [](const json& v) { AgentConfigEntry::fromJson(v); }},
  };
  for (const Case& c : cases) {
    for (const auto& [key, member] : c.full.items()) {
      json value = c.full;
      value.erase(key);
      const bool required =
          std::find(c.required.begin(), c.required.end(), key) != c.required.end();
      const std::string expected = required ? std::string(c.record) + ": required key '" + key +
                                                  "' is missing"
                                            : "(decoded)";
      EXPECT_EQ(decodingMessage([&] { c.decode(value); }), expected) << c.record;
    }
  }
}

TEST(PaneRecords, RowsRoundTrip) {
  const PaneLabelRow label{.paneId = "%2", .customName = "Docs"};
  EXPECT_EQ(label.toJson(), (json{{"paneId", "%2"}, {"customName", "Docs"}}));
  EXPECT_EQ(PaneLabelRow::fromJson(label.toJson()), label);

  const AssignmentRow assignment{"%2", std::nullopt, "write docs", "queued", 12.5, 3};
  EXPECT_FALSE(assignment.toJson().contains("crewId"));
  EXPECT_EQ(AssignmentRow::fromJson(assignment.toJson()), assignment);

  const PaneCapture capture{"%2", "line 1\n\x1b[31mred\x1b[0m"};
  EXPECT_EQ(PaneCapture::fromJson(json::parse(capture.toJson().dump())), capture);

  const AgentConfigEntry agent{"gemini", "Gemini CLI"};
  EXPECT_EQ(AgentConfigEntry::fromJson(agent.toJson()), agent);
  EXPECT_NE(AgentConfigEntry::fromJson(agent.toJson()), (AgentConfigEntry{"gemini", "Gemini"}));
}

}  // namespace
}  // namespace vesket::control_plane
