#pragma once

#include <QByteArray>
#include <QImage>

namespace vesket::ui::QrCode {

// The text as a QR code (libqrencode, error correction M): black modules `moduleSize`
// pixels wide on white, with a quiet zone of `margin` modules. A null image when the text
// does not fit a QR code.
QImage render(const QByteArray& text, int moduleSize = 6, int margin = 4);

}  // namespace vesket::ui::QrCode
