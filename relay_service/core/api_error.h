#pragma once

// The one error value of every endpoint: an HTTP status and the JSON error body the
// application reads, {"error": code, "message": text, "reason": optional, ...extra}.
// Handlers throw it; the API layer turns it into the response. The application shows
// "message" (else "error"), so messages are written for people; "error" is a stable code.

#include <optional>
#include <stdexcept>
#include <string>

#include <nlohmann/json.hpp>

#include "relay_service/core/http_message.h"

namespace vesket::relay_service {

class ApiError : public std::runtime_error {
 public:
  ApiError(int status, std::string error, std::string message);

  int status() const { return m_status; }
  const std::string& error() const { return m_error; }
  const std::string& message() const { return m_message; }

  ApiError& withReason(std::string reason);
  // Further keys of the body (e.g. "retry_after_seconds", "status").
  ApiError& with(const std::string& key, nlohmann::json value);
  // Sets the Retry-After header and the body's "retry_after_seconds".
  ApiError& retryAfter(int seconds);

  nlohmann::json body() const;
  HttpResponse response() const;

  // The common cases.
  static ApiError badRequest(std::string error, std::string message);
  static ApiError invalidJson(const std::string& detail);
  static ApiError invalidField(const std::string& message);
  static ApiError notAuthenticated();
  static ApiError sessionExpired();
  static ApiError invalidToken();
  static ApiError notFound(std::string message);
  static ApiError methodNotAllowed(const std::string& allowed);
  static ApiError payloadTooLarge(std::size_t limitBytes);
  static ApiError rateLimited(int retryAfterSeconds);
  static ApiError internal();

 private:
  int m_status;
  std::string m_error;
  std::string m_message;
  std::optional<std::string> m_reason;
  nlohmann::json m_extra = nlohmann::json::object();
  std::optional<int> m_retryAfter;
  std::optional<std::string> m_allow;
};

}  // namespace vesket::relay_service
