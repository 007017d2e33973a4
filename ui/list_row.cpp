#include "ui/list_row.h"

#include <QListWidget>
#include <QScrollBar>

#include <set>

namespace vesket::ui {

void updateListRows(QListWidget* list, const std::vector<ListRow>& rows) {
  QListWidgetItem* current = list->currentItem();
  std::set<QString> wanted;
  for (const ListRow& row : rows) wanted.insert(row.key);
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
    QScrollBar* bar = list->verticalScrollBar();
    const int value = bar->value();
    list->setCurrentItem(current);
    bar->setValue(value);
  }
}

QListWidgetItem* listItem(const QListWidget* list, const QString& key) {
  for (int i = 0; i < list->count(); ++i) {
    if (list->item(i)->data(Qt::UserRole).toString() == key) return list->item(i);
  }
  return nullptr;
}

}  // namespace vesket::ui
