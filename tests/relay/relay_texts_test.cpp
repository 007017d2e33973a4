// The relay's user-visible texts live in code with their English wording (pure code has no
// tables) and in the translation tables under their keys. Both must say the same, or the
// application shows one wording when a table is installed and another when it is not.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocale>

#include "relay/core/account_registration_policy.h"
#include "relay/core/relay_error_explainer.h"
#include "relay/relay_error_presentation.h"
#include "shell/localisation.h"

namespace vesket::relay {
namespace {

TEST(RelayTexts, EveryExplainerAndRegistrationTextIsInTheEnglishTableWithTheSameWording) {
  ASSERT_EQ(shell::Localisation::install(*QCoreApplication::instance(), QLocale(QLocale::English)), "en");
  std::vector<std::pair<std::string, QString>> texts;
  for (const auto& [key, english] : RelayErrorExplainer::allMessages()) texts.emplace_back(key, QString::fromStdString(english));
  for (const auto& [key, english] : AccountRegistrationPolicy::englishTexts()) {
    texts.emplace_back(std::string(key), QString::fromUtf8(english.data(), static_cast<qsizetype>(english.size())));
  }
  for (const auto action : {RelayErrorAction::finishMacSetup, RelayErrorAction::registerThisMac, RelayErrorAction::signIn,
                            RelayErrorAction::openDevices, RelayErrorAction::tryAgain}) {
    texts.emplace_back(RelayErrorExplainer::actionTitleKey(action), RelayErrorPresentation::englishActionTitle(action));
  }
  for (const auto& [key, english] : texts) {
    EXPECT_EQ(qtTrId(key.c_str()), english) << key;
  }

  // German installed reads German; a key no table has falls back to the English in code.
  ASSERT_EQ(shell::Localisation::install(*QCoreApplication::instance(), QLocale(QLocale::German)), "de");
  EXPECT_EQ(localizedText("relay_error.action.tryAgain", "Try Again"), QString::fromUtf8("Erneut versuchen"));
  EXPECT_EQ(localizedText("relay_error.no_such_key", "Fallback %1", {"x"}), "Fallback x");
  shell::Localisation::install(*QCoreApplication::instance(), QLocale(QLocale::English));
}

}  // namespace
}  // namespace vesket::relay
