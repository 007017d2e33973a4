#include "relay/relay_error_presentation.h"

namespace vesket::relay {

QString localizedText(const std::string& key, const QString& english, const QStringList& arguments) {
  const QString translated = qtTrId(key.c_str());
  QString text = translated == QString::fromStdString(key) || translated.isEmpty() ? english : translated;
  for (const QString& argument : arguments) text = text.arg(argument);
  return text;
}

namespace RelayErrorPresentation {

QString englishActionTitle(RelayErrorAction action) {
  switch (action) {
    case RelayErrorAction::finishMacSetup: return QStringLiteral("Finish Setup");
    case RelayErrorAction::registerThisMac: return QStringLiteral("Register This Mac");
    case RelayErrorAction::signIn: return QStringLiteral("Sign In");
    case RelayErrorAction::openDevices: return QStringLiteral("Open Devices");
    case RelayErrorAction::tryAgain: break;
  }
  return QStringLiteral("Try Again");
}

Resolved resolve(const RelayErrorExplanation& explanation) {
  QStringList arguments;
  for (const std::string& argument : explanation.arguments) arguments << QString::fromStdString(argument);
  return Resolved{
      localizedText(explanation.messageKey, QString::fromStdString(explanation.englishMessage), arguments),
      localizedText(RelayErrorExplainer::actionTitleKey(explanation.action), englishActionTitle(explanation.action)),
      explanation.action, QString::fromStdString(explanation.code)};
}

}  // namespace RelayErrorPresentation
}  // namespace vesket::relay
