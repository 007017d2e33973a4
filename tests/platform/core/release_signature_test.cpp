#include "platform/core/release_signature.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace vesket::platform {
namespace {

// A fresh Ed25519 key pair in PEM, made by the openssl tool.
std::string generateKey() {
  std::unique_ptr<FILE, decltype(&pclose)> pipe(popen("openssl genpkey -algorithm ed25519 2>/dev/null", "r"), pclose);
  std::string pem;
  char buffer[256];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe.get())) pem += buffer;
  return pem;
}

TEST(ReleaseSignatureTest, TrustsOnlyTheSignedBytesIdentityAndKey) {
  const std::string key = generateKey();
  const std::string otherKey = generateKey();
  ASSERT_FALSE(key.empty());
  const std::string publicKey = *ReleaseSigning::publicKeyOf(key);
  const std::string binary = "\x7f" "ELF the daemon";
  const std::string digest = Sha256::hex(binary);
  const auto signature = ReleaseSigning::sign(key, digest, binary.size());
  ASSERT_TRUE(signature);
  EXPECT_EQ(signature->identifier, "vesket");
  EXPECT_EQ(signature->teamIdentifier.size(), 10u);
  EXPECT_EQ(ReleaseSignature::decode(signature->encode()), signature);

  using V = ReleaseSigning::Verdict;
  auto judge = [&](const std::optional<std::string>& sidecar, const std::string& bytes, const std::string& key32) {
    return ReleaseSigning::check(sidecar, Sha256::hex(bytes), bytes.size(), key32);
  };
  const std::string sidecar = signature->encode();
  EXPECT_EQ(judge(sidecar, binary, publicKey), V::trusted);
  EXPECT_EQ(judge(std::nullopt, binary, publicKey), V::missing);
  EXPECT_EQ(judge("{not json", binary, publicKey), V::malformed);
  EXPECT_EQ(judge(sidecar, binary + "!", publicKey), V::digestMismatch) << "a tampered binary";
  EXPECT_EQ(judge(sidecar, binary, *ReleaseSigning::publicKeyOf(otherKey)), V::wrongIdentity)
      << "signed by another maker";

  auto forged = *signature;
  forged.sha256 = Sha256::hex("another binary");
  forged.size = 14;
  EXPECT_EQ(judge(forged.encode(), "another binary", publicKey), V::badSignature)
      << "facts changed after signing";
  auto renamed = *signature;
  renamed.identifier = "other-tool";
  EXPECT_EQ(judge(renamed.encode(), binary, publicKey), V::wrongIdentity);
  auto flipped = *signature;
  flipped.signature[5] = static_cast<char>(flipped.signature[5] ^ 1);
  EXPECT_EQ(judge(flipped.encode(), binary, publicKey), V::badSignature);
}

TEST(ReleaseSignatureTest, SidecarDecodingIsStrict) {
  const std::string sig(128, 'a');
  const std::string sha(64, 'b');
  auto sidecar = [&](const std::string& fields) { return "{" + fields + "}"; };
  const std::string good = R"("format":1,"identifier":"vesket","teamIdentifier":"ABCDEF0123","sha256":")" + sha +
                           R"(","size":5,"signature":")" + sig + "\"";
  EXPECT_TRUE(ReleaseSignature::decode(sidecar(good)));
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"\"format\":1", "\"format\":2"},
                                 {"\"size\":5", "\"size\":-5"},
                                 {"\"size\":5", "\"size\":\"5\""},
                                 {sha, sha.substr(1)},
                                 {sha, std::string(64, 'B')},
                                 {sig, sig + "aa"},
                                 {",\"identifier\":\"vesket\"", ""}}) {
    std::string bad = good;
    bad.replace(bad.find(from), from.size(), to);
    EXPECT_FALSE(ReleaseSignature::decode(sidecar(bad))) << bad;
  }
  EXPECT_FALSE(ReleaseSigning::sign("not a key", sha, 5));
}

}  // namespace
}  // namespace vesket::platform
