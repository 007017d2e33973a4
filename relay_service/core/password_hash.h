#pragma once

// Password hashes: argon2id through libsodium's crypto_pwhash_str, which stores the
// algorithm, its costs and the salt inside the hash text, so a hash made with other costs
// still verifies. The costs are the relay's options; the defaults are libsodium's
// "interactive" level (2 passes, 64 MiB), which takes about a tenth of a second.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vesket::relay_service {

struct PasswordHashCost {
  std::uint64_t opsLimit = 2;
  std::size_t memLimitBytes = 64u * 1024u * 1024u;

  // The smallest costs libsodium accepts: for tests only.
  static PasswordHashCost minimal();
};

namespace PasswordHash {
// Throws std::runtime_error when the costs are out of libsodium's range or memory is short.
std::string hash(std::string_view password, const PasswordHashCost& cost);
bool verify(std::string_view hash, std::string_view password);
}  // namespace PasswordHash

}  // namespace vesket::relay_service
