#include "ui/path_field.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace vesket::ui {
namespace {

// The path in `width`: whole when it fits; else its first folder, then as many of its last
// folders as fit, whole ("/home/…/src/api"); else cut in the middle of its characters.
QString elidedPath(const QString& path, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(path) <= width) return path;
  const QStringList pieces = path.split(u'/');
  const qsizetype headSize = pieces.size() > 1 && pieces.front().isEmpty() ? 2 : 1;
  const QString head = pieces.mid(0, headSize).join(u'/') + QStringLiteral("/\u2026/");
  // A trailing slash leaves an empty last piece; the folder before it is still kept.
  const qsizetype least = pieces.back().isEmpty() ? 2 : 1;
  for (qsizetype kept = pieces.size() - headSize - 1; kept >= least; --kept) {
    const QString shown = head + pieces.mid(pieces.size() - kept).join(u'/');
    if (metrics.horizontalAdvance(shown) <= width) return shown;
  }
  return metrics.elidedText(path, Qt::ElideMiddle, width);
}

}  // namespace

PathField::PathField(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, &PathField::syncToolTip);
}

QString PathField::shownText() const {
  if (hasFocus() || echoMode() != QLineEdit::Normal) return text();
  return elidedPath(text(), fontMetrics(), textArea().width());
}

void PathField::paintEvent(QPaintEvent* event) {
  const QString shown = shownText();
  if (shown == text()) {
    QLineEdit::paintEvent(event);
    return;
  }
  // The frame as the style draws it, then the shortened text where the line edit puts its own.
  QPainter painter(this);
  QStyleOptionFrame option;
  initStyleOption(&option);
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
  painter.drawText(textArea(), Qt::AlignVCenter | Qt::AlignLeading, shown);
}

void PathField::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  syncToolTip();
}

bool PathField::event(QEvent* event) {
  // Into focus the path shows whole, out of it shortened again.
  if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) update();
  return QLineEdit::event(event);
}

// Where QLineEdit draws its text: the style's contents rectangle less the text margins and
// the two pixels it keeps on each side.
QRect PathField::textArea() const {
  constexpr int kInset = 2;
  QStyleOptionFrame option;
  initStyleOption(&option);
  const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
  return contents.adjusted(kInset, 0, -kInset, 0);
}

void PathField::syncToolTip() {
  const bool hidesPart = fontMetrics().horizontalAdvance(text()) > textArea().width();
  setToolTip(hidesPart ? text() : QString());
}

}  // namespace vesket::ui
