#pragma once

#include <QAbstractItemModel>

#include <set>
#include <string>
#include <vector>

#include "viewer/core/pane_group.h"

namespace vesket::viewer {
class PaneListStore;
}

namespace vesket::ui {

// The sidebar's two-level model over the pane list store: groups (tmux windows and agent
// teams) with their pane rows beneath. A roster whose shape is unchanged updates rows in
// place, so selection and scrolling stay put while labels and states change.
class PaneSidebarModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  enum Role {
    IsGroupRole = Qt::UserRole + 1,
    PaneIdRole,
    GroupRole,        // const PaneGroup* for group items
    RowRole,          // const PaneRow* for pane items
    AwaitingRole,     // bool: the pane waits for the user
  };

  explicit PaneSidebarModel(viewer::PaneListStore* store, QObject* parent = nullptr);

  // A group title or pane label as shown: the grouping's own fixed names ("Agent Group",
  // "Solo", "Terminal") in the user's language, anything else (names from tmux) as it is.
  static QString displayText(const std::string& text);

  void setAwaitingPaneIds(const std::set<std::string>& ids);

  QModelIndex indexOfPane(const std::string& paneId) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // Emitted after a reset, so that views can expand groups and restore the selection.
  void rosterReset();

 private:
  void onGroupsChanged();
  static bool sameShape(const std::vector<viewer::PaneGroup>& a, const std::vector<viewer::PaneGroup>& b);

  viewer::PaneListStore* m_store;
  std::vector<viewer::PaneGroup> m_groups;
  std::set<std::string> m_awaiting;
};

}  // namespace vesket::ui
