#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vesket::platform {

// The release signature of a daemon build, this platform's stand-in for a code signature:
// a sidecar file beside the executable (its path + ".sig") holding the executable's
// SHA-256 and size and its identity facts (identifier and team identifier), signed with
// Ed25519 by the release key. The application checks it against the public key built into
// it; any difference in the executable's bytes, its identity or the key makes it untrusted.
//
// The sidecar is a JSON object: {"format": 1, "identifier": "vesket", "teamIdentifier":
// "<10 hex>", "sha256": "<64 hex>", "size": <bytes>, "signature": "<128 hex>"}.
struct ReleaseSignature {
  static constexpr int kFormat = 1;
  static constexpr std::string_view kSidecarSuffix = ".sig";

  std::string identifier;
  std::string teamIdentifier;
  std::string sha256;        // lowercase hex
  std::uint64_t size = 0;
  std::string signature;     // the 64 signature bytes

  bool operator==(const ReleaseSignature&) const = default;

  // The exact bytes the signature covers.
  std::string signedMessage() const;
  std::string encode() const;
  // Nothing when the text is not a sidecar of this format (wrong types, bad hex, missing
  // fields).
  static std::optional<ReleaseSignature> decode(std::string_view text);
};

namespace ReleaseSigning {

inline constexpr std::string_view kIdentifier = "vesket";

// The team identifier of a release key: the first 10 hex digits (upper case) of the
// SHA-256 of its 32 raw public key bytes.
std::string teamIdentifier(std::string_view publicKey);

enum class Verdict {
  trusted,
  missing,          // no sidecar
  malformed,        // the sidecar does not decode
  wrongIdentity,    // identifier or team identifier differ from the expected ones
  digestMismatch,   // the executable is not the one that was signed
  badSignature,     // the signature does not verify with the built-in key
};
std::string_view verdictName(Verdict verdict);

// Judges a sidecar (nothing: there is none) for an executable with this digest and size,
// against the release public key (32 raw bytes).
Verdict check(const std::optional<std::string>& sidecarText, std::string_view executableSha256,
              std::uint64_t executableSize, std::string_view publicKey);

// The signature for an executable with this digest and size, made with the private key
// in PEM form. Nothing when the key is not an Ed25519 private key.
std::optional<ReleaseSignature> sign(std::string_view privateKeyPem, std::string_view executableSha256,
                                     std::uint64_t executableSize);
// The 32 raw public key bytes of a PEM private key, or nothing.
std::optional<std::string> publicKeyOf(std::string_view privateKeyPem);

}  // namespace ReleaseSigning

// Incremental SHA-256 (OpenSSL).
class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void update(std::string_view bytes);
  // Lowercase hex of the digest; the object cannot be updated afterwards.
  std::string finishHex();

  static std::string hex(std::string_view bytes);

 private:
  void* m_context;
};

std::string toHex(std::string_view bytes);
std::optional<std::string> fromHex(std::string_view hex);

}  // namespace vesket::platform
