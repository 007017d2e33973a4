#include <gtest/gtest.h>

#include "tests/viewer/core/pane_entry_builder.h"
#include "viewer/core/pane_grouping.h"

namespace vesket::viewer {
namespace {

using control_plane::AssignmentRow;
using control_plane::PaneEntry;
using control_plane::PaneLabelRow;
using testing::paneEntry;
namespace G = PaneGrouping;

struct LabelCase {
  const char* name;
  std::function<void(PaneEntry&)> setup;
  std::string label;
};

class FriendlyLabel : public ::testing::TestWithParam<LabelCase> {};

TEST_P(FriendlyLabel, FirstRuleThatYieldsWins) {
  PaneEntry entry = paneEntry("%1");
  GetParam().setup(entry);
  EXPECT_EQ(G::friendlyLabel(entry), GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FriendlyLabel,
    ::testing::Values(
        LabelCase{"customNameWinsUnchanged",
                  [](PaneEntry& e) {
                    e.paneLabel = PaneLabelRow{"%1", std::nullopt, "  ✳ Mine ", std::nullopt};
                    e.task = "Task";
                  },
                  "  ✳ Mine "},
        LabelCase{"emptyCustomNameFallsThrough",
                  [](PaneEntry& e) {
                    e.paneLabel = PaneLabelRow{"%1", std::nullopt, "", std::nullopt};
                    e.task = "Task";
                  },
                  "Task"},
        LabelCase{"assignmentTaskBeforeEntryTask",
                  [](PaneEntry& e) {
                    e.assignment = AssignmentRow{"%1", std::nullopt, "● Assigned", "active", 0, 0};
                    e.task = "Own task";
                  },
                  "Assigned"},
        LabelCase{"plumbingTaskSkippedAnyCase",
                  [](PaneEntry& e) {
                    e.task = "Run CREW-DISPATCH for x";
                    e.topicPreview = "Topic";
                  },
                  "Topic"},
        LabelCase{"plumbingContractSkipped",
                  [](PaneEntry& e) {
                    e.task = "read the [crew contract] first";
                    e.topicPreview = "[Vesket-Machinery] injected";
                    e.paneTitle = "⠋ Title";
                  },
                  "Title"},
        LabelCase{"titleGlyphStripped",
                  [](PaneEntry& e) { e.paneTitle = "✳ Refactor parser"; }, "Refactor parser"},
        LabelCase{"titleOnlyGlyphsKeepsTrimmedInput",
                  [](PaneEntry& e) {
                    e.paneTitle = " ✳ * ";
                    e.cmd = "claude";
                    e.cwdBasename = "web";
                  },
                  "✳ *"},
        LabelCase{"cdTitleFallsToKindAndDirectory",
                  [](PaneEntry& e) {
                    e.paneTitle = "cd ~/src/web";
                    e.cmd = "claude";
                    e.cwdBasename = "web";
                  },
                  "Claude · web"},
        LabelCase{"dotTitleSkipped",
                  [](PaneEntry& e) {
                    e.paneTitle = ".zshrc";
                    e.agentKind = "codex";
                    e.cwdBasename = "api";
                    e.crewProject = "platform";
                  },
                  "Codex · platform"},
        LabelCase{"teamProjectPathShowsItsName",
                  [](PaneEntry& e) {
                    e.agentKind = "claude";
                    e.crewProject = "/work/clients/acme/services/payments-api";
                  },
                  "Claude · payments-api"},
        LabelCase{"kindWithoutDirectory",
                  [](PaneEntry& e) {
                    e.agentKind = "gemini";
                    e.cwdBasename = "";
                  },
                  "Gemini"},
        LabelCase{"shellUsesDaemonLabel", [](PaneEntry& e) { e.label = "zsh in api"; },
                  "zsh in api"},
        LabelCase{"shellWithNothingIsTerminal", [](PaneEntry&) {}, "Terminal"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(PaneGrouping, StripLeadingStatusGlyph) {
  const std::pair<std::string, std::string> cases[] = {
      {"✳ Refactor parser", "Refactor parser"},
      {"⠋⠙ building", "building"},
      {"\n\t● · * _ task ", "task"},
      {"\r\n✳ after a CR LF", "after a CR LF"},
      {"✳✳", "✳✳"},
      {"  ✳  ", "✳"},
      {"no glyph", "no glyph"},
      {"✳\uFE0F emoji form", "✳\uFE0F emoji form"},  // not the bare glyph
      {"", ""},
  };
  for (const auto& [input, expected] : cases) {
    EXPECT_EQ(G::stripLeadingStatusGlyph(input), expected) << input;
  }
}

TEST(PaneGrouping, PathsAndDisplayComponents) {
  using Parts = std::pair<std::string, std::optional<std::string>>;
  EXPECT_EQ(G::displayComponents("/Users/x/src/app"), Parts("app", "src"));
  EXPECT_EQ(G::displayComponents("~/app"), Parts("app", std::nullopt));
  EXPECT_EQ(G::displayComponents("a/b/c"), Parts("c", std::nullopt));  // parent too short
  EXPECT_EQ(G::displayComponents("src/lib/"), Parts("lib", "src"));
  EXPECT_EQ(G::displayComponents("/"), Parts("/", std::nullopt));
  EXPECT_FALSE(G::looksLikePath("a b/c"));
  EXPECT_TRUE(G::looksLikePath("~ a"));
  EXPECT_FALSE(G::looksLikePath("plain"));
  EXPECT_EQ(G::displayComponents("a b/c"), Parts("a b/c", std::nullopt));
}

TEST(PaneGrouping, Elide) {
  const std::string sixty = "Investigate the flaky integration test in the payment module";
  ASSERT_EQ(sixty.size(), 60u);
  EXPECT_EQ(G::elide(sixty, 42), "Investigate the flaky integration test in…");
  EXPECT_EQ(G::elide("  short  \n", 42), "short");
  EXPECT_EQ(G::elide(std::string(50, 'x'), 42), std::string(42, 'x') + "…");
  // Counted in characters, not bytes.
  EXPECT_EQ(G::elide("äöüäöü", 6), "äöüäöü");
  EXPECT_EQ(G::elide("äöüäöüx", 6), "äöüäöü…");
  // A blank only at the front leaves nothing to cut at.
  EXPECT_EQ(G::elide("x yyyyyyy", 4), "x…");
}

TEST(PaneGrouping, ClassifyKind) {
  struct Case {
    std::optional<std::string> agentKind;
    std::string cmd, title, window;
    PaneAgentKind kind;
  };
  const Case cases[] = {
      {" Codex \n", "zsh", "", "", PaneAgentKind::codex},
      {"unknown", "claude", "", "", PaneAgentKind::claude},
      {"robot", "node", "", "gemini", PaneAgentKind::gemini},
      {std::nullopt, "node", "OpenCode session", "", PaneAgentKind::opencode},
      {std::nullopt, "agy", "claude", "", PaneAgentKind::claude},  // claude is tested first
      {std::nullopt, "/bin/bash", "", "", PaneAgentKind::shell},
      {std::nullopt, "FISH", "", "", PaneAgentKind::shell},
      {std::nullopt, "/usr/bin/sh", "", "", PaneAgentKind::unknown},
      {std::nullopt, "vim", "", "", PaneAgentKind::unknown},
  };
  for (const Case& c : cases) {
    PaneEntry entry = paneEntry("%1", "@1", c.window);
    entry.agentKind = c.agentKind;
    entry.cmd = c.cmd;
    entry.paneTitle = c.title;
    EXPECT_EQ(G::classifyKind(entry), c.kind) << c.cmd << " / " << c.title;
  }
  EXPECT_EQ(paneAgentKindFromRaw("Claude"), std::nullopt);
  EXPECT_EQ(displayLabel(PaneAgentKind::codebuddy), "CodeBuddy");
  EXPECT_EQ(displayLabel(PaneAgentKind::shell), std::nullopt);
}

TEST(PaneGrouping, ModelLabels) {
  const std::pair<std::string, std::optional<std::string>> ids[] = {
      {"claude-opus-4-5-20251101", "Opus 4.5"},
      {"claude-sonnet-4-5", "Sonnet 4.5"},
      {"gpt-5-codex", "GPT-5 Codex"},
      {"gemini-2.5-pro", "Gemini 2.5 Pro"},
      {"gpt-4o", "GPT 4o"},
      {"o3", "O3"},
      {" Unknown (Cursor Auto) ", "Cursor Auto"},
      {"default", std::nullopt},
      {"AUTO", std::nullopt},
      {"claude", std::nullopt},
      {"claude-20250101", std::nullopt},
      {"  ", std::nullopt},
  };
  for (const auto& [id, label] : ids) EXPECT_EQ(G::modelIdLabel(id), label) << id;

  PaneEntry entry = paneEntry("%1");
  EXPECT_EQ(G::modelChipLabel(entry), std::nullopt);
  entry.model = "claude-sonnet-4-5";
  entry.modelLabel = "UNKNOWN model";
  EXPECT_EQ(G::modelChipLabel(entry), "Sonnet 4.5");
  entry.modelLabel = "Unknown (Cursor Auto)";
  EXPECT_EQ(G::modelChipLabel(entry), "Cursor Auto");
  entry.modelLabel = " Opus 4.1 ";
  EXPECT_EQ(G::modelChipLabel(entry), "Opus 4.1");
  entry.modelLabel = " ";
  entry.model = "default";
  EXPECT_EQ(G::modelChipLabel(entry), std::nullopt);
}

TEST(PaneGrouping, RolesStaleSessionsAndRunning) {
  PaneEntry entry = paneEntry("%1");
  entry.role = "coworker";
  EXPECT_EQ(G::resolveRole(entry), "worker");
  entry.role = "Manager";  // not exact: falls back to the label record
  entry.paneLabel = PaneLabelRow{"%1", "manager", std::nullopt, std::nullopt};
  EXPECT_EQ(G::resolveRole(entry), "manager");
  entry.paneLabel->role = "lead";
  EXPECT_EQ(G::resolveRole(entry), std::nullopt);

  for (const char* stale : {"test", "TEST-1", "api-test", "a-test-b", "my-scratch", "Worktree2",
                            "wt-foo", "foo-wt"}) {
    EXPECT_TRUE(G::isStaleSession(stale)) << stale;
  }
  for (const char* live : {"testing", "latest", "work", "wtf", "newt"}) {
    EXPECT_FALSE(G::isStaleSession(live)) << live;
  }

  for (const auto& [load, running] : std::initializer_list<std::pair<const char*, bool>>{
           {"light", true}, {"heavy", true}, {"idle", false}, {"Heavy", false}}) {
    entry.load = load;
    EXPECT_EQ(G::isRunning(entry), running) << load;
  }
  entry.load.reset();
  EXPECT_FALSE(G::isRunning(entry));
}

TEST(PaneGrouping, RowFields) {
  PaneEntry entry = paneEntry("%7", "@3", "", "work");
  entry.windowIndex = 2;
  entry.paneIndex = 1;
  entry.task = "/Users/x/src/app";
  entry.load = "heavy";
  entry.role = "manager";
  entry.crewId = "api-blue";
  entry.windowKind = "group";
  entry.modelReason = "pinned";
  entry.takeoverHomeWindowId = "@9";
  const PaneRow r = G::row(entry);
  EXPECT_EQ(r.id, "%7");
  EXPECT_EQ(r.label, "app");
  EXPECT_EQ(r.fullLabel, "/Users/x/src/app");
  EXPECT_EQ(r.parentChip, "src");
  EXPECT_TRUE(r.isRunning);
  EXPECT_EQ(r.statusCaption, "running");
  EXPECT_EQ(r.paneLocation, "work:2.1");
  EXPECT_TRUE(r.isManager);
  EXPECT_EQ(r.role, "manager");
  EXPECT_EQ(r.crewId, "api-blue");
  EXPECT_EQ(r.windowId, "@3");
  EXPECT_EQ(r.windowKind, "group");
  EXPECT_EQ(r.modelReason, "pinned");
  EXPECT_TRUE(r.isTakeoverParked);
  EXPECT_FALSE(r.isStale);
}

}  // namespace
}  // namespace vesket::viewer
