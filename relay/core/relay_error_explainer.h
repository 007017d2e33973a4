#pragma once

// Turns a relay failure's message into an explanation the user can act on: a localisation
// key with its English text and the action that helps. The rules are walked in order and
// the first whose needle occurs in the lower-cased message wins.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vesket::relay {

enum class RelayErrorAction { finishMacSetup, registerThisMac, signIn, openDevices, tryAgain };

// The action's raw value: its case name ("finishMacSetup", ...).
std::string_view relayErrorActionName(RelayErrorAction action);

struct RelayErrorExplanation {
  std::string code;
  std::string messageKey;
  std::string englishMessage;
  RelayErrorAction action = RelayErrorAction::tryAgain;
  std::vector<std::string> arguments;  // positional values for the message's placeholders

  friend bool operator==(const RelayErrorExplanation&, const RelayErrorExplanation&) = default;
};

namespace RelayErrorExplainer {

struct Variant {
  std::string_view key;
  std::string_view english;
  RelayErrorAction action;
};

struct Rule {
  std::string_view code;
  std::string_view needle;  // lower case
  Variant registered;
  std::optional<Variant> unregistered;  // when this Mac has no account registration
};

const std::vector<Rule>& rules();
std::optional<RelayErrorExplanation> explain(std::string_view message, bool thisMacIsRegistered);
// Every message key with its English text, once each, in table order.
std::vector<std::pair<std::string, std::string>> allMessages();
// The key of an action button's title: "relay_error.action." and the action's raw value.
std::string actionTitleKey(RelayErrorAction action);

}  // namespace RelayErrorExplainer

}  // namespace vesket::relay
