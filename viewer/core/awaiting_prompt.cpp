#include "viewer/core/awaiting_prompt.h"

#include <array>
#include <utility>

namespace vesket::viewer::ApprovalSelectionStyles {

namespace {

constexpr std::array<std::pair<ApprovalSelectionStyle, std::string_view>, 7> kRawValues = {{
    {ApprovalSelectionStyle::numbered, "numbered"},
    {ApprovalSelectionStyle::yesNo, "yes-no"},
    {ApprovalSelectionStyle::menuArrow, "menu-arrow"},
    {ApprovalSelectionStyle::freeTextPrompt, "free-text-prompt"},
    {ApprovalSelectionStyle::freeTextOptions, "free-text-options"},
    {ApprovalSelectionStyle::crewSignal, "crew-signal"},
    {ApprovalSelectionStyle::attention, "attention"},
}};

}  // namespace

std::optional<ApprovalSelectionStyle> fromRawValue(std::string_view raw) {
  for (const auto& [style, text] : kRawValues) {
    if (text == raw) return style;
  }
  return std::nullopt;
}

std::string_view rawValue(ApprovalSelectionStyle style) {
  for (const auto& [candidate, text] : kRawValues) {
    if (candidate == style) return text;
  }
  return {};  // unreachable: every enumerator is in the table
}

bool hasChoices(ApprovalSelectionStyle style) {
  switch (style) {
    case ApprovalSelectionStyle::numbered:
    case ApprovalSelectionStyle::yesNo:
    case ApprovalSelectionStyle::menuArrow:
    case ApprovalSelectionStyle::freeTextOptions:
      return true;
    case ApprovalSelectionStyle::freeTextPrompt:
    case ApprovalSelectionStyle::crewSignal:
    case ApprovalSelectionStyle::attention:
      return false;
  }
  return false;
}

}  // namespace vesket::viewer::ApprovalSelectionStyles
