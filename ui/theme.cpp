#include "ui/theme.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusVariant>
#include <QStyleFactory>

namespace vesket::ui {

namespace {

Theme* g_current = nullptr;

constexpr const char* kPortalService = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kPortalSettings = "org.freedesktop.portal.Settings";

// The portal's colour-scheme: 1 prefers dark, 2 prefers light, 0 no preference.
std::optional<Theme::Scheme> schemeFromPortalValue(const QVariant& value) {
  QVariant v = value;
  while (v.canConvert<QDBusVariant>() && v.userType() == qMetaTypeId<QDBusVariant>()) {
    v = v.value<QDBusVariant>().variant();
  }
  bool ok = false;
  const uint preference = v.toUInt(&ok);
  if (!ok) return std::nullopt;
  if (preference == 1) return Theme::Scheme::dark;
  if (preference == 2) return Theme::Scheme::light;
  return std::nullopt;
}

}  // namespace

Theme::Theme(QObject* parent) : QObject(parent), m_colors(colorsFor(m_scheme)) {}

Theme::~Theme() {
  if (g_current == this) g_current = nullptr;
}

const Theme& Theme::current() {
  static Theme fallback;
  return g_current ? *g_current : fallback;
}

Theme::Colors Theme::colorsFor(Scheme scheme) {
  if (scheme == Scheme::dark) {
    return {
        .window = QColor(0x1d, 0x1f, 0x24),
        .panel = QColor(0x23, 0x26, 0x2c),
        .base = QColor(0x17, 0x19, 0x1d),
        .raised = QColor(0x2b, 0x2f, 0x36),
        .border = QColor(0x35, 0x39, 0x41),
        .text = QColor(0xdf, 0xe2, 0xe8),
        .secondaryText = QColor(0x9a, 0xa1, 0xad),
        .faintText = QColor(0x6b, 0x72, 0x7e),
        .accent = QColor(0x5b, 0x8d, 0xef),
        .accentText = QColor(0xff, 0xff, 0xff),
        .running = QColor(0x3f, 0xb9, 0x6b),
        .idle = QColor(0x6b, 0x72, 0x7e),
        .awaiting = QColor(0xf0, 0xa8, 0x30),
        .danger = QColor(0xe5, 0x5b, 0x5b),
        .chip = QColor(0x33, 0x38, 0x42),
        .chipText = QColor(0xc4, 0xca, 0xd4),
        .selection = QColor(0x2f, 0x44, 0x6b),
    };
  }
  return {
      .window = QColor(0xf4, 0xf5, 0xf7),
      .panel = QColor(0xec, 0xee, 0xf1),
      .base = QColor(0xff, 0xff, 0xff),
      .raised = QColor(0xff, 0xff, 0xff),
      .border = QColor(0xd5, 0xd9, 0xdf),
      .text = QColor(0x1f, 0x23, 0x29),
      .secondaryText = QColor(0x5c, 0x64, 0x70),
      .faintText = QColor(0x8a, 0x92, 0x9e),
      .accent = QColor(0x2f, 0x6f, 0xe0),
      .accentText = QColor(0xff, 0xff, 0xff),
      .running = QColor(0x1f, 0x9d, 0x55),
      .idle = QColor(0xa0, 0xa7, 0xb1),
      .awaiting = QColor(0xd9, 0x8a, 0x0b),
      .danger = QColor(0xc9, 0x3c, 0x3c),
      .chip = QColor(0xe3, 0xe7, 0xec),
      .chipText = QColor(0x3d, 0x45, 0x50),
      .selection = QColor(0xd6, 0xe4, 0xfb),
  };
}

QPalette Theme::paletteFor(Scheme scheme) {
  const Colors c = colorsFor(scheme);
  QPalette p;
  p.setColor(QPalette::Window, c.window);
  p.setColor(QPalette::WindowText, c.text);
  p.setColor(QPalette::Base, c.base);
  p.setColor(QPalette::AlternateBase, c.panel);
  p.setColor(QPalette::ToolTipBase, c.raised);
  p.setColor(QPalette::ToolTipText, c.text);
  p.setColor(QPalette::PlaceholderText, c.faintText);
  p.setColor(QPalette::Text, c.text);
  p.setColor(QPalette::Button, c.raised);
  p.setColor(QPalette::ButtonText, c.text);
  p.setColor(QPalette::BrightText, c.danger);
  p.setColor(QPalette::Highlight, c.accent);
  p.setColor(QPalette::HighlightedText, c.accentText);
  p.setColor(QPalette::Link, c.accent);
  p.setColor(QPalette::Light, c.raised.lighter(115));
  p.setColor(QPalette::Midlight, c.border.lighter(110));
  p.setColor(QPalette::Mid, c.border);
  p.setColor(QPalette::Dark, c.border.darker(130));
  p.setColor(QPalette::Shadow, QColor(0, 0, 0, 120));
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    p.setColor(QPalette::Disabled, role, c.faintText);
  }
  return p;
}

Theme::Scheme Theme::detectScheme() const {
  const QString forced = qEnvironmentVariable("VESKET_COLOR_SCHEME");
  if (forced == "light") return Scheme::light;
  if (forced == "dark") return Scheme::dark;
  QDBusInterface portal(kPortalService, kPortalPath, kPortalSettings, QDBusConnection::sessionBus());
  if (portal.isValid()) {
    portal.setTimeout(300);
    QDBusReply<QVariant> reply = portal.call("Read", "org.freedesktop.appearance", "color-scheme");
    if (reply.isValid()) {
      if (auto scheme = schemeFromPortalValue(reply.value())) return *scheme;
    }
  }
  const QString gtkTheme = qEnvironmentVariable("GTK_THEME");
  if (gtkTheme.contains("dark", Qt::CaseInsensitive)) return Scheme::dark;
  if (!gtkTheme.isEmpty()) return Scheme::light;
  // Nothing to go by: a calm dark window suits a tool that mostly shows terminals.
  return Scheme::dark;
}

void Theme::apply(QApplication& app) {
  g_current = this;
  m_app = &app;
  app.setStyle(QStyleFactory::create("Fusion"));
  QDBusConnection::sessionBus().connect(kPortalService, kPortalPath, kPortalSettings, "SettingChanged", this,
                                        SLOT(onPortalSettingChanged(QString, QString, QVariant)));
  m_scheme = detectScheme();
  m_colors = colorsFor(m_scheme);
  app.setPalette(paletteFor(m_scheme));
}

void Theme::setScheme(Scheme scheme) {
  if (scheme == m_scheme) return;
  m_scheme = scheme;
  m_colors = colorsFor(scheme);
  if (m_app) m_app->setPalette(paletteFor(scheme));
  emit schemeChanged(scheme);
}

void Theme::onPortalSettingChanged(const QString& ns, const QString& key, const QVariant& value) {
  if (ns != "org.freedesktop.appearance" || key != "color-scheme") return;
  if (auto scheme = schemeFromPortalValue(value)) setScheme(*scheme);
}

}  // namespace vesket::ui
