#pragma once

// What the account endpoints accept. The texts of the 400 answers are chosen for the
// application's mapping of registration failures, which looks for "password-mismatch",
// then "password", then "email" in the message, so each message names exactly one of them.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "relay_service/core/json_body.h"

namespace vesket::relay_service {

namespace AccountRules {
inline constexpr std::size_t kMinPasswordCharacters = 8;
inline constexpr std::size_t kMaxPasswordBytes = 1024;
inline constexpr std::size_t kMaxEmailBytes = 254;

// Trimmed of white space and lower-cased: the form an e-mail address is stored and
// looked up in.
std::string normalizeEmail(std::string_view email);
// "^[^\s@]+@[^\s@]+\.[^\s@]+$" on the normalised address, and not over the length limit.
bool isValidEmail(std::string_view normalizedEmail);
// Characters (code points) of a UTF-8 text; invalid bytes count one each.
std::size_t characterCount(std::string_view text);
}  // namespace AccountRules

// POST /api/auth/register-public: {"email", "password", "confirm_password"}.
struct RegisterRequest {
  std::string email;  // normalised
  std::string password;

  // Throws ApiError 400 with the messages described above.
  static RegisterRequest fromBody(const JsonBody& body);
};

// POST /api/auth/login: {"username", "password"}; the username may be an e-mail address.
struct LoginRequest {
  std::string login;  // trimmed; lower-cased when it is an e-mail address
  std::string password;

  static LoginRequest fromBody(const JsonBody& body);
};

}  // namespace vesket::relay_service
