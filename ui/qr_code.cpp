#include "ui/qr_code.h"

#include <qrencode.h>

#include <memory>

namespace vesket::ui::QrCode {

QImage render(const QByteArray& text, int moduleSize, int margin) {
  std::unique_ptr<QRcode, void (*)(QRcode*)> code(QRcode_encodeString(text.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1),
                                                  QRcode_free);
  if (!code || moduleSize <= 0 || margin < 0) return {};
  const int side = (code->width + 2 * margin) * moduleSize;
  QImage image(side, side, QImage::Format_RGB32);
  image.fill(Qt::white);
  const QRgb black = qRgb(0, 0, 0);
  for (int y = 0; y < code->width; ++y) {
    for (int x = 0; x < code->width; ++x) {
      if (!(code->data[y * code->width + x] & 1)) continue;
      for (int dy = 0; dy < moduleSize; ++dy) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine((y + margin) * moduleSize + dy));
        for (int dx = 0; dx < moduleSize; ++dx) line[(x + margin) * moduleSize + dx] = black;
      }
    }
  }
  return image;
}

}  // namespace vesket::ui::QrCode
