#include "control_plane/core/base64.h"

#include <array>
#include <cstdint>
#include <fmt/format.h>

namespace vesket::control_plane::Base64 {

namespace {

constexpr char kAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::uint8_t kInvalid = 0xFF;

// Character -> 6-bit value, kInvalid for everything outside the alphabet (including '=').
constexpr std::array<std::uint8_t, 256> makeDecodeTable() {
  std::array<std::uint8_t, 256> table{};
  for (auto& entry : table) entry = kInvalid;
  for (std::uint8_t value = 0; value < 64; ++value) {
    table[static_cast<unsigned char>(kAlphabet[value])] = value;
  }
  return table;
}
constexpr auto kDecode = makeDecodeTable();

std::string describe(unsigned char c) {
  if (c >= 0x21 && c < 0x7F) return fmt::format("'{}'", static_cast<char>(c));
  return fmt::format("byte 0x{:02X}", c);
}

// Why text failed to decode, or nothing when it is valid. Kept separate from the fast
// path: it runs only once something went wrong, and then explains it.
struct Failure {
  std::string message;
  std::size_t offset;
};

Failure explain(std::string_view text) {
  if (text.size() % 4 != 0) {
    return {fmt::format("invalid Base64: length {} is not a multiple of 4", text.size()),
            text.size()};
  }
  const std::size_t padStart =
      text.size() - (text.ends_with("==") ? 2 : text.ends_with('=') ? 1 : 0);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '=' && i >= padStart) continue;
    if (c == '=') return {fmt::format("invalid Base64: padding '=' at offset {} before the end", i), i};
    if (kDecode[c] == kInvalid) {
      return {fmt::format("invalid Base64: unexpected character {} at offset {}", describe(c), i), i};
    }
  }
  // Every character is valid, so the unused bits of the last group are set.
  const std::size_t last = padStart - 1;
  return {fmt::format("invalid Base64: non-zero padding bits at offset {}", last), last};
}

// Decodes into `out`; false on any error (then `out` holds garbage).
bool decodeInto(std::string_view text, std::string& out) {
  if (text.size() % 4 != 0) return false;
  if (text.empty()) return true;
  std::size_t pad = 0;
  if (text.back() == '=') pad = text[text.size() - 2] == '=' ? 2 : 1;
  out.resize(text.size() / 4 * 3 - pad);

  const auto* in = reinterpret_cast<const unsigned char*>(text.data());
  auto* dst = reinterpret_cast<unsigned char*>(out.data());
  const std::size_t fullGroups = text.size() / 4 - 1;  // the last group is done apart
  std::uint32_t invalid = 0;
  for (std::size_t g = 0; g < fullGroups; ++g, in += 4, dst += 3) {
    const std::uint32_t a = kDecode[in[0]], b = kDecode[in[1]], c = kDecode[in[2]],
                        d = kDecode[in[3]];
    invalid |= a | b | c | d;
    const std::uint32_t v = a << 18 | b << 12 | c << 6 | d;
    dst[0] = static_cast<unsigned char>(v >> 16);
    dst[1] = static_cast<unsigned char>(v >> 8);
    dst[2] = static_cast<unsigned char>(v);
  }
  // Any invalid character has the top bits set (0xFF), valid values stay below 64.
  if (invalid & 0xC0) return false;

  const std::uint32_t a = kDecode[in[0]], b = kDecode[in[1]];
  if ((a | b) & 0xC0) return false;
  if (pad == 2) {
    if (b & 0x0F) return false;
    dst[0] = static_cast<unsigned char>(a << 2 | b >> 4);
    return true;
  }
  const std::uint32_t c = kDecode[in[2]];
  if (c & 0xC0) return false;
  if (pad == 1) {
    if (c & 0x03) return false;
    dst[0] = static_cast<unsigned char>(a << 2 | b >> 4);
    dst[1] = static_cast<unsigned char>(b << 4 | c >> 2);
    return true;
  }
  const std::uint32_t d = kDecode[in[3]];
  if (d & 0xC0) return false;
  const std::uint32_t v = a << 18 | b << 12 | c << 6 | d;
  dst[0] = static_cast<unsigned char>(v >> 16);
  dst[1] = static_cast<unsigned char>(v >> 8);
  dst[2] = static_cast<unsigned char>(v);
  return true;
}

}  // namespace

void encodeAppend(std::string_view bytes, std::string& out) {
  const std::size_t start = out.size();
  out.resize(start + encodedSize(bytes.size()));
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  char* dst = out.data() + start;
  std::size_t remaining = bytes.size();
  for (; remaining >= 3; remaining -= 3, in += 3, dst += 4) {
    const std::uint32_t v = std::uint32_t{in[0]} << 16 | std::uint32_t{in[1]} << 8 | in[2];
    dst[0] = kAlphabet[v >> 18];
    dst[1] = kAlphabet[v >> 12 & 0x3F];
    dst[2] = kAlphabet[v >> 6 & 0x3F];
    dst[3] = kAlphabet[v & 0x3F];
  }
  if (remaining == 1) {
    const std::uint32_t v = std::uint32_t{in[0]} << 16;
    dst[0] = kAlphabet[v >> 18];
    dst[1] = kAlphabet[v >> 12 & 0x3F];
    dst[2] = '=';
    dst[3] = '=';
  } else if (remaining == 2) {
    const std::uint32_t v = std::uint32_t{in[0]} << 16 | std::uint32_t{in[1]} << 8;
    dst[0] = kAlphabet[v >> 18];
    dst[1] = kAlphabet[v >> 12 & 0x3F];
    dst[2] = kAlphabet[v >> 6 & 0x3F];
    dst[3] = '=';
  }
}

std::string encode(std::string_view bytes) {
  std::string out;
  encodeAppend(bytes, out);
  return out;
}

std::optional<std::string> tryDecode(std::string_view text) {
  std::string out;
  if (!decodeInto(text, out)) return std::nullopt;
  return out;
}

std::string decode(std::string_view text) {
  std::string out;
  if (!decodeInto(text, out)) {
    Failure failure = explain(text);
    throw Base64Error(failure.message, failure.offset);
  }
  return out;
}

}  // namespace vesket::control_plane::Base64
