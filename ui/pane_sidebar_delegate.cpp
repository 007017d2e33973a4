#include "ui/pane_sidebar_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

#include "ui/pane_sidebar_model.h"
#include "ui/theme.h"
#include "viewer/core/pane_group.h"

namespace vesket::ui {

QString statusCaption(const viewer::PaneRow& row) {
  return row.isRunning ? qtTrId("macos.pane_sidebar.status_running") : qtTrId("macos.pane_sidebar.status_idle");
}

namespace {

constexpr int kGroupHeight = 30;
constexpr int kRowHeight = 46;
constexpr int kPad = 10;

// Draws a rounded chip and gives its width; nothing is drawn past `maxRight`.
int drawChip(QPainter* p, int x, int baselineY, const QString& text, const QColor& fill, const QColor& ink,
             const QFont& font, int maxRight) {
  const QFontMetrics fm(font);
  const int width = fm.horizontalAdvance(text) + 10;
  if (x + width > maxRight) return 0;
  const QRect chip(x, baselineY - fm.ascent() - 2, width, fm.height() + 3);
  QPainterPath path;
  path.addRoundedRect(chip, 4, 4);
  p->fillPath(path, fill);
  p->setPen(ink);
  p->setFont(font);
  p->drawText(chip, Qt::AlignCenter, text);
  return width + 5;
}

// The group's title in `width`: whole when it fits; else the name is shortened in the middle
// (both ends of a project or window name tend to matter) and a team's " (tag)" stays whole,
// unless even the tag alone does not fit.
QString fittedTitle(const viewer::PaneGroup& group, const QFontMetrics& fm, int width) {
  const QString title = PaneSidebarModel::displayText(group.title);
  if (fm.horizontalAdvance(title) <= width) return title;
  const QString suffix = QString::fromStdString(group.titleSuffix);
  const QString name = title.left(title.size() - suffix.size());
  const int nameWidth = width - fm.horizontalAdvance(suffix);
  if (suffix.isEmpty() || nameWidth < fm.horizontalAdvance(name.left(2) + QChar(0x2026))) {
    return fm.elidedText(title, Qt::ElideMiddle, width);
  }
  return fm.elidedText(name, Qt::ElideMiddle, nameWidth) + suffix;
}

}  // namespace

QSize PaneSidebarDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const bool isGroup = index.data(PaneSidebarModel::IsGroupRole).toBool();
  return {option.rect.width(), isGroup ? kGroupHeight : kRowHeight};
}

void PaneSidebarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing);
  if (index.data(PaneSidebarModel::IsGroupRole).toBool()) {
    paintGroup(painter, option, index);
  } else {
    paintPane(painter, option, index);
  }
  painter->restore();
}

void PaneSidebarDelegate::paintGroup(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const auto& c = Theme::current().colors();
  const auto* group = static_cast<const viewer::PaneGroup*>(index.data(PaneSidebarModel::GroupRole).value<const void*>());
  if (!group) return;
  const QRect r = option.rect.adjusted(kPad, 0, -kPad, 0);
  QFont font = option.font;
  font.setPointSizeF(font.pointSizeF() * 0.85);
  font.setBold(true);
  p->setFont(font);

  QString count;
  if (group->runningCount > 0) {
    //: How many panes of the group have a working agent, e.g. "2 running".
    count = qtTrId("macos.pane_sidebar.running_count", group->runningCount);
  } else {
    count = QString::number(group->rows.size());
  }
  const QFontMetrics fm(font);
  const int countWidth = fm.horizontalAdvance(count) + 4;
  p->setPen(group->runningCount > 0 ? c.running : c.faintText);
  p->drawText(r, Qt::AlignRight | Qt::AlignBottom, count);
  p->setPen(group->isStale ? c.faintText : c.secondaryText);
  const QRect titleRect = r.adjusted(0, 0, -countWidth - 6, -2);
  p->drawText(titleRect.adjusted(0, 0, 0, 2), Qt::AlignLeft | Qt::AlignBottom, fittedTitle(*group, fm, titleRect.width()));
}

void PaneSidebarDelegate::paintPane(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  const auto& c = Theme::current().colors();
  const auto* row = static_cast<const viewer::PaneRow*>(index.data(PaneSidebarModel::RowRole).value<const void*>());
  if (!row) return;
  const bool selected = option.state & QStyle::State_Selected;
  const bool hovered = option.state & QStyle::State_MouseOver;
  const bool awaiting = index.data(PaneSidebarModel::AwaitingRole).toBool();

  const QRect card = option.rect.adjusted(4, 1, -4, -1);
  if (selected || hovered) {
    QPainterPath path;
    path.addRoundedRect(card, 6, 6);
    QColor fill = selected ? c.selection : c.raised;
    if (!selected) fill.setAlpha(150);
    p->fillPath(path, fill);
  }
  if (row->isStale) p->setOpacity(0.55);

  // Status dot.
  const QColor dot = awaiting ? c.awaiting : (row->isRunning ? c.running : c.idle);
  const int dotSize = 8;
  const QPoint dotCenter(card.left() + 12, card.top() + 15);
  p->setPen(Qt::NoPen);
  p->setBrush(dot);
  p->drawEllipse(dotCenter, dotSize / 2, dotSize / 2);
  if (row->isRunning && !awaiting) {
    QColor halo = dot;
    halo.setAlpha(60);
    p->setBrush(halo);
    p->drawEllipse(dotCenter, dotSize / 2 + 3, dotSize / 2 + 3);
  }

  const int textLeft = card.left() + 26;
  int right = card.right() - 8;

  // Waiting badge on the first line's right.
  QFont small = option.font;
  small.setPointSizeF(option.font.pointSizeF() * 0.82);
  if (awaiting) {
    QFont badgeFont = small;
    badgeFont.setBold(true);
    const QString text = qtTrId("macos.pane_sidebar.waiting");
    const int w = QFontMetrics(badgeFont).horizontalAdvance(text) + 12;
    const int baseline = card.top() + 19;
    QColor fill = c.awaiting;
    fill.setAlpha(Theme::current().isDark() ? 60 : 45);
    drawChip(p, right - w, baseline, text, fill, c.awaiting, badgeFont, right + 1);
    right -= w + 6;
  }

  // First line: label, and the manager mark.
  QFont labelFont = option.font;
  labelFont.setWeight(selected ? QFont::DemiBold : QFont::Medium);
  p->setFont(labelFont);
  p->setPen(c.text);
  QString label = PaneSidebarModel::displayText(row->label);
  if (row->isManager) label = QString::fromUtf8("\u2605 ") + label;
  const QFontMetrics lfm(labelFont);
  p->drawText(QRect(textLeft, card.top() + 4, right - textLeft, lfm.height() + 2), Qt::AlignLeft | Qt::AlignVCenter,
              lfm.elidedText(label, Qt::ElideRight, right - textLeft));

  // Second line: chips, then the location.
  const int baseline2 = card.top() + 36;
  int x = textLeft;
  const int limit = card.right() - 8;
  if (row->parentChip) {
    x += drawChip(p, x, baseline2, QString::fromStdString(*row->parentChip), c.chip, c.chipText, small, limit);
  }
  if (auto kind = viewer::displayLabel(row->agentKind)) {
    QColor fill = c.accent;
    fill.setAlpha(Theme::current().isDark() ? 55 : 35);
    x += drawChip(p, x, baseline2, QString::fromUtf8(kind->data(), static_cast<int>(kind->size())), fill,
                  Theme::current().isDark() ? c.accent.lighter(135) : c.accent.darker(120), small, limit);
  }
  if (row->modelLabel) {
    x += drawChip(p, x, baseline2, QString::fromStdString(*row->modelLabel), c.chip, c.chipText, small, limit);
  }
  p->setFont(small);
  p->setPen(c.faintText);
  const QFontMetrics sfm(small);
  QString location = QString::fromStdString(row->paneLocation);
  if (!row->isRunning && !awaiting) location += QString::fromUtf8("  \u00b7  ") + statusCaption(*row);
  if (x < limit - 20) {
    p->drawText(QRect(x, baseline2 - sfm.ascent() - 1, limit - x, sfm.height() + 2), Qt::AlignLeft | Qt::AlignVCenter,
                sfm.elidedText(location, Qt::ElideRight, limit - x));
  }
}

}  // namespace vesket::ui
