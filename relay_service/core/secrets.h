#pragma once

// Random tokens, digests and the URL-safe Base64 of tokens.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vesket::relay_service {

namespace Base64Url {
// RFC 4648 section 5 alphabet, without padding (as JWTs and our tokens use it).
std::string encode(std::string_view bytes);
// Nothing when `text` is not unpadded URL-safe Base64.
std::optional<std::string> decode(std::string_view text);
}  // namespace Base64Url

namespace Secrets {
// `byteCount` bytes from the system's secure random source, as URL-safe Base64.
std::string randomToken(std::size_t byteCount = 32);
// A uniformly random number in [0, bound).
std::uint32_t randomBelow(std::uint32_t bound);
// Lower-case hex SHA-256 of `bytes`.
std::string sha256Hex(std::string_view bytes);
// HMAC-SHA256 of `message` under `key` (32 raw bytes).
std::string hmacSha256(std::string_view key, std::string_view message);
// Compares without revealing where two equally long texts differ.
bool constantTimeEquals(std::string_view a, std::string_view b);
}  // namespace Secrets

// A daemon's credential: minted when a daemon is paired to an account and handed to that
// daemon once; the relay keeps only its digest.
namespace DaemonToken {
std::string mint();
std::string digest(std::string_view token);
}  // namespace DaemonToken

}  // namespace vesket::relay_service
