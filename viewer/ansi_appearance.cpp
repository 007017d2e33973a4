#include "viewer/ansi_appearance.h"

namespace vesket::viewer::AnsiAppearance {

bool isDark(const QPalette& palette) {
  return palette.color(QPalette::Window).lightnessF() <
         palette.color(QPalette::WindowText).lightnessF();
}

QColor toQColor(const AnsiRgb& rgb) {
  return QColor::fromRgbF(static_cast<float>(rgb.red), static_cast<float>(rgb.green),
                          static_cast<float>(rgb.blue), static_cast<float>(rgb.alpha));
}

}  // namespace vesket::viewer::AnsiAppearance
