#include "relay/core/account_registration_policy.h"

#include <regex>

namespace vesket::relay::AccountRegistrationPolicy {
namespace {

std::string_view trimmed(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::size_t codePoints(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

}  // namespace

std::optional<std::string_view> registrationValidationError(std::string_view email, std::string_view password,
                                                            std::string_view confirm) {
  static const std::regex pattern(R"(^[^\s@]+@[^\s@]+\.[^\s@]+$)");
  const std::string cleanEmail(trimmed(email));
  if (!std::regex_match(cleanEmail, pattern)) return kInvalidEmail;
  if (codePoints(password) < 8) return kPasswordTooShort;
  if (confirm != password) return kPasswordsDontMatch;
  return std::nullopt;
}

std::string_view registrationErrorMessage(int status, std::string_view message) {
  switch (status) {
    case 400:
      if (message.find("password-mismatch") != std::string_view::npos) return kPasswordsDontMatch;
      if (message.find("password") != std::string_view::npos) return kPasswordTooShort;
      if (message.find("email") != std::string_view::npos) return kInvalidEmail;
      return kCheckEmailAndPassword;
    case 409: return kAccountExists;
    case 429: return kTooManyAttempts;
    case 503: return kBackendUnavailable;
    default: break;
  }
  return kRegisterGeneric;
}

const std::vector<std::pair<std::string_view, std::string_view>>& englishTexts() {
  static const std::vector<std::pair<std::string_view, std::string_view>> texts = {
      {kInvalidEmail, "Please enter a valid email address."},
      {kPasswordTooShort, "Password must be at least 8 characters."},
      {kPasswordsDontMatch, "Passwords don't match."},
      {kCheckEmailAndPassword, "Please check your email and password."},
      {kAccountExists, "An account with this email already exists. Sign in instead."},
      {kTooManyAttempts, "Too many attempts. Wait a minute, then try again."},
      {kBackendUnavailable, "Registration is not available on this relay right now. Try again later."},
      {kRegisterGeneric, "Couldn't create the account. Try again."},
  };
  return texts;
}

std::string_view englishText(std::string_view key) {
  for (const auto& [k, text] : englishTexts()) {
    if (k == key) return text;
  }
  return key;
}

bool shouldOfferPhonePairing(bool signedIn) { return !signedIn; }

Decision decide(bool signedIn, bool daemonHasLocalCredential, Probe probe, bool firstMacBootstrapOffered,
                bool registrationInFlight) {
  if (registrationInFlight || !signedIn) return Decision::wait;
  if (!daemonHasLocalCredential) return Decision::autoRegister;
  switch (probe) {
    case Probe::unknown: return Decision::wait;
    case Probe::active: return Decision::preserveActive;
    case Probe::revoked: return firstMacBootstrapOffered ? Decision::autoRegister : Decision::preserveRevoked;
    case Probe::foreignAccount: return Decision::surfaceForeignAccount;
    case Probe::failed: return Decision::surfaceFailure;
  }
  return Decision::wait;
}

}  // namespace vesket::relay::AccountRegistrationPolicy
