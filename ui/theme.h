#pragma once

#include <QColor>
#include <QObject>
#include <QPalette>

class QApplication;

namespace vesket::ui {

// The application's two palettes and the colours the custom-drawn views use. The scheme
// follows the desktop: the freedesktop appearance portal's colour-scheme when a portal
// answers, else GTK_THEME / the platform palette's own lightness.
class Theme : public QObject {
  Q_OBJECT

 public:
  enum class Scheme { light, dark };

  struct Colors {
    QColor window, panel, base, raised, border, text, secondaryText, faintText;
    QColor accent, accentText, running, idle, awaiting, danger, chip, chipText, selection;
  };

  explicit Theme(QObject* parent = nullptr);
  ~Theme() override;

  // Installs the Fusion style and the palette of the current scheme, and keeps following it.
  void apply(QApplication& app);

  Scheme scheme() const { return m_scheme; }
  bool isDark() const { return m_scheme == Scheme::dark; }
  const Colors& colors() const { return m_colors; }

  static Colors colorsFor(Scheme scheme);
  static QPalette paletteFor(Scheme scheme);

  // The process-wide theme once apply() ran (views look their colours up here).
  static const Theme& current();

  void setScheme(Scheme scheme);

 signals:
  void schemeChanged(vesket::ui::Theme::Scheme scheme);

 private slots:
  void onPortalSettingChanged(const QString& ns, const QString& key, const QVariant& value);

 private:
  Scheme detectScheme() const;

  Scheme m_scheme = Scheme::dark;
  Colors m_colors;
  QApplication* m_app = nullptr;
};

}  // namespace vesket::ui
