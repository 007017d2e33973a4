#include "relay/core/relay_error_explainer.h"

#include <algorithm>
#include <cctype>

namespace vesket::relay {

std::string_view relayErrorActionName(RelayErrorAction action) {
  switch (action) {
    case RelayErrorAction::finishMacSetup: return "finishMacSetup";
    case RelayErrorAction::registerThisMac: return "registerThisMac";
    case RelayErrorAction::signIn: return "signIn";
    case RelayErrorAction::openDevices: return "openDevices";
    case RelayErrorAction::tryAgain: break;
  }
  return "tryAgain";
}

namespace RelayErrorExplainer {
namespace {

constexpr std::string_view kSessionExpiredKey = "relay_error.session_expired";
constexpr std::string_view kSessionExpiredText = "Your sign-in has expired. Sign in again.";

}  // namespace

const std::vector<Rule>& rules() {
  using A = RelayErrorAction;
  static const std::vector<Rule> table = {
      {"unknown_daemon_token", "unknown daemon token",
       {"relay_error.unknown_daemon_token",
        "The Vesket background service on this Mac is not registered with your account. Its saved registration was "
        "removed or belongs to another account. Register this Mac again.",
        A::registerThisMac},
       std::nullopt},
      {"daemon_token_required", "daemon_token_required",
       {"relay_error.daemon_not_running",
        "The Vesket background service is not running on this Mac, so this list is unavailable. Open setup to start it.",
        A::finishMacSetup},
       std::nullopt},
      {"device_not_approved", "device_not_approved",
       {"relay_error.device_not_approved.registered",
        "This Mac is not approved for your account yet. It approves itself once its Vesket daemon is connected. Open "
        "Devices to check it.",
        A::openDevices},
       Variant{"relay_error.device_not_approved.unregistered",
               "This Mac is not set up for your account yet. Finish setup and it approves itself. No phone is needed.",
               A::finishMacSetup}},
      {"phone_pairing_required", "phone_pairing_required",
       {"relay_error.pairing_needs_approved_device",
        "This account already had a Mac, so a new Mac must be added from a device you already use. Get a pairing code "
        "on your other Mac under Devices, or scan this Mac's QR with your phone.",
        A::finishMacSetup},
       std::nullopt},
      {"mac_requires_local_daemon_vouch", "mac_requires_local_daemon_vouch",
       {"relay_error.mac_requires_local_daemon_vouch",
        "A Mac cannot be approved from another device. It approves itself once its own Vesket daemon is registered. "
        "Finish setup on that Mac.",
        A::finishMacSetup},
       std::nullopt},
      {"approved_device_required", "approved_device_required",
       {"relay_error.approved_device_required",
        "Only an approved device can create a pairing code. Finish setting up this Mac first.", A::finishMacSetup},
       std::nullopt},
      {"grant_required_for_pairing", "grant_required_for_pairing",
       {"relay_error.grant_required_for_pairing",
        "This device is not allowed to add Macs to the account. Add the Mac from a device that manages this account.",
        A::openDevices},
       std::nullopt},
      {"rate_limited", "rate_limited",
       {"relay_error.rate_limited", "Too many attempts in a short time. Wait a minute, then try again.", A::tryAgain},
       std::nullopt},
      {"session_expired", "session expired", {kSessionExpiredKey, kSessionExpiredText, A::signIn}, std::nullopt},
      {"not_authenticated", "not authenticated", {kSessionExpiredKey, kSessionExpiredText, A::signIn}, std::nullopt},
      {"unauthorized", "unauthorized", {kSessionExpiredKey, kSessionExpiredText, A::signIn}, std::nullopt},
  };
  return table;
}

std::optional<RelayErrorExplanation> explain(std::string_view message, bool thisMacIsRegistered) {
  std::string lower(message);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const Rule& rule : rules()) {
    if (lower.find(rule.needle) == std::string::npos) continue;
    const Variant& variant = !thisMacIsRegistered && rule.unregistered ? *rule.unregistered : rule.registered;
    return RelayErrorExplanation{std::string(rule.code), std::string(variant.key), std::string(variant.english),
                                 variant.action, {}};
  }
  return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> allMessages() {
  std::vector<std::pair<std::string, std::string>> messages;
  const auto add = [&](const Variant& variant) {
    const bool known = std::any_of(messages.begin(), messages.end(),
                                   [&](const auto& entry) { return entry.first == variant.key; });
    if (!known) messages.emplace_back(std::string(variant.key), std::string(variant.english));
  };
  for (const Rule& rule : rules()) {
    add(rule.registered);
    if (rule.unregistered) add(*rule.unregistered);
  }
  return messages;
}

std::string actionTitleKey(RelayErrorAction action) {
  return "relay_error.action." + std::string(relayErrorActionName(action));
}

}  // namespace RelayErrorExplainer
}  // namespace vesket::relay
