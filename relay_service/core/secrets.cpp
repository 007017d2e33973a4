#include "relay_service/core/secrets.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>
#include <sodium.h>

#include <array>
#include <stdexcept>

#include "control_plane/core/base64.h"

namespace vesket::relay_service {

std::string Base64Url::encode(std::string_view bytes) {
  std::string text = control_plane::Base64::encode(bytes);
  while (!text.empty() && text.back() == '=') text.pop_back();
  for (char& c : text) {
    if (c == '+') c = '-';
    else if (c == '/') c = '_';
  }
  return text;
}

std::optional<std::string> Base64Url::decode(std::string_view text) {
  std::string standard;
  standard.reserve(text.size() + 3);
  for (const char c : text) {
    if (c == '+' || c == '/' || c == '=') return std::nullopt;  // not the URL-safe alphabet
    standard += c == '-' ? '+' : c == '_' ? '/' : c;
  }
  if (standard.size() % 4 == 1) return std::nullopt;
  while (standard.size() % 4 != 0) standard += '=';
  return control_plane::Base64::tryDecode(standard);
}

std::uint32_t Secrets::randomBelow(std::uint32_t bound) {
  if (sodium_init() < 0) throw std::runtime_error("libsodium could not be initialised");
  return randombytes_uniform(bound);
}

std::string Secrets::randomToken(std::size_t byteCount) {
  if (sodium_init() < 0) throw std::runtime_error("libsodium could not be initialised");
  std::string bytes(byteCount, '\0');
  randombytes_buf(bytes.data(), bytes.size());
  return Base64Url::encode(bytes);
}

std::string Secrets::sha256Hex(std::string_view bytes) {
  std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest.data());
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(digest.size() * 2);
  for (const unsigned char byte : digest) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 0x0F];
  }
  return hex;
}

std::string Secrets::hmacSha256(std::string_view key, std::string_view message) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> mac{};
  unsigned int length = 0;
  if (HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()), reinterpret_cast<const unsigned char*>(message.data()),
           message.size(), mac.data(), &length) == nullptr) {
    throw std::runtime_error("HMAC-SHA256 failed");
  }
  return std::string(reinterpret_cast<const char*>(mac.data()), length);
}

bool Secrets::constantTimeEquals(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string DaemonToken::mint() { return Secrets::randomToken(32); }

std::string DaemonToken::digest(std::string_view token) { return Secrets::sha256Hex(token); }

}  // namespace vesket::relay_service
