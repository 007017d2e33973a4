#pragma once

#include <QStyledItemDelegate>

namespace vesket::viewer {
struct PaneRow;
}

namespace vesket::ui {

// "running" or "idle" in the user's language.
QString statusCaption(const viewer::PaneRow& row);

// Draws the sidebar: group headers with their running counts, and two-line pane rows with a
// status dot (running, idle, waiting for you), the label, chips for the parent directory,
// agent kind and model, and the tmux location in small secondary text. Stale sessions are
// dimmed; a team's manager is marked.
class PaneSidebarDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  void paintGroup(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
  void paintPane(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
};

}  // namespace vesket::ui
