#pragma once

// The values the install manifest records: what a file, or the part of a file the product
// changed, looked like before and after. A value is a plain JSON value (bool, number,
// string, array, object or null) and encodes as that value; numbers are always doubles.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace vesket::maintenance {

struct MutationValue {
  nlohmann::json json;  // null unless set

  // Any decoded JSON value; integers become doubles, so that a value read back from the
  // manifest equals the one recorded.
  static MutationValue fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const { return json; }

  static MutationValue null() { return {}; }
  static MutationValue string(std::string text) { return {nlohmann::json(std::move(text))}; }

  // A file's bytes: the text itself when it is UTF-8, otherwise {"base64": "..."} so that
  // any file can be put back byte for byte.
  static MutationValue fileContent(std::string_view bytes);
  // The bytes of a `fileContent` value; nothing for a value of another shape.
  std::optional<std::string> fileBytes() const;

  friend bool operator==(const MutationValue&, const MutationValue&) = default;
};

// The lowercase hexadecimal SHA-256 of the value encoded as JSON with sorted keys and
// unescaped slashes (the string abc hashes as the five bytes "abc" with its quotes).
std::string hashValue(const MutationValue& value);

// That encoding: compact, keys sorted, slashes and non-ASCII characters as they are.
std::string canonicalJson(const nlohmann::json& json);

// True when `bytes` is well-formed UTF-8.
bool isUtf8(std::string_view bytes);

}  // namespace vesket::maintenance
