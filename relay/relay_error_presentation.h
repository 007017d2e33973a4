#pragma once

// What the application shows for a relay failure: the explainer's sentence in the user's
// language and a button titled after the action that helps.

#include <QString>
#include <QStringList>

#include <optional>

#include "relay/core/relay_error_explainer.h"

namespace vesket::relay {

// The translation of `key` in the installed tables, or `english` when it has none;
// "%1", "%2", ... are filled from `arguments`.
QString localizedText(const std::string& key, const QString& english, const QStringList& arguments = {});

namespace RelayErrorPresentation {

struct Resolved {
  QString message;
  QString actionTitle;
  RelayErrorAction action = RelayErrorAction::tryAgain;
  QString code;
};

Resolved resolve(const RelayErrorExplanation& explanation);
// The English titles of the action buttons, by key.
QString englishActionTitle(RelayErrorAction action);

}  // namespace RelayErrorPresentation

}  // namespace vesket::relay
