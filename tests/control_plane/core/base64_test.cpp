#include "control_plane/core/base64.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace vesket::control_plane;

namespace {

struct Vector {
  std::string bytes;
  std::string text;
};

// RFC 4648 test vectors, plus bytes that exercise every bit of the alphabet's edges.
const Vector kVectors[] = {
    {"", ""},
    {"f", "Zg=="},
    {"fo", "Zm8="},
    {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="},
    {"fooba", "Zm9vYmE="},
    {"foobar", "Zm9vYmFy"},
    {std::string("\0", 1), "AA=="},
    {std::string("\0\0\0", 3), "AAAA"},
    {"\xFF\xFF\xFF", "////"},
    {"\xFB\xEF\xBE", "++++"},
    {"\x1B[31mé\r\n", "G1szMW3DqQ0K"},
};

}  // namespace

TEST(Base64, EncodesAndDecodesKnownVectors) {
  for (const auto& [bytes, text] : kVectors) {
    EXPECT_EQ(Base64::encode(bytes), text);
    EXPECT_EQ(Base64::decode(text), bytes) << text;
    EXPECT_EQ(Base64::tryDecode(text), bytes) << text;
    EXPECT_EQ(Base64::encodedSize(bytes.size()), text.size());
  }
}

TEST(Base64, EncodeAppendKeepsWhatIsThere) {
  std::string out = "data:";
  Base64::encodeAppend("foob", out);
  EXPECT_EQ(out, "data:Zm9vYg==");
}

TEST(Base64, RoundTripsRandomBytesOfEveryLengthRemainder) {
  std::mt19937 random(7);
  for (std::size_t length = 0; length < 300; ++length) {
    std::string bytes(length, '\0');
    for (auto& byte : bytes) byte = static_cast<char>(random());
    EXPECT_EQ(Base64::decode(Base64::encode(bytes)), bytes) << length;
  }
}

TEST(Base64, RejectsAnythingButStrictStandardBase64WithAReason) {
  struct Case {
    std::string text;
    std::string message;
    std::size_t offset;
  };
  const Case cases[] = {
      {"Zm9", "invalid Base64: length 3 is not a multiple of 4", 3},
      {"Zg", "invalid Base64: length 2 is not a multiple of 4", 2},
      {"Zm9v\n", "invalid Base64: length 5 is not a multiple of 4", 5},
      {"Zm 9", "invalid Base64: unexpected character byte 0x20 at offset 2", 2},
      {"Zm9-", "invalid Base64: unexpected character '-' at offset 3", 3},   // URL-safe
      {"Zm9_Zm9v", "invalid Base64: unexpected character '_' at offset 3", 3},
      {"Zm9vZm9\xC3", "invalid Base64: unexpected character byte 0xC3 at offset 7", 7},
      {std::string("Zm\0v", 4), "invalid Base64: unexpected character byte 0x00 at offset 2", 2},
      {"Z===", "invalid Base64: padding '=' at offset 1 before the end", 1},
      {"====", "invalid Base64: padding '=' at offset 0 before the end", 0},
      {"Zg==Zm9v", "invalid Base64: padding '=' at offset 2 before the end", 2},
      {"Zm=v", "invalid Base64: padding '=' at offset 2 before the end", 2},
      {"Zh==", "invalid Base64: non-zero padding bits at offset 1", 1},
      {"Zm9=", "invalid Base64: non-zero padding bits at offset 2", 2},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(Base64::tryDecode(c.text)) << c.text;
    try {
      Base64::decode(c.text);
      ADD_FAILURE() << "accepted " << c.text;
    } catch (const Base64Error& error) {
      EXPECT_EQ(error.what(), c.message);
      EXPECT_EQ(error.offset(), c.offset) << c.text;
    }
  }
}

TEST(Base64, GarbageNeverDecodesAndNeverCrashes) {
  std::mt19937 random(11);
  int accepted = 0;
  for (int round = 0; round < 5000; ++round) {
    std::string text(1 + random() % 16, '\0');
    for (auto& c : text) c = static_cast<char>(random());
    if (auto bytes = Base64::tryDecode(text)) {
      ++accepted;
      EXPECT_EQ(Base64::encode(*bytes), text) << "decoding is canonical";
    }
  }
  EXPECT_LT(accepted, 50);
}
