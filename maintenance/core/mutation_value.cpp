#include "maintenance/core/mutation_value.h"

#include <openssl/evp.h>

#include <array>
#include <cstdint>

#include "control_plane/core/base64.h"

namespace vesket::maintenance {

namespace {

nlohmann::json normalised(const nlohmann::json& json) {
  switch (json.type()) {
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned:
      return json.get<double>();
    case nlohmann::json::value_t::array: {
      nlohmann::json out = nlohmann::json::array();
      for (const auto& element : json) out.push_back(normalised(element));
      return out;
    }
    case nlohmann::json::value_t::object: {
      nlohmann::json out = nlohmann::json::object();
      for (const auto& [key, element] : json.items()) out[key] = normalised(element);
      return out;
    }
    case nlohmann::json::value_t::discarded:
      return nullptr;
    default:
      return json;
  }
}

}  // namespace

MutationValue MutationValue::fromJson(const nlohmann::json& json) { return {normalised(json)}; }

MutationValue MutationValue::fileContent(std::string_view bytes) {
  if (isUtf8(bytes)) return string(std::string(bytes));
  return {nlohmann::json{{"base64", control_plane::Base64::encode(bytes)}}};
}

std::optional<std::string> MutationValue::fileBytes() const {
  if (json.is_string()) return json.get<std::string>();
  if (json.is_object() && json.size() == 1 && json.contains("base64") && json["base64"].is_string()) {
    return control_plane::Base64::tryDecode(json["base64"].get<std::string>());
  }
  return std::nullopt;
}

std::string canonicalJson(const nlohmann::json& json) {
  // nlohmann::json keeps object keys sorted and never escapes "/"; strings are valid UTF-8
  // by construction (file contents that are not go through base64).
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string hashValue(const MutationValue& value) {
  const std::string encoded = canonicalJson(value.json);
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  EVP_Digest(encoded.data(), encoded.size(), digest.data(), &length, EVP_sha256(), nullptr);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(length * 2);
  for (unsigned int i = 0; i < length; ++i) {
    hex.push_back(kHex[digest[i] >> 4]);
    hex.push_back(kHex[digest[i] & 0x0f]);
  }
  return hex;
}

bool isUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<std::uint8_t>(bytes[i]);
    std::size_t length = 0;
    std::uint32_t codePoint = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      codePoint = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<std::uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    static constexpr std::uint32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < kMinimum[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

}  // namespace vesket::maintenance
