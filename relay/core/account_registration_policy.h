#pragma once

// The account screen's rules that need no relay: checking a registration before it is sent,
// and naming the message for a refused registration or sign-in. Messages are localisation
// keys; `englishText` gives each key's English entry.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vesket::relay::AccountRegistrationPolicy {

inline constexpr std::string_view kInvalidEmail = "macos.account_sign_in_page.please_enter_a_valid_email_address";
inline constexpr std::string_view kPasswordTooShort = "macos.account_sign_in_page.password_must_be_at_least_8_characters";
inline constexpr std::string_view kPasswordsDontMatch = "macos.account_sign_in_page.passwords_don_t_match";
inline constexpr std::string_view kCheckEmailAndPassword = "macos.account_sign_in_page.please_check_your_email_and_password";
inline constexpr std::string_view kAccountExists = "macos.account_sign_in_page.register_error_account_exists";
inline constexpr std::string_view kTooManyAttempts = "macos.account_sign_in_page.too_many_attempts_wait_a_minute";
inline constexpr std::string_view kBackendUnavailable = "macos.account_sign_in_page.registration_backend_unavailable";
inline constexpr std::string_view kRegisterGeneric = "macos.account_sign_in_page.register_error_generic";

// The key of the first problem of a registration form, or nothing when it may be sent: the
// trimmed e-mail must look like one, the password have at least 8 characters (code points)
// and the confirmation equal it.
std::optional<std::string_view> registrationValidationError(std::string_view email, std::string_view password,
                                                            std::string_view confirm);
// The key for a registration the relay refused with `status` and `message`.
std::string_view registrationErrorMessage(int status, std::string_view message);

// Whether this machine's daemon is registered with the account, as far as the relay says.
enum class Probe { unknown, active, revoked, foreignAccount, failed };
enum class Decision { wait, autoRegister, preserveActive, preserveRevoked, surfaceForeignAccount, surfaceFailure };

// Signed out: pairing by phone is what is left.
bool shouldOfferPhonePairing(bool signedIn);
// Whether to register this machine's daemon with the signed-in account now, keep what it
// has, or say why not.
Decision decide(bool signedIn, bool daemonHasLocalCredential, Probe probe, bool firstMacBootstrapOffered,
                bool registrationInFlight);

// Every key above with its English text.
const std::vector<std::pair<std::string_view, std::string_view>>& englishTexts();
std::string_view englishText(std::string_view key);

}  // namespace vesket::relay::AccountRegistrationPolicy
