#include "relay_service/core/account_rules.h"

#include <fmt/format.h>

#include "relay_service/core/api_error.h"

namespace vesket::relay_service {
namespace {

bool isSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && isSpace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && isSpace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string AccountRules::normalizeEmail(std::string_view email) {
  std::string result(trim(email));
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return result;
}

bool AccountRules::isValidEmail(std::string_view email) {
  if (email.empty() || email.size() > kMaxEmailBytes) return false;
  for (const char c : email) {
    if (isSpace(static_cast<unsigned char>(c))) return false;
  }
  const auto at = email.find('@');
  if (at == 0 || at == std::string_view::npos || email.find('@', at + 1) != std::string_view::npos) return false;
  const std::string_view domain = email.substr(at + 1);
  // One or more characters, a dot, one or more characters: some dot that is neither the
  // domain's first nor its last character.
  if (domain.size() < 3) return false;
  return domain.substr(1, domain.size() - 2).find('.') != std::string_view::npos;
}

std::size_t AccountRules::characterCount(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

RegisterRequest RegisterRequest::fromBody(const JsonBody& body) {
  const auto email = body.optionalString("email");
  const auto password = body.optionalString("password");
  const auto confirm = body.optionalString("confirm_password");
  if (!email || email->empty()) throw ApiError::badRequest("invalid_email", "email is required");
  RegisterRequest request;
  request.email = AccountRules::normalizeEmail(*email);
  if (!AccountRules::isValidEmail(request.email)) {
    throw ApiError::badRequest("invalid_email", "email is not a valid address");
  }
  if (!password || AccountRules::characterCount(*password) < AccountRules::kMinPasswordCharacters) {
    throw ApiError::badRequest(
        "password_too_short",
        fmt::format("password must be at least {} characters", AccountRules::kMinPasswordCharacters));
  }
  if (password->size() > AccountRules::kMaxPasswordBytes) {
    throw ApiError::badRequest("password_too_long",
                               fmt::format("password must be at most {} bytes", AccountRules::kMaxPasswordBytes));
  }
  if (!confirm || *confirm != *password) {
    throw ApiError::badRequest("password-mismatch", "password-mismatch: the two passwords differ");
  }
  request.password = *password;
  return request;
}

LoginRequest LoginRequest::fromBody(const JsonBody& body) {
  const auto username = body.optionalString("username");
  const auto password = body.optionalString("password");
  if (!username || trim(*username).empty() || !password || password->empty()) {
    throw ApiError::badRequest("missing_credentials", "enter a username and a password");
  }
  if (password->size() > AccountRules::kMaxPasswordBytes || username->size() > AccountRules::kMaxEmailBytes) {
    throw ApiError(401, "invalid_credentials", "invalid username or password");
  }
  LoginRequest request;
  const std::string_view login = trim(*username);
  request.login = login.find('@') != std::string_view::npos ? AccountRules::normalizeEmail(login) : std::string(login);
  request.password = *password;
  return request;
}

}  // namespace vesket::relay_service
