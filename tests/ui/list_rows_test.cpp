// Lists updated in place (threads, board columns) keep what the user is looking at where it
// is on screen while rows reorder around it, whether the list scrolls by rows or by pixels.
#include <QApplication>
#include <QListWidget>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "ui/list_row.h"

namespace {

using vesket::ui::ListRow;

void show(QListWidget& list, const std::vector<int>& order) {
  std::vector<ListRow> rows;
  for (int key : order) rows.push_back({QString::number(key), QStringLiteral("Thread %1").arg(key)});
  vesket::ui::updateListRows(&list, rows);
  QApplication::processEvents();
}

int topOf(const QListWidget& list, int key) {
  return list.visualItemRect(vesket::ui::listItem(&list, QString::number(key))).top();
}

void moveTo(std::vector<int>& order, int key, std::size_t at) {
  order.erase(std::find(order.begin(), order.end(), key));
  order.insert(order.begin() + static_cast<std::ptrdiff_t>(std::min(at, order.size())), key);
}

TEST(ListRows, ReorderingAroundTheViewLeavesWhatItShowsInPlace) {
  for (const auto mode : {QAbstractItemView::ScrollPerItem, QAbstractItemView::ScrollPerPixel}) {
    SCOPED_TRACE(mode == QAbstractItemView::ScrollPerItem ? "per item" : "per pixel");
    QListWidget list;
    list.setVerticalScrollMode(mode);
    list.resize(240, 200);
    list.show();
    std::vector<int> order(40);
    std::iota(order.begin(), order.end(), 0);
    show(list, order);
    list.scrollToItem(vesket::ui::listItem(&list, "15"), QAbstractItemView::PositionAtTop);
    QApplication::processEvents();
    const int top15 = topOf(list, 15), top16 = topOf(list, 16);

    moveTo(order, 30, 0);  // a thread below the view comes to the top
    show(list, order);
    EXPECT_EQ(topOf(list, 15), top15);
    moveTo(order, 5, order.size());  // one above the view goes to the bottom
    show(list, order);
    EXPECT_EQ(topOf(list, 15), top15);
    moveTo(order, 15, 0);  // the first thread in view jumps to the top: the next keeps its place
    show(list, order);
    EXPECT_EQ(topOf(list, 16), top16);

    // A list at its top stays there, so a new thread at the top is seen.
    list.verticalScrollBar()->setValue(list.verticalScrollBar()->minimum());
    order.insert(order.begin(), 100);
    show(list, order);
    EXPECT_EQ(list.verticalScrollBar()->value(), list.verticalScrollBar()->minimum());
    EXPECT_EQ(topOf(list, 100), 0);
  }
}

}  // namespace
