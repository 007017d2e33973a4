#include "relay_service/core/account_token.h"

#include <nlohmann/json.hpp>

#include "relay_service/core/secrets.h"

namespace vesket::relay_service {
namespace {

const std::string& headerPart() {
  static const std::string header = Base64Url::encode(R"({"alg":"HS256","typ":"JWT"})");
  return header;
}

}  // namespace

AccountClaims AccountToken::issue(std::int64_t userId, std::optional<std::string> deviceId, std::int64_t nowSeconds,
                                  std::int64_t lifetimeSeconds) {
  return AccountClaims{userId, std::move(deviceId), nowSeconds, nowSeconds + lifetimeSeconds};
}

std::string AccountToken::sign(const AccountClaims& claims, std::string_view secret) {
  nlohmann::json payload = {{"sub", std::to_string(claims.userId)},
                            {"user_id", claims.userId},
                            {"device_id", nullptr},
                            {"iat", claims.issuedAt},
                            {"exp", claims.expiresAt}};
  if (claims.deviceId) payload["device_id"] = *claims.deviceId;
  std::string signingInput = headerPart() + "." + Base64Url::encode(payload.dump());
  const std::string signature = Base64Url::encode(Secrets::hmacSha256(secret, signingInput));
  return signingInput + "." + signature;
}

std::variant<AccountClaims, AccountTokenError> AccountToken::verify(std::string_view token, std::string_view secret,
                                                                    std::int64_t nowSeconds) {
  const auto firstDot = token.find('.');
  const auto secondDot = firstDot == std::string_view::npos ? firstDot : token.find('.', firstDot + 1);
  if (secondDot == std::string_view::npos || token.find('.', secondDot + 1) != std::string_view::npos) {
    return AccountTokenError::malformed;
  }
  // Only our own header is accepted: no "alg" games.
  if (token.substr(0, firstDot) != headerPart()) return AccountTokenError::malformed;
  const std::string_view signingInput = token.substr(0, secondDot);
  const auto signature = Base64Url::decode(token.substr(secondDot + 1));
  if (!signature) return AccountTokenError::malformed;
  if (!Secrets::constantTimeEquals(*signature, Secrets::hmacSha256(secret, signingInput))) {
    return AccountTokenError::badSignature;
  }
  const auto payloadText = Base64Url::decode(token.substr(firstDot + 1, secondDot - firstDot - 1));
  if (!payloadText) return AccountTokenError::malformed;
  const auto payload = nlohmann::json::parse(*payloadText, nullptr, false);
  if (!payload.is_object()) return AccountTokenError::malformed;
  const auto userId = payload.find("user_id");
  const auto issuedAt = payload.find("iat");
  const auto expiresAt = payload.find("exp");
  if (userId == payload.end() || !userId->is_number_integer() || issuedAt == payload.end() ||
      !issuedAt->is_number_integer() || expiresAt == payload.end() || !expiresAt->is_number_integer()) {
    return AccountTokenError::malformed;
  }
  AccountClaims claims;
  claims.userId = userId->get<std::int64_t>();
  claims.issuedAt = issuedAt->get<std::int64_t>();
  claims.expiresAt = expiresAt->get<std::int64_t>();
  if (const auto device = payload.find("device_id"); device != payload.end() && device->is_string()) {
    claims.deviceId = device->get<std::string>();
  }
  if (claims.expiresAt <= nowSeconds) return AccountTokenError::expired;
  return claims;
}

}  // namespace vesket::relay_service
