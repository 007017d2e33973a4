// The pane sidebar's store: the last pane list the daemon (or the relay) reported,
// de-duplicated, and its grouping. Lives on the UI thread; every apply replaces both
// published values and announces them.
#pragma once

#include <QObject>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "control_plane/core/pane_entry.h"
#include "control_plane/core/watch_event.h"
#include "viewer/core/pane_group.h"
#include "viewer/core/pane_grouping.h"

class QLocale;

namespace vesket::viewer {

class PaneListStore : public QObject {
  Q_OBJECT

 public:
  // Group titles are ordered by `compareTitles`; by default the user's locale,
  // case-insensitively.
  explicit PaneListStore(QObject* parent = nullptr);
  PaneListStore(PaneGrouping::TitleComparator compareTitles, QObject* parent = nullptr);

  const std::vector<control_plane::PaneEntry>& panes() const { return m_panes; }
  const std::vector<PaneGroup>& groups() const { return m_groups; }

  // Keeps the first entry of each pane id (compared trimmed of white space and line ends),
  // drops entries whose id is blank, and publishes the result and its grouping.
  void apply(const std::vector<control_plane::PaneEntry>& entries);

  // A watch snapshot's panes are applied; any other event is ignored.
  void ingest(const control_plane::WatchEvent& event);

  bool contains(std::string_view paneId) const;
  // False for no id or an id not listed; otherwise whether that pane's agent is busy.
  bool isRunning(std::optional<std::string_view> paneId) const;
  // The ids of all rows, group by group: the sidebar's visual order.
  std::vector<std::string> orderedPaneIds() const;

  // A case-insensitive comparison in the locale's collation order.
  static PaneGrouping::TitleComparator localeTitleComparator(const QLocale& locale);

 signals:
  void panesChanged();
  void groupsChanged();

 private:
  PaneGrouping::TitleComparator m_compareTitles;
  std::vector<control_plane::PaneEntry> m_panes;
  std::vector<PaneGroup> m_groups;
};

}  // namespace vesket::viewer
