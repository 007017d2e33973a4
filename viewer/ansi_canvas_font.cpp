#include "viewer/ansi_canvas_font.h"

#include <QFontDatabase>
#include <QStandardPaths>
#include <QStringList>

namespace vesket::viewer::AnsiCanvasFont {

namespace {

const char* const kInstalledFamilies[] = {"Symbols Nerd Font Mono", "Symbols Nerd Font"};
const char* const kFontFile = "SymbolsNerdFontMono-Regular.ttf";

std::optional<QString> locateIconFallback() {
  const QStringList families = QFontDatabase::families();
  for (const char* family : kInstalledFamilies) {
    if (families.contains(QString::fromLatin1(family), Qt::CaseInsensitive)) {
      return QString::fromLatin1(family);
    }
  }
  for (const QString& folder : {QStringLiteral("vesket/fonts/"), QStringLiteral("fonts/")}) {
    const QString path = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                folder + QString::fromLatin1(kFontFile));
    if (path.isEmpty()) continue;
    const int id = QFontDatabase::addApplicationFont(path);
    if (id < 0) continue;
    const QStringList loaded = QFontDatabase::applicationFontFamilies(id);
    if (!loaded.isEmpty()) return loaded.first();
  }
  return std::nullopt;
}

}  // namespace

std::optional<QString> iconFallbackFamily() {
  static const std::optional<QString> family = locateIconFallback();
  return family;
}

QFont canvasFont(qreal pointSize, QFont::Weight weight, bool iconFallback) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setStyleHint(QFont::Monospace, QFont::PreferDefault);
  font.setFixedPitch(true);
  if (pointSize > 0) font.setPointSizeF(pointSize);
  font.setWeight(weight);
  if (iconFallback) {
    if (const auto fallback = iconFallbackFamily()) {
      font.setFamilies({font.family(), *fallback});
    }
  }
  return font;
}

}  // namespace vesket::viewer::AnsiCanvasFont
