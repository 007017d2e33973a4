// The sidebar model over a real pane list store, and a rendering of it for people to look at.
#include <QApplication>
#include <QTreeView>

#include <gtest/gtest.h>

#include "control_plane/core/pane_entry.h"
#include "tests/support/screenshot.h"
#include "ui/pane_sidebar_delegate.h"
#include "ui/pane_sidebar_model.h"
#include "ui/theme.h"
#include "viewer/pane_list_store.h"

using vesket::control_plane::PaneEntry;
using vesket::ui::PaneSidebarModel;

namespace {

PaneEntry pane(std::string id, std::string session, int windowIndex, std::string windowId, std::string windowName,
               int paneIndex, std::string title, std::string cwd, std::string cmd, std::optional<std::string> kind,
               std::optional<std::string> load = std::nullopt) {
  PaneEntry e;
  e.paneId = std::move(id);
  e.label = e.paneId;
  e.registeredAt = 1;
  e.sessionName = std::move(session);
  e.windowIndex = windowIndex;
  e.windowId = std::move(windowId);
  e.windowName = std::move(windowName);
  e.paneIndex = paneIndex;
  e.paneTitle = std::move(title);
  e.cwdBasename = std::move(cwd);
  e.cmd = std::move(cmd);
  e.topicPreview = "";
  e.paneWidth = 120;
  e.agentKind = std::move(kind);
  e.load = std::move(load);
  return e;
}

std::vector<PaneEntry> roster() {
  auto a = pane("%1", "work", 0, "@1", "api", 0, "✳ Refactor request router", "api", "claude", "claude", "heavy");
  a.modelLabel = "Sonnet 4.5";
  auto b = pane("%2", "work", 0, "@1", "api", 1, "zsh", "api", "zsh", "shell");
  auto c = pane("%3", "work", 1, "@2", "web", 0, "Fix flaky login test", "web", "node", "codex", "light");
  c.modelLabel = "gpt-5-codex";
  auto d = pane("%4", "work", 1, "@2", "web", 1, "~/src/web/packages/ui", "ui", "gemini", "gemini", "idle");
  return {a, b, c, d};
}

TEST(PaneSidebarModel, MirrorsGroupsAndUpdatesRowsInPlace) {
  vesket::viewer::PaneListStore store;
  PaneSidebarModel model(&store);
  int resets = 0;
  QObject::connect(&model, &PaneSidebarModel::rosterReset, [&] { ++resets; });
  store.apply(roster());
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(resets, 1);
  const QModelIndex api = model.index(0, 0);
  EXPECT_TRUE(model.data(api, PaneSidebarModel::IsGroupRole).toBool());
  EXPECT_EQ(model.rowCount(api), 2);
  EXPECT_EQ(model.data(model.index(0, 0, api), PaneSidebarModel::PaneIdRole).toString(), "%1");
  EXPECT_FALSE(model.flags(api) & Qt::ItemIsSelectable) << "groups are headers, not selections";

  // Same panes, new title: no reset, one row changed.
  auto next = roster();
  next[0].paneTitle = "✳ Write the migration";
  std::vector<QModelIndex> changed;
  QObject::connect(&model, &QAbstractItemModel::dataChanged,
                   [&](const QModelIndex& from, const QModelIndex&) { changed.push_back(from); });
  store.apply(next);
  EXPECT_EQ(resets, 1);
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(model.data(changed[0], PaneSidebarModel::PaneIdRole).toString(), "%1");

  // A pane leaves: the shape changes and the model resets.
  next.pop_back();
  store.apply(next);
  EXPECT_EQ(resets, 2);
  EXPECT_FALSE(model.indexOfPane("%4").isValid());
  EXPECT_TRUE(model.indexOfPane("%3").isValid());
}

TEST(PaneSidebarModel, AwaitingBadgeChangesOnlyTouchedRows) {
  vesket::viewer::PaneListStore store;
  PaneSidebarModel model(&store);
  store.apply(roster());
  int changes = 0;
  QObject::connect(&model, &QAbstractItemModel::dataChanged, [&] { ++changes; });
  model.setAwaitingPaneIds({"%3"});
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(model.data(model.indexOfPane("%3"), PaneSidebarModel::AwaitingRole).toBool());
  model.setAwaitingPaneIds({"%3"});
  EXPECT_EQ(changes, 1);
  model.setAwaitingPaneIds({"%1"});
  EXPECT_EQ(changes, 3);
}

TEST(PaneSidebarView, RendersBothSchemes) {
  for (auto scheme : {vesket::ui::Theme::Scheme::dark, vesket::ui::Theme::Scheme::light}) {
    vesket::ui::Theme theme;
    theme.apply(*qApp);
    theme.setScheme(scheme);
    vesket::viewer::PaneListStore store;
    PaneSidebarModel model(&store);
    // Two teams of one project with a long path, one of another project of the same name, and
    // one of a project with a long name.
    auto shown = roster();
    for (const char* id : {"%5", "%6"}) {
      auto member = pane(id, "work", 2, id == std::string("%5") ? "@3" : "@4", "vesket", 0, "", "api", "claude", "claude");
      member.crewId = id == std::string("%5") ? "crew-4f2a91c0de" : "crew-b7e1";
      member.crewProject = "/work/clients/acme/services/payments-api";
      shown.push_back(member);
    }
    auto lone = pane("%7", "work", 3, "@5", "vesket", 0, "", "api", "codex", "codex");
    lone.crewId = "crew-c3";
    lone.crewProject = "/work/src/customer-onboarding-and-billing-dashboard";
    shown.push_back(lone);
    auto namesake = pane("%8", "work", 4, "@6", "vesket", 0, "", "api", "claude", "claude");
    namesake.crewId = "crew-d9";
    namesake.crewProject = "/work/oss/payments-api";
    shown.push_back(namesake);
    store.apply(shown);
    model.setAwaitingPaneIds({"%3"});
    QTreeView view;
    view.setModel(&model);
    view.setItemDelegate(new vesket::ui::PaneSidebarDelegate(&view));
    view.setHeaderHidden(true);
    view.setRootIsDecorated(false);
    view.setIndentation(0);
    view.expandAll();
    view.setCurrentIndex(model.indexOfPane("%1"));
    view.resize(300, 600);
    view.show();
    QApplication::processEvents();
    const QString name = scheme == vesket::ui::Theme::Scheme::dark ? "sidebar-dark" : "sidebar-light";
    vesket::testing::saveScreenshot(view, name);
    EXPECT_FALSE(view.grab().isNull());
    view.resize(200, 600);
    QApplication::processEvents();
    vesket::testing::saveScreenshot(view, name + "-narrow");
  }
}

}  // namespace
