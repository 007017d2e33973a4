#include "ui/pane_sidebar_model.h"

#include "viewer/pane_list_store.h"

namespace vesket::ui {

namespace {
// Internal ids: 0 marks a group item; a pane item stores its group index + 1.
constexpr quintptr kGroupItem = 0;
}  // namespace

QString PaneSidebarModel::displayText(const std::string& text) {
  if (text == "Agent Group") return qtTrId("macos.pane_sidebar.agent_group");
  if (text == "Solo") return qtTrId("macos.pane_sidebar.solo");
  if (text == "Terminal") return qtTrId("macos.pane_sidebar.terminal");
  return QString::fromStdString(text);
}

PaneSidebarModel::PaneSidebarModel(viewer::PaneListStore* store, QObject* parent)
    : QAbstractItemModel(parent), m_store(store), m_groups(store->groups()) {
  connect(store, &viewer::PaneListStore::groupsChanged, this, &PaneSidebarModel::onGroupsChanged);
}

bool PaneSidebarModel::sameShape(const std::vector<viewer::PaneGroup>& a, const std::vector<viewer::PaneGroup>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t g = 0; g < a.size(); ++g) {
    if (a[g].id != b[g].id || a[g].rows.size() != b[g].rows.size()) return false;
    for (std::size_t r = 0; r < a[g].rows.size(); ++r) {
      if (a[g].rows[r].id != b[g].rows[r].id) return false;
    }
  }
  return true;
}

void PaneSidebarModel::onGroupsChanged() {
  const auto& next = m_store->groups();
  if (sameShape(m_groups, next)) {
    const auto previous = std::exchange(m_groups, next);
    for (std::size_t g = 0; g < m_groups.size(); ++g) {
      const QModelIndex groupIndex = index(static_cast<int>(g), 0);
      if (!(previous[g].title == m_groups[g].title && previous[g].crewProject == m_groups[g].crewProject &&
            previous[g].runningCount == m_groups[g].runningCount && previous[g].isStale == m_groups[g].isStale)) {
        emit dataChanged(groupIndex, groupIndex);
      }
      for (std::size_t r = 0; r < m_groups[g].rows.size(); ++r) {
        if (previous[g].rows[r] == m_groups[g].rows[r]) continue;
        const QModelIndex rowIndex = index(static_cast<int>(r), 0, groupIndex);
        emit dataChanged(rowIndex, rowIndex);
      }
    }
    return;
  }
  beginResetModel();
  m_groups = next;
  endResetModel();
  emit rosterReset();
}

void PaneSidebarModel::setAwaitingPaneIds(const std::set<std::string>& ids) {
  if (ids == m_awaiting) return;
  std::set<std::string> changed;
  std::set_symmetric_difference(ids.begin(), ids.end(), m_awaiting.begin(), m_awaiting.end(),
                                std::inserter(changed, changed.end()));
  m_awaiting = ids;
  for (const auto& id : changed) {
    const QModelIndex i = indexOfPane(id);
    if (i.isValid()) emit dataChanged(i, i, {AwaitingRole});
  }
}

QModelIndex PaneSidebarModel::indexOfPane(const std::string& paneId) const {
  for (std::size_t g = 0; g < m_groups.size(); ++g) {
    for (std::size_t r = 0; r < m_groups[g].rows.size(); ++r) {
      if (m_groups[g].rows[r].id == paneId) return createIndex(static_cast<int>(r), 0, static_cast<quintptr>(g + 1));
    }
  }
  return {};
}

QModelIndex PaneSidebarModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  if (!parent.isValid()) {
    if (row >= static_cast<int>(m_groups.size())) return {};
    return createIndex(row, 0, kGroupItem);
  }
  if (parent.internalId() != kGroupItem) return {};
  const auto& group = m_groups[static_cast<std::size_t>(parent.row())];
  if (row >= static_cast<int>(group.rows.size())) return {};
  return createIndex(row, 0, static_cast<quintptr>(parent.row() + 1));
}

QModelIndex PaneSidebarModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalId() == kGroupItem) return {};
  return createIndex(static_cast<int>(child.internalId() - 1), 0, kGroupItem);
}

int PaneSidebarModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return static_cast<int>(m_groups.size());
  if (parent.internalId() != kGroupItem) return 0;
  return static_cast<int>(m_groups[static_cast<std::size_t>(parent.row())].rows.size());
}

int PaneSidebarModel::columnCount(const QModelIndex&) const { return 1; }

Qt::ItemFlags PaneSidebarModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  if (index.internalId() == kGroupItem) return Qt::ItemIsEnabled;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant PaneSidebarModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (index.internalId() == kGroupItem) {
    const auto& group = m_groups[static_cast<std::size_t>(index.row())];
    switch (role) {
      case Qt::DisplayRole: return displayText(group.title);
      case IsGroupRole: return true;
      case GroupRole: return QVariant::fromValue(static_cast<const void*>(&group));
      case Qt::ToolTipRole:
        // A team's header shows its project's name; the tooltip says where it is.
        if (!group.crewProject.empty() && group.crewProject != group.title) {
          return displayText(group.title) + u'\n' + QString::fromStdString(group.crewProject);
        }
        return displayText(group.title);
      default: return {};
    }
  }
  const auto& group = m_groups[static_cast<std::size_t>(index.internalId() - 1)];
  const auto& row = group.rows[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole: return displayText(row.label);
    case Qt::ToolTipRole: {
      QString tip = QString::fromStdString(row.fullLabel);
      if (row.parentChip) tip += "\n" + QString::fromStdString(*row.parentChip);
      tip += "\n" + QString::fromStdString(row.paneLocation) + "  ·  " + QString::fromStdString(row.id);
      if (row.modelReason) tip += "\n" + QString::fromStdString(*row.modelReason);
      return tip;
    }
    case IsGroupRole: return false;
    case PaneIdRole: return QString::fromStdString(row.id);
    case RowRole: return QVariant::fromValue(static_cast<const void*>(&row));
    case AwaitingRole: return m_awaiting.count(row.id) > 0;
    default: return {};
  }
}

}  // namespace vesket::ui
