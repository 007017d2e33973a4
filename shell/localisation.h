#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

#include "shell/core/localised_text.h"
#include "shell/settings_key.h"

class QCoreApplication;

namespace vesket::shell {

class SettingsStore;

// The application's translation tables and the choice of language.
//
// Every user-visible text is looked up with qtTrId() by its dotted key. The tables
// (translations/vesket_<language>.ts, compiled by lrelease into the resources under
// ":/i18n") hold one entry per key; the English table holds the texts as written and is
// always installed beneath the chosen language, so a key the chosen table lacks still reads
// in English rather than as its key.
namespace Localisation {

// Overrides the language for one run: "de", "ko", "zh_CN", "en", ... (also "de_DE.UTF-8").
inline constexpr const char* kLanguageEnvironmentVariable = "VESKET_LANGUAGE";
// The language the user picked; empty follows the system.
inline constexpr SettingKey<QStringView> appLanguage{"durnvale.appLanguage", u""};

// The languages that have a table, English first.
QStringList availableLanguages();

// The locale to translate into: the environment override, else the setting, else the
// system's locale. A value that names no locale is skipped.
QLocale chooseLocale(const QString& environmentValue, const QString& settingValue, const QLocale& system);

// Installs the English table and the table for `locale` (when there is one) into the
// application; returns the language whose table was installed ("en" when only English).
// Replaces what an earlier call installed.
QString install(QCoreApplication& app, const QLocale& locale);

// install() with chooseLocale() from this process's environment, `settings` (may be null)
// and the system locale.
QString installForProcess(QCoreApplication& app, const SettingsStore* settings);

// The text of `text` in the installed language, its placeholders filled in.
QString text(const LocalisedText& text);

}  // namespace Localisation
}  // namespace vesket::shell
