#include "shell/localisation.h"

#include <QCoreApplication>
#include <QTranslator>

#include <memory>

#include "shell/settings_store.h"

namespace vesket::shell::Localisation {

namespace {

const QString kResourceDirectory = QStringLiteral(":/i18n");
const QString kTableName = QStringLiteral("vesket");

// "de_DE.UTF-8" and "de-DE" both name German (Germany); "C" and "POSIX" name nothing.
std::optional<QLocale> localeNamed(QString name) {
  name = name.trimmed();
  if (const auto dot = name.indexOf(u'.'); dot >= 0) name.truncate(dot);
  if (const auto at = name.indexOf(u'@'); at >= 0) name.truncate(at);
  if (name.isEmpty() || name == u"C" || name == u"POSIX") return std::nullopt;
  const QLocale locale(name);
  if (locale.language() == QLocale::C) return std::nullopt;
  return locale;
}

struct Installed {
  std::unique_ptr<QTranslator> english;
  std::unique_ptr<QTranslator> chosen;
};

Installed& installed() {
  static Installed tables;
  return tables;
}

}  // namespace

QStringList availableLanguages() {
  return {QStringLiteral("en"), QStringLiteral("de"), QStringLiteral("ko"), QStringLiteral("zh_CN")};
}

QLocale chooseLocale(const QString& environmentValue, const QString& settingValue, const QLocale& system) {
  if (auto locale = localeNamed(environmentValue)) return *locale;
  if (auto locale = localeNamed(settingValue)) return *locale;
  return system;
}

QString install(QCoreApplication& app, const QLocale& locale) {
  auto& tables = installed();
  if (tables.chosen) app.removeTranslator(tables.chosen.get());
  if (tables.english) app.removeTranslator(tables.english.get());
  tables.chosen.reset();
  tables.english = std::make_unique<QTranslator>();
  if (tables.english->load(kTableName + QStringLiteral("_en"), kResourceDirectory)) {
    app.installTranslator(tables.english.get());
  }
  if (locale.language() == QLocale::English) return QStringLiteral("en");
  auto chosen = std::make_unique<QTranslator>();
  // Tries "vesket_zh_Hans_CN", "vesket_zh_CN", "vesket_zh", ... for each of the locale's
  // UI languages.
  if (!chosen->load(locale, kTableName, QStringLiteral("_"), kResourceDirectory)) return QStringLiteral("en");
  app.installTranslator(chosen.get());
  tables.chosen = std::move(chosen);
  return tables.chosen->language();
}

QString installForProcess(QCoreApplication& app, const SettingsStore* settings) {
  const QString environment = qEnvironmentVariable(kLanguageEnvironmentVariable);
  const QString setting = settings ? settings->get(appLanguage) : QString();
  return install(app, chooseLocale(environment, setting, QLocale::system()));
}

QString text(const LocalisedText& text) {
  QString result = qtTrId(text.key.c_str(), text.count.value_or(-1));
  for (const auto& argument : text.arguments) result = result.arg(QString::fromStdString(argument));
  return result;
}

}  // namespace vesket::shell::Localisation
