#pragma once

// What the relay keeps about accounts and daemons, and the JSON the application reads.

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace vesket::relay_service {

struct UserRecord {
  std::int64_t id = 0;
  std::optional<std::string> username;
  std::optional<std::string> email;  // normalised (trimmed, lower-case)
  std::optional<std::string> passwordHash;  // none for accounts that only sign in with a provider
  std::int64_t createdAtMs = 0;

  friend bool operator==(const UserRecord&, const UserRecord&) = default;
};

// A daemon paired to an account.
struct DaemonRecord {
  std::int64_t id = 0;
  std::int64_t userId = 0;
  std::optional<std::string> machineUuid;
  std::optional<std::string> machineName;
  std::int64_t pairedAtMs = 0;
  std::optional<std::int64_t> lastSeenAtMs;
  bool connected = false;
  bool revoked = false;
  std::optional<std::string> daemonVersion;

  friend bool operator==(const DaemonRecord&, const DaemonRecord&) = default;
};

namespace AccountJson {
// {"id", "username", "email"}: the `user` of a sign-in answer and the body of "me".
nlohmann::json user(const UserRecord& user);
// {"token", "user"}: the answer of every sign-in call.
nlohmann::json authResponse(const std::string& token, const UserRecord& user);
}  // namespace AccountJson

}  // namespace vesket::relay_service
