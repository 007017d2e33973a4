#include "relay_service/core/password_hash.h"

#include <sodium.h>

#include <stdexcept>
#include <string>

namespace vesket::relay_service {

PasswordHashCost PasswordHashCost::minimal() {
  return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN};
}

std::string PasswordHash::hash(std::string_view password, const PasswordHashCost& cost) {
  if (sodium_init() < 0) throw std::runtime_error("libsodium could not be initialised");
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(out, password.data(), password.size(), cost.opsLimit, cost.memLimitBytes) != 0) {
    throw std::runtime_error("argon2id hashing failed (out of memory, or costs out of range)");
  }
  return std::string(out);
}

bool PasswordHash::verify(std::string_view hash, std::string_view password) {
  if (sodium_init() < 0) return false;
  if (hash.empty() || hash.size() >= crypto_pwhash_STRBYTES) return false;
  const std::string terminated(hash);  // the API wants a NUL-terminated string
  return crypto_pwhash_str_verify(terminated.c_str(), password.data(), password.size()) == 0;
}

}  // namespace vesket::relay_service
