#include "viewer/core/pane_grouping.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/viewer/core/pane_entry_builder.h"
#include "viewer/core/daemon_generation_tracker.h"
#include "viewer/core/pane_selection_reconciler.h"

namespace vesket::viewer {
namespace {

using control_plane::PaneEntry;
using testing::paneEntry;
namespace G = PaneGrouping;

std::vector<std::string> titles(const std::vector<PaneGroup>& groups) {
  std::vector<std::string> out;
  for (const PaneGroup& group : groups) out.push_back(group.title);
  return out;
}

std::vector<std::string> rowIds(const PaneGroup& group) {
  std::vector<std::string> out;
  for (const PaneRow& row : group.rows) out.push_back(row.id);
  return out;
}

PaneEntry crewPane(std::string id, std::string window, std::string crewId, std::string project) {
  PaneEntry entry = paneEntry(std::move(id), std::move(window), "team");
  entry.crewId = std::move(crewId);
  entry.crewProject = std::move(project);
  return entry;
}

TEST(PaneGrouping, RowsListManagerFirstThenNumericIds) {
  PaneEntry manager = paneEntry("%30");
  manager.role = "manager";
  const std::vector<PaneEntry> entries = {paneEntry("%10"), paneEntry("%abc"), paneEntry("%2"),
                                          manager, paneEntry("%"), paneEntry("%-1")};
  const auto groups = G::group(entries);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(rowIds(groups[0]),
            (std::vector<std::string>{"%30", "%-1", "%2", "%10", "%", "%abc"}));
}

TEST(PaneGrouping, PaneIdNumeric) {
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(G::paneIdNumeric("%12"), 12);
  EXPECT_EQ(G::paneIdNumeric("12"), 12);
  EXPECT_EQ(G::paneIdNumeric("%+3"), 3);
  EXPECT_EQ(G::paneIdNumeric("%-3"), -3);
  EXPECT_EQ(G::paneIdNumeric("%%3"), kMax);
  EXPECT_EQ(G::paneIdNumeric("%"), kMax);
  EXPECT_EQ(G::paneIdNumeric("%99999999999999999999"), kMax);
  EXPECT_EQ(G::paneIdNumeric("% 3"), kMax);
}

TEST(PaneGrouping, TeamsOfOneProjectAreDisambiguated) {
  const auto two = G::group({crewPane("%1", "@1", "api-blue", "api"),
                             crewPane("%2", "@2", "api-green", "api"),
                             crewPane("%3", "@3", "green", "api")});
  EXPECT_EQ(titles(two), (std::vector<std::string>{"api (blue)", "api (green)", "api (green)"}));
  EXPECT_EQ(two[1].id, "window:@2");
  EXPECT_EQ(two[2].id, "window:@3");

  EXPECT_EQ(titles(G::group({crewPane("%1", "@1", "api-blue", "api"),
                             crewPane("%2", "@1", "api-blue", "api")})),
            (std::vector<std::string>{"api"}));
  // Without a project the crew id is the project.
  PaneEntry bare = crewPane("%1", "@1", "solo-crew", "");
  EXPECT_EQ(titles(G::group({bare})), (std::vector<std::string>{"solo-crew"}));
}

TEST(PaneGrouping, ATeamIsTitledByItsProjectsDirectoryName) {
  const auto one = G::group({crewPane("%1", "@1", "crew-4f2a", "/work/clients/acme/api")});
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].title, "api");
  EXPECT_EQ(one[0].titleSuffix, "");
  EXPECT_EQ(one[0].crewProject, "/work/clients/acme/api");

  // Several teams of one path: the tag follows the name and is kept apart for shortening;
  // a crew id that begins with the directory's name loses that prefix like it would the project's.
  const auto two = G::group({crewPane("%1", "@1", "crew-4f2a", "~/src/api/"), crewPane("%2", "@2", "api-green", "~/src/api/")});
  EXPECT_EQ(titles(two), (std::vector<std::string>{"api (crew-4f2a)", "api (green)"}));
  EXPECT_EQ(two[0].titleSuffix, " (crew-4f2a)");
  EXPECT_EQ(two[1].titleSuffix, " (green)");

  // Teams are counted per project, not per name: the same name in two places is two projects,
  // told apart by their folders, with the tag after it when a project has several teams.
  const auto apart = G::group({crewPane("%1", "@1", "crew-a", "/a/api"), crewPane("%2", "@2", "api-b", "/b/api"),
                               crewPane("%3", "@3", "api-c", "/b/api")});
  EXPECT_EQ(titles(apart), (std::vector<std::string>{"a/api", "b/api (b)", "b/api (c)"}));
  EXPECT_EQ(apart[1].titleSuffix, " (b)");
  // Text that is not a path stays whole; windows that are not a team's have no project.
  EXPECT_EQ(titles(G::group({crewPane("%1", "@1", "crew-a", "my api/v2 notes")})), (std::vector<std::string>{"my api/v2 notes"}));
  EXPECT_EQ(G::group({paneEntry("%1")})[0].crewProject, "");
}

TEST(PaneGrouping, ProjectsOfOneNameAreToldApartByTheirNearestDifferingFolders) {
  const std::vector<std::string> projects = {
      "/home/a/work/api", "/home/a/oss/api", "/home/a/oss/api",  // one name (a project given twice counts once)
      "/srv/x/src/web", "/srv/y/src/web", "~/src/web",          // they differ further up
      "/srv/tool", "/srv/tool/tool", "/opt/srv/tool",           // nested, and one ending another: the whole path
      "/home/a/docs", "notes", "my api/v2 notes", "crew-id"};   // unrelated: their own names
  const auto names = G::distinctProjectNames(projects);
  const std::map<std::string, std::string> expected = {
      {"/home/a/work/api", "work/api"}, {"/home/a/oss/api", "oss/api"},
      {"/srv/x/src/web", "x/src/web"},  {"/srv/y/src/web", "y/src/web"},       {"~/src/web", "~/src/web"},
      {"/srv/tool", "/srv/tool"},       {"/srv/tool/tool", "tool/tool"},        {"/opt/srv/tool", "opt/srv/tool"},
      {"/home/a/docs", "docs"},         {"notes", "notes"},                     {"my api/v2 notes", "my api/v2 notes"},
      {"crew-id", "crew-id"}};
  const std::map<std::string, std::string> sorted(names.begin(), names.end());
  EXPECT_EQ(sorted, expected);
}

TEST(PaneGrouping, GroupTitleRules) {
  struct Case {
    const char* name;
    std::function<void(PaneEntry&)> setup;
    std::string title;
  };
  const Case cases[] = {
      {"emptyWindowNameUsesSession", [](PaneEntry& e) { e.windowName = ""; }, "work"},
      {"genericNameStillTitles", [](PaneEntry& e) { e.windowName = "zsh"; }, "zsh"},
      {"groupWindowByName",
       [](PaneEntry& e) {
         e.windowKind = "group";
         e.windowName = "Reviewers";
         e.crewId = "c";
       },
       "Reviewers"},
      {"unnamedGroupWindow",
       [](PaneEntry& e) {
         e.windowKind = "group";
         e.windowName = "";
       },
       "Agent Group"},
      {"soloFlag", [](PaneEntry& e) { e.soloWindow = true; }, "Solo"},
      {"soloFlagFalse", [](PaneEntry& e) { e.soloWindow = false; }, "main"},
      {"soloName", [](PaneEntry& e) { e.windowName = "Solo"; }, "Solo"},
      {"crewBeforeSolo",
       [](PaneEntry& e) {
         e.soloWindow = true;
         e.crewId = "web-1";
         e.crewProject = "web";
       },
       "web"},
  };
  for (const Case& c : cases) {
    PaneEntry entry = paneEntry("%1");
    c.setup(entry);
    EXPECT_EQ(titles(G::group({entry})), (std::vector<std::string>{c.title})) << c.name;
  }
}

TEST(PaneGrouping, GroupTitleOfWindow) {
  EXPECT_EQ(G::groupTitle("work", " api "), "api");
  EXPECT_EQ(G::groupTitle("work", "work"), "work");
  EXPECT_EQ(G::groupTitle("work", "Python3"), "work");
  EXPECT_EQ(G::groupTitle("work", "claude.exe"), "work");
  EXPECT_EQ(G::groupTitle("work", "  "), "work");
}

TEST(PaneGrouping, ParkedPaneJoinsItsHomeWindowWhileItIsListed) {
  PaneEntry home = paneEntry("%1", "@1", "home");
  PaneEntry parked = paneEntry("%2", "@5", "takeover");
  parked.takeoverHomeWindowId = "@1";
  PaneEntry other = paneEntry("%3", "@5", "takeover");

  auto groups = G::group({parked, home, other});
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].id, "window:@1");
  EXPECT_EQ(groups[0].title, "home");  // the anchor is the pane at home, not the parked one
  EXPECT_EQ(rowIds(groups[0]), (std::vector<std::string>{"%1", "%2"}));
  EXPECT_TRUE(groups[0].rows[1].isTakeoverParked);
  EXPECT_EQ(rowIds(groups[1]), (std::vector<std::string>{"%3"}));

  // Home window gone: the parked pane stays where it is.
  groups = G::group({parked});
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].id, "window:@5");
  EXPECT_EQ(groups[0].title, "takeover");

  // A home window that only holds parked panes does not count as listed.
  PaneEntry parkedElsewhere = paneEntry("%4", "@1", "home");
  parkedElsewhere.takeoverHomeWindowId = "@8";
  groups = G::group({parked, parkedElsewhere});
  EXPECT_EQ(groups.size(), 2u);
}

TEST(PaneGrouping, EmptyWindowIdGroupsBySessionAndIndex) {
  PaneEntry a = paneEntry("%1", "", "w", "s");
  a.windowIndex = 3;
  PaneEntry b = paneEntry("%2", "", "w", "s");
  b.windowIndex = 3;
  PaneEntry c = paneEntry("%3", "", "w", "s");
  c.windowIndex = 4;
  const auto groups = G::group({a, b, c});
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].id, "window:s:3");
  EXPECT_EQ(groups[0].rows.size(), 2u);
  EXPECT_EQ(groups[1].id, "window:s:4");
}

TEST(PaneGrouping, GroupsSortByTitleCaseInsensitivelyThenId) {
  const auto groups = G::group({paneEntry("%1", "@9", "beta"), paneEntry("%2", "@5", "alpha"),
                                paneEntry("%3", "@2", "Alpha"), paneEntry("%4", "@7", "Ärger")});
  // The locale-free fallback orders by scalar; the app passes a collator that puts Ä with A.
  EXPECT_EQ(titles(groups), (std::vector<std::string>{"Alpha", "alpha", "beta", "Ärger"}));
  EXPECT_EQ(groups[0].id, "window:@2");
  EXPECT_EQ(groups[1].id, "window:@5");

  // The comparison is the caller's: a reversed one reverses the order.
  const auto reversed = G::group(
      {paneEntry("%1", "@1", "a"), paneEntry("%2", "@2", "b")},
      [](std::string_view x, std::string_view y) { return -G::caseInsensitiveCompare(x, y); });
  EXPECT_EQ(titles(reversed), (std::vector<std::string>{"b", "a"}));
}

TEST(PaneGrouping, LocationsShortenedByTitleAndRunningCounted) {
  PaneEntry a = paneEntry("%1", "@1", "api");
  a.windowIndex = 2;
  a.load = "light";
  PaneEntry b = paneEntry("%2", "@1", "api");
  b.windowIndex = 2;
  b.paneIndex = 1;
  const auto groups = G::group({a, b});
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].rows[0].paneLocation, "2.0");
  EXPECT_EQ(groups[0].rows[1].paneLocation, "2.1");
  EXPECT_EQ(groups[0].runningCount, 1);
  EXPECT_FALSE(groups[0].isStale);

  EXPECT_EQ(G::displayLocation("api-2:1.0", "api"), "2:1.0");
  EXPECT_EQ(G::displayLocation("apix:1.0", "api"), "apix:1.0");
  EXPECT_EQ(G::displayLocation(":1.0", ""), ":1.0");
}

TEST(PaneSelectionReconciler, Resolve) {
  using R = PaneSelectionReconciler::Resolution;
  const std::vector<std::string> live = {"%1", "%2"};
  EXPECT_EQ(PaneSelectionReconciler::resolve(live, "%2"), (R{"%2", true}));
  EXPECT_EQ(PaneSelectionReconciler::resolve(live, "%9"), (R{"%1", false}));
  EXPECT_EQ(PaneSelectionReconciler::resolve(live, std::nullopt), (R{"%1", false}));
  EXPECT_EQ(PaneSelectionReconciler::resolve({}, "%2"), (R{std::nullopt, false}));
}

TEST(DaemonGenerationTracker, ReportsOnlyAChangedGeneration) {
  DaemonGenerationTracker tracker;
  EXPECT_FALSE(tracker.observe(std::nullopt));
  EXPECT_FALSE(tracker.observe(""));
  EXPECT_FALSE(tracker.observe("gen-a"));
  EXPECT_FALSE(tracker.observe("gen-a"));
  EXPECT_FALSE(tracker.observe(""));
  EXPECT_TRUE(tracker.observe("gen-b"));
  EXPECT_EQ(tracker.current(), "gen-b");
  EXPECT_FALSE(tracker.observe("gen-b"));
  EXPECT_TRUE(tracker.observe("gen-a"));
}

}  // namespace
}  // namespace vesket::viewer
