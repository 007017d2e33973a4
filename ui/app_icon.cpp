#include "ui/app_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vesket::ui::AppIcon {

namespace {
QPixmap draw(int size, int waiting) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;
  QPainterPath tile;
  tile.addRoundedRect(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.88), s * 0.2, s * 0.2);
  QLinearGradient gradient(0, 0, 0, s);
  gradient.setColorAt(0, QColor(0x3b, 0x6f, 0xe0));
  gradient.setColorAt(1, QColor(0x24, 0x47, 0xa8));
  p.fillPath(tile, gradient);
  p.setPen(Qt::NoPen);
  const qreal barHeight = s * 0.1;
  const qreal widths[] = {0.56, 0.42, 0.5};
  for (int i = 0; i < 3; ++i) {
    p.setBrush(QColor(255, 255, 255, i == 1 ? 170 : 235));
    p.drawRoundedRect(QRectF(s * 0.22, s * (0.27 + i * 0.18), s * widths[i], barHeight), barHeight / 2, barHeight / 2);
  }
  if (waiting > 0) {
    const QRectF badge(s * 0.52, s * 0.0, s * 0.48, s * 0.48);
    p.setBrush(QColor(0xf0, 0xa8, 0x30));
    p.drawEllipse(badge);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(static_cast<int>(s * 0.3));
    p.setFont(font);
    p.setPen(QColor(0x1d, 0x1f, 0x24));
    p.drawText(badge, Qt::AlignCenter, waiting > 9 ? QString("9+") : QString::number(waiting));
  }
  return pixmap;
}
}  // namespace

QIcon icon(int waitingCount) {
  QIcon icon;
  for (int size : {16, 22, 32, 48, 64, 128}) icon.addPixmap(draw(size, waitingCount));
  return icon;
}

}  // namespace vesket::ui::AppIcon
