#include "viewer/pane_list_store.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QSignalSpy>

#include "tests/viewer/core/pane_entry_builder.h"

namespace vesket::viewer {
namespace {

using control_plane::PaneEntry;
using testing::paneEntry;

TEST(PaneListStore, ApplyKeepsFirstOfEachTrimmedIdAndDropsBlankIds) {
  PaneListStore store;
  QSignalSpy panesSpy(&store, &PaneListStore::panesChanged);
  QSignalSpy groupsSpy(&store, &PaneListStore::groupsChanged);
  PaneEntry first = paneEntry("%3");
  first.label = "first";
  PaneEntry second = paneEntry(" %3 \n");
  second.label = "second";
  PaneEntry padded = paneEntry(" %4 ");
  store.apply({first, second, paneEntry("  "), paneEntry(""), padded});

  ASSERT_EQ(store.panes().size(), 2u);
  EXPECT_EQ(store.panes()[0].label, "first");
  EXPECT_EQ(store.panes()[1].paneId, " %4 ");  // the kept entry is not altered
  EXPECT_EQ(panesSpy.count(), 1);
  EXPECT_EQ(groupsSpy.count(), 1);
  ASSERT_EQ(store.groups().size(), 1u);
  EXPECT_EQ(store.groups()[0].rows.size(), 2u);

  EXPECT_TRUE(store.contains("%3"));
  EXPECT_FALSE(store.contains("%4"));  // exact ids only
  EXPECT_TRUE(store.contains(" %4 "));

  store.apply({});
  EXPECT_TRUE(store.panes().empty());
  EXPECT_TRUE(store.groups().empty());
  EXPECT_EQ(panesSpy.count(), 2);
}

TEST(PaneListStore, IngestAppliesSnapshotsAndIgnoresOtherEvents) {
  PaneListStore store;
  QSignalSpy panesSpy(&store, &PaneListStore::panesChanged);
  store.ingest(control_plane::WatchEvent::snapshot({paneEntry("%1"), paneEntry("%1")}));
  ASSERT_EQ(store.panes().size(), 1u);
  store.ingest(control_plane::WatchEvent::unknown("heartbeat"));
  EXPECT_EQ(store.panes().size(), 1u);
  EXPECT_EQ(panesSpy.count(), 1);
  store.ingest(control_plane::WatchEvent::snapshot({}));
  EXPECT_TRUE(store.panes().empty());
}

TEST(PaneListStore, IsRunningAndOrderedPaneIds) {
  PaneListStore store(PaneGrouping::caseInsensitiveCompare);
  PaneEntry busy = paneEntry("%5", "@2", "beta");
  busy.load = "heavy";
  PaneEntry manager = paneEntry("%9", "@1", "alpha");
  manager.role = "manager";
  store.apply({busy, paneEntry("%2", "@2", "beta"), paneEntry("%1", "@1", "alpha"), manager});

  EXPECT_TRUE(store.isRunning("%5"));
  EXPECT_FALSE(store.isRunning("%2"));
  EXPECT_FALSE(store.isRunning("%77"));
  EXPECT_FALSE(store.isRunning(std::nullopt));
  EXPECT_EQ(store.orderedPaneIds(), (std::vector<std::string>{"%9", "%1", "%2", "%5"}));
}

TEST(PaneListStore, LocaleComparatorIsCaseInsensitiveAndLocaleAware) {
  const auto compare = PaneListStore::localeTitleComparator(QLocale(QLocale::German));
  EXPECT_EQ(compare("Alpha", "alpha"), 0);
  EXPECT_LT(compare("alpha", "Beta"), 0);
  EXPECT_LT(compare("Ärger", "beta"), 0);

  PaneListStore store(compare);
  store.apply({paneEntry("%1", "@9", "beta"), paneEntry("%2", "@5", "alpha"),
               paneEntry("%3", "@2", "Alpha"), paneEntry("%4", "@7", "Ärger")});
  std::vector<std::string> titles;
  for (const PaneGroup& group : store.groups()) titles.push_back(group.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"Alpha", "alpha", "Ärger", "beta"}));
}

}  // namespace
}  // namespace vesket::viewer
