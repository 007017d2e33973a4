#include "relay/core/jwt_expiry.h"

#include <nlohmann/json.hpp>

#include <string>

#include "control_plane/core/base64.h"

namespace vesket::relay {
namespace JWTExpiry {

std::optional<nlohmann::json> payload(std::string_view token) {
  const auto first = token.find('.');
  if (first == std::string_view::npos) return std::nullopt;
  const auto second = token.find('.', first + 1);
  if (second == std::string_view::npos || token.find('.', second + 1) != std::string_view::npos) return std::nullopt;
  std::string part(token.substr(first + 1, second - first - 1));
  for (char& c : part) {
    if (c == '-') c = '+';
    if (c == '_') c = '/';
  }
  while (part.size() % 4 != 0) part += '=';
  const auto bytes = control_plane::Base64::tryDecode(part);
  if (!bytes) return std::nullopt;
  auto json = nlohmann::json::parse(*bytes, nullptr, false);
  if (!json.is_object()) return std::nullopt;
  return json;
}

bool isExpiredOrInvalid(std::string_view token, double nowSeconds) {
  const auto claims = payload(token);
  if (!claims) return true;
  const auto exp = claims->find("exp");
  if (exp == claims->end() || !exp->is_number()) return true;
  return exp->get<double>() <= nowSeconds;
}

std::optional<std::int64_t> userID(std::string_view token) {
  const auto claims = payload(token);
  if (!claims) return std::nullopt;
  const auto id = claims->find("user_id");
  if (id == claims->end() || !id->is_number_integer()) return std::nullopt;
  return id->get<std::int64_t>();
}

}  // namespace JWTExpiry

std::optional<std::string> terminalMirrorBearer(const std::optional<std::string>& credentialBearer,
                                                const std::optional<std::string>& daemonToken,
                                                bool attachingToOwnDaemon, double nowSeconds) {
  const bool haveDaemonToken = daemonToken && !daemonToken->empty();
  if (attachingToOwnDaemon && haveDaemonToken) return daemonToken;
  const bool usable = credentialBearer && !credentialBearer->empty() &&
                      !JWTExpiry::isExpiredOrInvalid(*credentialBearer, nowSeconds);
  if (usable) return credentialBearer;
  if (haveDaemonToken) return daemonToken;
  return credentialBearer;
}

}  // namespace vesket::relay
