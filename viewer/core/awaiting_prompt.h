// What an agent asks of the user: the prompt found in a pane's text (an approval marker or
// a team member's needs-you signal), the options it offers and how they are chosen.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::viewer {

// One answer the user can pick.
struct ApprovalOption {
  int index = 0;      // 1-based position in the option list
  std::string label;  // text shown on the button
  std::string value;  // text sent back to the pane when chosen

  bool operator==(const ApprovalOption&) const = default;
};

// How the agent expects the answer. The raw values are the marker's `style=` texts.
enum class ApprovalSelectionStyle {
  numbered,
  yesNo,
  menuArrow,
  freeTextPrompt,
  freeTextOptions,
  crewSignal,
  attention,
};

namespace ApprovalSelectionStyles {
// Exact raw value match; anything else is no style.
std::optional<ApprovalSelectionStyle> fromRawValue(std::string_view raw);
std::string_view rawValue(ApprovalSelectionStyle style);
// True for the styles that present a list of options to choose from.
bool hasChoices(ApprovalSelectionStyle style);
}  // namespace ApprovalSelectionStyles

struct AwaitingPrompt {
  std::string id;  // the marker id, lower-cased
  std::string question;
  std::vector<ApprovalOption> options;
  ApprovalSelectionStyle selectionStyle = ApprovalSelectionStyle::attention;
  std::optional<std::string> crewSignalKind;  // only for team signals

  bool operator==(const AwaitingPrompt&) const = default;
};

}  // namespace vesket::viewer
