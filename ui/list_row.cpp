#include "ui/list_row.h"

#include <QListWidget>
#include <QScrollBar>

#include <algorithm>
#include <set>

namespace vesket::ui {
namespace {

// An item the view showed before the update, and where.
struct ShownItem {
  QListWidgetItem* item;
  int row;
  int top;  // in the viewport
};

// Of the items that stay, those that keep their order among the others (a longest run whose
// rows still increase); the others are the ones that moved. `rows` are the items' new rows
// in their old order.
std::vector<bool> keptInOrder(const std::vector<int>& rows) {
  std::vector<std::size_t> tails;                   // index ending the best run of each length
  std::vector<std::size_t> before(rows.size(), 0);  // the index before each one in its run
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const auto at = std::lower_bound(tails.begin(), tails.end(), rows[i],
                                     [&](std::size_t tail, int row) { return rows[tail] < row; });
    if (at != tails.begin()) before[i] = *(at - 1);
    if (at == tails.end()) tails.push_back(i);
    else *at = i;
  }
  std::vector<bool> kept(rows.size(), false);
  if (tails.empty()) return kept;
  for (std::size_t i = tails.back(), left = tails.size(); left > 0; i = before[i], --left) kept[i] = true;
  return kept;
}

}  // namespace

void updateListRows(QListWidget* list, const std::vector<ListRow>& rows) {
  QListWidgetItem* current = list->currentItem();
  std::set<QString> wanted;
  for (const ListRow& row : rows) wanted.insert(row.key);

  // What the view shows stays where it is while rows above it come and go; a list at its top
  // stays there, so that a row added at the top is seen.
  QScrollBar* bar = list->verticalScrollBar();
  const int scrolled = bar->value();
  std::vector<QListWidgetItem*> staying;
  std::vector<ShownItem> shown;
  for (int i = 0; i < list->count(); ++i) {
    QListWidgetItem* item = list->item(i);
    if (!wanted.contains(item->data(Qt::UserRole).toString())) continue;
    staying.push_back(item);
    if (scrolled == bar->minimum()) continue;
    const QRect rect = list->visualItemRect(item);
    if (rect.bottom() >= 0 && rect.top() < list->viewport()->height()) shown.push_back({item, i, rect.top()});
  }

  for (int i = list->count() - 1; i >= 0; --i) {
    if (wanted.contains(list->item(i)->data(Qt::UserRole).toString())) continue;
    if (list->item(i) == current) current = nullptr;
    delete list->takeItem(i);
  }

  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    const ListRow& row = rows[static_cast<std::size_t>(i)];
    int found = i;
    while (found < list->count() && list->item(found)->data(Qt::UserRole).toString() != row.key) ++found;
    QListWidgetItem* item = nullptr;
    if (found == list->count()) {
      item = new QListWidgetItem();
      item->setData(Qt::UserRole, row.key);
      list->insertItem(i, item);
    } else {
      item = found == i ? list->item(i) : list->takeItem(found);
      if (found != i) list->insertItem(i, item);
    }
    if (item->text() != row.text) item->setText(row.text);
    if (item->toolTip() != row.toolTip) item->setToolTip(row.toolTip);
    if (item->font().bold() != row.bold) {
      QFont font = item->font();
      font.setBold(row.bold);
      item->setFont(font);
    }
  }

  // A moved item lost its place as the current one; giving it back must not scroll the list
  // to it, as the user may have scrolled away from it.
  if (current && list->currentItem() != current) {
    const int value = bar->value();
    list->setCurrentItem(current);
    bar->setValue(value);
  }

  // The first shown item that did not move is put back where it was: the height of what left
  // above it and of what came is taken off or added to the scroll position (in rows when the
  // list scrolls by rows).
  if (shown.empty()) return;
  std::vector<int> newRows;
  for (QListWidgetItem* item : staying) newRows.push_back(list->row(item));
  const std::vector<bool> kept = keptInOrder(newRows);
  for (const ShownItem& was : shown) {
    const auto index = static_cast<std::size_t>(std::find(staying.begin(), staying.end(), was.item) - staying.begin());
    if (!kept[index]) continue;
    // Measuring the item lays the list out anew, which settles the scroll bar's range first.
    const int top = list->visualItemRect(was.item).top();
    if (list->verticalScrollMode() == QAbstractItemView::ScrollPerPixel) {
      bar->setValue(bar->value() + top - was.top);
    } else {
      bar->setValue(scrolled + newRows[index] - was.row);
    }
    return;
  }
}

QListWidgetItem* listItem(const QListWidget* list, const QString& key) {
  for (int i = 0; i < list->count(); ++i) {
    if (list->item(i)->data(Qt::UserRole).toString() == key) return list->item(i);
  }
  return nullptr;
}

}  // namespace vesket::ui
