#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "relay_service/core/account_records.h"

namespace vesket::relay_service {

struct NewUser {
  std::optional<std::string> username;
  std::optional<std::string> email;  // normalised
  std::optional<std::string> passwordHash;
};

// Accounts and the sign-in identities attached to them.
class AccountStore {
 public:
  virtual ~AccountStore() = default;

  // Nothing when the e-mail address or username is already taken.
  virtual std::optional<UserRecord> createUser(const NewUser& user) = 0;
  virtual std::optional<UserRecord> findUser(std::int64_t userId) = 0;
  // By e-mail address (normalised), else by username.
  virtual std::optional<UserRecord> findUserByLogin(const std::string& login) = 0;
  // The account signed in with a provider's subject ("google", "apple"). The first sign-in
  // of a subject attaches it to the account of its verified e-mail address, or creates an
  // account; later ones find it again.
  virtual UserRecord signInWithIdentity(const std::string& provider, const std::string& subject,
                                        const std::optional<std::string>& verifiedEmail) = 0;
};

}  // namespace vesket::relay_service
