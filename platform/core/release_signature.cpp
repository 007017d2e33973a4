#include "platform/core/release_signature.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cctype>
#include <memory>
#include <nlohmann/json.hpp>

namespace vesket::platform {
namespace {

struct PkeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct MdCtxFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;

bool isLowerHex(std::string_view text, std::size_t length) {
  if (text.size() != length) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

Pkey readPrivateKey(std::string_view pem) {
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), BIO_free);
  if (!bio) return nullptr;
  Pkey key(PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr));
  if (!key || EVP_PKEY_get_id(key.get()) != EVP_PKEY_ED25519) return nullptr;
  return key;
}

}  // namespace

std::string toHex(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    hex.push_back(kHex[c >> 4]);
    hex.push_back(kHex[c & 0x0f]);
  }
  return hex;
}

std::optional<std::string> fromHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  auto value = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = value(hex[i]);
    const int low = value(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

Sha256::Sha256() : m_context(EVP_MD_CTX_new()) {
  EVP_DigestInit_ex(static_cast<EVP_MD_CTX*>(m_context), EVP_sha256(), nullptr);
}

Sha256::~Sha256() { EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(m_context)); }

void Sha256::update(std::string_view bytes) {
  EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(m_context), bytes.data(), bytes.size());
}

std::string Sha256::finishHex() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(m_context), digest, &length);
  return toHex(std::string_view(reinterpret_cast<const char*>(digest), length));
}

std::string Sha256::hex(std::string_view bytes) {
  Sha256 digest;
  digest.update(bytes);
  return digest.finishHex();
}

std::string ReleaseSignature::signedMessage() const {
  return "vesket release signature 1\nidentifier=" + identifier + "\nteamIdentifier=" + teamIdentifier +
         "\nsha256=" + sha256 + "\nsize=" + std::to_string(size) + "\n";
}

std::string ReleaseSignature::encode() const {
  const nlohmann::json json = {{"format", kFormat},         {"identifier", identifier}, {"teamIdentifier", teamIdentifier},
                               {"sha256", sha256},          {"size", size},             {"signature", toHex(signature)}};
  return json.dump(2) + "\n";
}

std::optional<ReleaseSignature> ReleaseSignature::decode(std::string_view text) {
  const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
  if (!json.is_object()) return std::nullopt;
  const auto text_ = [&](const char* key) -> std::optional<std::string> {
    const auto found = json.find(key);
    if (found == json.end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
  };
  const auto format = json.find("format");
  const auto size = json.find("size");
  if (format == json.end() || !format->is_number_integer() || format->get<int>() != kFormat) return std::nullopt;
  if (size == json.end() || !size->is_number_unsigned()) return std::nullopt;
  auto identifier = text_("identifier");
  auto team = text_("teamIdentifier");
  auto sha = text_("sha256");
  auto signatureHex = text_("signature");
  if (!identifier || !team || !sha || !signatureHex || !isLowerHex(*sha, 64) || !isLowerHex(*signatureHex, 128)) {
    return std::nullopt;
  }
  ReleaseSignature signature;
  signature.identifier = std::move(*identifier);
  signature.teamIdentifier = std::move(*team);
  signature.sha256 = std::move(*sha);
  signature.size = size->get<std::uint64_t>();
  signature.signature = *fromHex(*signatureHex);
  return signature;
}

namespace ReleaseSigning {

std::string teamIdentifier(std::string_view publicKey) {
  std::string team = Sha256::hex(publicKey).substr(0, 10);
  for (char& c : team) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return team;
}

std::string_view verdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::trusted: return "trusted";
    case Verdict::missing: return "no release signature";
    case Verdict::malformed: return "malformed release signature";
    case Verdict::wrongIdentity: return "signed for another identity";
    case Verdict::digestMismatch: return "executable differs from the signed one";
    case Verdict::badSignature: return "signature does not verify";
  }
  return "unknown";
}

Verdict check(const std::optional<std::string>& sidecarText, std::string_view executableSha256,
              std::uint64_t executableSize, std::string_view publicKey) {
  if (!sidecarText) return Verdict::missing;
  const auto signature = ReleaseSignature::decode(*sidecarText);
  if (!signature) return Verdict::malformed;
  if (signature->identifier != kIdentifier || signature->teamIdentifier != teamIdentifier(publicKey)) {
    return Verdict::wrongIdentity;
  }
  if (signature->sha256 != executableSha256 || signature->size != executableSize) return Verdict::digestMismatch;
  Pkey key(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr,
                                       reinterpret_cast<const unsigned char*>(publicKey.data()), publicKey.size()));
  MdCtx context(EVP_MD_CTX_new());
  if (!key || !context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1) {
    return Verdict::badSignature;
  }
  const std::string message = signature->signedMessage();
  const int verified = EVP_DigestVerify(
      context.get(), reinterpret_cast<const unsigned char*>(signature->signature.data()), signature->signature.size(),
      reinterpret_cast<const unsigned char*>(message.data()), message.size());
  return verified == 1 ? Verdict::trusted : Verdict::badSignature;
}

std::optional<std::string> publicKeyOf(std::string_view privateKeyPem) {
  const Pkey key = readPrivateKey(privateKeyPem);
  if (!key) return std::nullopt;
  std::string raw(32, '\0');
  std::size_t length = raw.size();
  if (EVP_PKEY_get_raw_public_key(key.get(), reinterpret_cast<unsigned char*>(raw.data()), &length) != 1 ||
      length != 32) {
    return std::nullopt;
  }
  return raw;
}

std::optional<ReleaseSignature> sign(std::string_view privateKeyPem, std::string_view executableSha256,
                                     std::uint64_t executableSize) {
  const Pkey key = readPrivateKey(privateKeyPem);
  const auto publicKey = publicKeyOf(privateKeyPem);
  if (!key || !publicKey) return std::nullopt;
  ReleaseSignature signature;
  signature.identifier = std::string(kIdentifier);
  signature.teamIdentifier = teamIdentifier(*publicKey);
  signature.sha256 = std::string(executableSha256);
  signature.size = executableSize;
  const std::string message = signature.signedMessage();
  MdCtx context(EVP_MD_CTX_new());
  std::string bytes(64, '\0');
  std::size_t length = bytes.size();
  if (!context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1 ||
      EVP_DigestSign(context.get(), reinterpret_cast<unsigned char*>(bytes.data()), &length,
                     reinterpret_cast<const unsigned char*>(message.data()), message.size()) != 1) {
    return std::nullopt;
  }
  bytes.resize(length);
  signature.signature = std::move(bytes);
  return signature;
}

}  // namespace ReleaseSigning
}  // namespace vesket::platform
