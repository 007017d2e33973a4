#include "shell/localisation.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QTranslator>
#include <QXmlStreamReader>

#include <map>
#include <set>

namespace vesket::shell {
namespace {

const QString kSourceDir = QStringLiteral(VESKET_SOURCE_DIR);

// Every key the program's code names: qtTrId("..."), QT_TRID_NOOP("...") and any string
// literal that is a whole "macos." key (pure code hands such keys to the Qt side).
std::set<QString> keysUsedInCode() {
  static const QRegularExpression kPatterns(
      QStringLiteral(R"re((?:qtTrId|QT_TRID_NOOP)\(\s*"([^"]+)"|"(macos\.[a-z0-9_]+(?:\.[a-z0-9_]*[a-z0-9])+)")re"));
  static const QStringList kSkipped = {"tests", "bench", "build", "scripts", "translations", "node_modules", ".git"};
  std::set<QString> keys;
  QDirIterator files(kSourceDir, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString path = files.next();
    const QStringList parts = QDir(kSourceDir).relativeFilePath(path).split(u'/');
    if (std::any_of(parts.begin(), parts.end(), [](const QString& part) { return kSkipped.contains(part); })) continue;
    if (parts.first().startsWith(u"build")) continue;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QString text = QString::fromUtf8(file.readAll());
    for (auto match = kPatterns.globalMatch(text); match.hasNext();) {
      const auto found = match.next();
      keys.insert(found.captured(1).isEmpty() ? found.captured(2) : found.captured(1));
    }
  }
  return keys;
}

// One table as written: key -> its translation's forms (one form unless plural).
std::map<QString, QStringList> readTable(const QString& language) {
  QFile file(kSourceDir + "/translations/vesket_" + language + ".ts");
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
  std::map<QString, QStringList> table;
  QXmlStreamReader xml(&file);
  QString key;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    if (xml.name() == u"message") key = xml.attributes().value("id").toString();
    if (xml.name() == u"numerusform") table[key].push_back(xml.readElementText());
    if (xml.name() == u"translation" && xml.attributes().value("type") != u"unfinished") {
      const QString text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
      if (table[key].isEmpty()) table[key].push_back(text);
    }
  }
  EXPECT_FALSE(xml.hasError()) << language.toStdString() << ": " << xml.errorString().toStdString();
  return table;
}

std::set<QString> placeholders(const QString& text) {
  static const QRegularExpression kPlaceholder(QStringLiteral("%(?:[1-9]|n)"));
  std::set<QString> found;
  for (auto match = kPlaceholder.globalMatch(text); match.hasNext();) found.insert(match.next().captured());
  return found;
}

TEST(Localisation, EveryKeyUsedInCodeHasAnEntryInEveryCompiledTable) {
  const auto keys = keysUsedInCode();
  ASSERT_GT(keys.size(), 50u) << "the source scan found too few keys; is VESKET_SOURCE_DIR right?";
  QStringList missing;
  for (const QString& language : Localisation::availableLanguages()) {
    QTranslator table;
    ASSERT_TRUE(table.load(":/i18n/vesket_" + language + ".qm")) << language.toStdString();
    for (const QString& key : keys) {
      if (table.translate(nullptr, key.toUtf8().constData()).isEmpty()) missing << language + ": " + key;
    }
  }
  EXPECT_TRUE(missing.isEmpty()) << "missing in the tables (add them with scripts/add-text):\n"
                                 << missing.join('\n').toStdString();
}

TEST(Localisation, TablesAgreeWithTheEnglishOneAndAreTranslated) {
  const auto english = readTable("en");
  static const QRegularExpression kEnglishWord(QStringLiteral(R"(\b[a-z]{3,}\b)"));
  QStringList problems;
  for (const QString& language : Localisation::availableLanguages()) {
    const auto table = readTable(language);
    for (const auto& [key, forms] : table) {
      if (!english.count(key)) problems << language + ": " + key + " is not in the English table";
    }
    for (const auto& [key, englishForms] : english) {
      const auto found = table.find(key);
      if (found == table.end() || found->second.isEmpty() || found->second.contains(QString())) {
        problems << language + ": " + key + " has no translation";
        continue;
      }
      const auto expected = placeholders(englishForms.join(' '));
      for (const QString& form : found->second) {
        if (placeholders(form) != expected) problems << language + ": " + key + " changes the placeholders";
      }
      if (language != u"en" && found->second == englishForms && englishForms.join(' ').contains(kEnglishWord)) {
        problems << language + ": " + key + " is the English text";
      }
    }
  }
  EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
}

TEST(Localisation, ChoosesTheOverrideThenTheSettingThenTheSystem) {
  const QLocale system(QLocale::French, QLocale::France);
  EXPECT_EQ(Localisation::chooseLocale("de_DE.UTF-8", "ko", system).language(), QLocale::German);
  EXPECT_EQ(Localisation::chooseLocale("", "ko", system).language(), QLocale::Korean);
  EXPECT_EQ(Localisation::chooseLocale("C", " ", system).language(), QLocale::French);
  EXPECT_EQ(Localisation::chooseLocale("", "", system).language(), QLocale::French);
}

class InstalledLanguage : public ::testing::Test {
 protected:
  ~InstalledLanguage() override { Localisation::install(*QCoreApplication::instance(), QLocale(QLocale::English)); }
  static QString install(const QString& name) { return Localisation::install(*QCoreApplication::instance(), QLocale(name)); }
};

TEST_F(InstalledLanguage, LoadsTheTableOfTheLocaleAndFallsBackToEnglish) {
  const char* tryAgain = "macos.viewer_state_view.try_again";
  EXPECT_EQ(install("de_DE"), "de");
  EXPECT_EQ(qtTrId(tryAgain), QString::fromUtf8("Erneut versuchen"));
  EXPECT_EQ(install("ko_KR"), "ko");
  EXPECT_EQ(qtTrId(tryAgain), QString::fromUtf8("다시 시도"));
  EXPECT_EQ(install("zh_CN"), "zh_CN");
  EXPECT_EQ(qtTrId(tryAgain), QString::fromUtf8("重试"));
  // A language without a table reads English, never the bare keys.
  EXPECT_EQ(install("fr_FR"), "en");
  EXPECT_EQ(qtTrId(tryAgain), QStringLiteral("Try again"));
}

TEST_F(InstalledLanguage, EnglishHoldsTheDescribedTextsWithTheirPluralsAndArguments) {
  install("en_US");
  EXPECT_EQ(Localisation::text({"macos.daemon_quit.open_panes", {}, 1}),
            "Vesket has 1 open pane. Quitting will stop the daemon and remote access to this Mac. Your tmux panes "
            "stay local, but Vesket clients and agent coordination will disconnect.");
  EXPECT_TRUE(Localisation::text({"macos.daemon_quit.open_panes", {}, 3}).startsWith("Vesket has 3 open panes. "));
  EXPECT_EQ(Localisation::text({"macos.daemon_quit.could_not_verify_whether_panes_are_active"}),
            "Vesket could not verify whether panes are active. Quitting will stop the daemon and remote access to "
            "this Mac.");
  EXPECT_EQ(Localisation::text({"macos.live_terminal.the_pane_s_terminal_ended_reason", {"exited"}}),
            "The pane's terminal ended: exited");
  EXPECT_EQ(qtTrId("macos.live_terminal.the_terminal_of_this_pane_is_not_reachable"),
            "The terminal of this pane is not reachable.");
  EXPECT_EQ(qtTrId("macos.settings_view.terminal_history_limit"), "Terminal history limit");
  install("de_DE");
  EXPECT_EQ(Localisation::text({"macos.pane_text_view.new_lines", {}, 1}), QString::fromUtf8("1 neue Zeile ↓"));
  EXPECT_EQ(Localisation::text({"macos.pane_text_view.new_lines", {}, 4}), QString::fromUtf8("4 neue Zeilen ↓"));
}

}  // namespace
}  // namespace vesket::shell
