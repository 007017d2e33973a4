#include "relay_service/core/api_error.h"

#include <fmt/format.h>

namespace vesket::relay_service {

ApiError::ApiError(int status, std::string error, std::string message)
    : std::runtime_error(message), m_status(status), m_error(std::move(error)), m_message(std::move(message)) {}

ApiError& ApiError::withReason(std::string reason) {
  m_reason = std::move(reason);
  return *this;
}

ApiError& ApiError::with(const std::string& key, nlohmann::json value) {
  m_extra[key] = std::move(value);
  return *this;
}

ApiError& ApiError::retryAfter(int seconds) {
  m_retryAfter = seconds;
  m_extra["retry_after_seconds"] = seconds;
  return *this;
}

nlohmann::json ApiError::body() const {
  nlohmann::json body = m_extra;
  body["error"] = m_error;
  body["message"] = m_message;
  if (m_reason) body["reason"] = *m_reason;
  return body;
}

HttpResponse ApiError::response() const {
  HttpResponse response = HttpResponse::json(m_status, body());
  if (m_retryAfter) response.headers.emplace_back("retry-after", std::to_string(*m_retryAfter));
  if (m_allow) response.headers.emplace_back("allow", *m_allow);
  return response;
}

ApiError ApiError::badRequest(std::string error, std::string message) {
  return ApiError(400, std::move(error), std::move(message));
}

ApiError ApiError::invalidJson(const std::string& detail) {
  return ApiError(400, "invalid_json", "the request body is not a valid JSON object: " + detail);
}

ApiError ApiError::invalidField(const std::string& message) { return ApiError(400, "invalid_request", message); }

ApiError ApiError::notAuthenticated() {
  return ApiError(401, "unauthorized", "not authenticated: this call needs an Authorization bearer token");
}

ApiError ApiError::sessionExpired() {
  return ApiError(401, "unauthorized", "session expired: sign in again");
}

ApiError ApiError::invalidToken() {
  return ApiError(401, "unauthorized", "unauthorized: the token is not valid on this relay");
}

ApiError ApiError::notFound(std::string message) { return ApiError(404, "not_found", std::move(message)); }

ApiError ApiError::methodNotAllowed(const std::string& allowed) {
  ApiError error(405, "method_not_allowed", "this endpoint answers only " + allowed);
  error.m_allow = allowed;
  return error;
}

ApiError ApiError::payloadTooLarge(std::size_t limitBytes) {
  return ApiError(413, "payload_too_large",
                  fmt::format("the request body is larger than this endpoint accepts ({} bytes)", limitBytes));
}

ApiError ApiError::rateLimited(int retryAfterSeconds) {
  ApiError error(429, "rate_limited", fmt::format("rate_limited; retry after {} seconds", retryAfterSeconds));
  error.retryAfter(retryAfterSeconds);
  return error;
}

ApiError ApiError::internal() {
  return ApiError(500, "internal_error", "the relay failed to handle this request; it has been logged");
}

}  // namespace vesket::relay_service
