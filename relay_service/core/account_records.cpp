#include "relay_service/core/account_records.h"

namespace vesket::relay_service {

nlohmann::json AccountJson::user(const UserRecord& user) {
  nlohmann::json json = {{"id", user.id}, {"username", nullptr}, {"email", nullptr}};
  if (user.username) json["username"] = *user.username;
  if (user.email) json["email"] = *user.email;
  return json;
}

nlohmann::json AccountJson::authResponse(const std::string& token, const UserRecord& user) {
  return {{"token", token}, {"user", AccountJson::user(user)}};
}

}  // namespace vesket::relay_service
