#include "daemon/core/pane_entry_builder.h"
#include "daemon/core/utf8_repair.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace vesket::daemon {
namespace {

RawPane rawPane() {
  RawPane p;
  p.paneId = "%7";
  p.sessionId = "$1";
  p.sessionName = "work";
  p.windowId = "@3";
  p.windowIndex = 2;
  p.windowName = "api";
  p.paneIndex = 1;
  p.paneTitle = "\xe2\x9c\xb3 Refactor parser";
  p.currentCommand = "node";
  p.paneWidth = 120;
  p.currentPath = "/home/me/src/api/";
  return p;
}

TEST(PaneEntryBuilder, CarriesTmuxFactsAndAgentFacts) {
  PaneFacts facts;
  facts.registeredAt = 1.7e12;
  facts.agentKind = "claude";
  facts.load = "light";
  facts.transcript.model = "claude-opus-4-5-20251101";
  facts.transcript.modelLabel = "Opus 4.5";
  facts.transcript.contextPct = 12.5;
  facts.transcript.topicPreview = "Fix the build";
  const auto e = PaneEntryBuilder::build(rawPane(), facts);
  EXPECT_EQ(e.paneId, "%7");
  EXPECT_EQ(e.label, "api");
  EXPECT_EQ(e.registeredAt, 1.7e12);
  EXPECT_EQ(e.sessionName, "work");
  EXPECT_EQ(e.windowIndex, 2);
  EXPECT_EQ(e.windowId, "@3");
  EXPECT_EQ(e.windowName, "api");
  EXPECT_EQ(e.paneIndex, 1);
  EXPECT_EQ(e.paneTitle, "\xe2\x9c\xb3 Refactor parser");
  EXPECT_EQ(e.cwdBasename, "api");
  EXPECT_EQ(e.cmd, "node");
  EXPECT_EQ(e.topicPreview, "Fix the build");
  EXPECT_EQ(e.paneWidth, 120);
  EXPECT_EQ(e.agentKind, "claude");
  EXPECT_EQ(e.load, "light");
  EXPECT_EQ(e.model, "claude-opus-4-5-20251101");
  EXPECT_EQ(e.modelLabel, "Opus 4.5");
  EXPECT_EQ(e.modelSource, "transcript");
  EXPECT_EQ(e.contextPct, 12.5);
  EXPECT_FALSE(e.crewId.has_value());
  EXPECT_FALSE(e.crew.has_value());
  // The record survives its own wire format.
  EXPECT_EQ(control_plane::PaneEntry::fromJson(e.toJson()), e);
}

TEST(PaneEntryBuilder, PlainShellHasNoAgentFacts) {
  auto raw = rawPane();
  raw.currentCommand = "bash";
  PaneFacts facts;
  facts.agentKind = "shell";
  facts.load = "idle";
  const auto e = PaneEntryBuilder::build(raw, facts);
  EXPECT_EQ(e.topicPreview, "");
  EXPECT_FALSE(e.model.has_value());
  EXPECT_FALSE(e.modelSource.has_value());
  EXPECT_FALSE(e.contextPct.has_value());
  const auto json = e.toJson();
  EXPECT_FALSE(json.contains("model"));
  EXPECT_TRUE(json.contains("topicPreview"));
}

TEST(PaneEntryBuilder, Labels) {
  auto raw = rawPane();
  EXPECT_EQ(PaneEntryBuilder::label(raw), "api");
  raw.currentPath = "/";
  EXPECT_EQ(PaneEntryBuilder::label(raw), "/");
  raw.currentPath = "";
  EXPECT_EQ(PaneEntryBuilder::label(raw), "node");
  raw.currentCommand = "";
  EXPECT_EQ(PaneEntryBuilder::label(raw), "work:2.1");
  EXPECT_EQ(PaneEntryBuilder::basename("a/b//"), "b");
  EXPECT_EQ(PaneEntryBuilder::basename("plain"), "plain");
}

}  // namespace
}  // namespace vesket::daemon

namespace vesket::daemon {
namespace {

TEST(Utf8Repair, Table) {
  const std::string fffd = "\xEF\xBF\xBD";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"plain", "plain"},
      {"\xC3\xBC \xE2\x9C\xB3 \xF0\x9F\x98\x80", "\xC3\xBC \xE2\x9C\xB3 \xF0\x9F\x98\x80"},
      {"a\xFF" "b", "a" + fffd + "b"},
      {"stray \x80", "stray " + fffd},
      {"cut \xE2\x9C", "cut " + fffd + fffd},
      {"overlong \xC0\xAF", "overlong " + fffd + fffd},
      {"surrogate \xED\xA0\x80", "surrogate " + fffd + fffd + fffd},
      {"too high \xF4\x90\x80\x80", "too high " + fffd + fffd + fffd + fffd},
      {std::string("nul\0ok", 6), std::string("nul\0ok", 6)},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(repairUtf8(in), out) << in;
}

TEST(PaneEntryBuilder, BytesFromTheSystemBecomeValidText) {
  RawPane raw = rawPane();
  raw.currentPath = "/tmp/\xFF" "dir";
  raw.currentCommand = "prog\xC3";
  const auto e = PaneEntryBuilder::build(raw, PaneFacts{});
  EXPECT_EQ(e.cwdBasename, "\xEF\xBF\xBD" "dir");
  EXPECT_EQ(e.cmd, "prog\xEF\xBF\xBD");
  EXPECT_NO_THROW((void)e.toJson().dump());
}

}  // namespace
}  // namespace vesket::daemon
