#pragma once

// The rows of a QListWidget updated in place: items whose key is still wanted stay the same
// items, so that the list keeps its scroll position, its current item and its selection
// while what it shows changes underneath.

#include <QString>

#include <vector>

class QListWidget;
class QListWidgetItem;

namespace vesket::ui {

// One row of a list: its key (the item's Qt::UserRole data), its text and tooltip, bold or not.
struct ListRow {
  QString key;
  QString text;
  QString toolTip;
  bool bold = false;
};

// Makes the list show these rows in this order: items whose key is gone are deleted, the
// others are refilled where they are and moved only when out of place, new ones are added.
// The current item stays current, and the items in view stay where they are on screen while
// items above them leave or arrive (a list scrolled to its top stays at its top).
void updateListRows(QListWidget* list, const std::vector<ListRow>& rows);
// The list's item with this key, if it has one.
QListWidgetItem* listItem(const QListWidget* list, const QString& key);

}  // namespace vesket::ui
