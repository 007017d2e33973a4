#pragma once

// Reads request bodies strictly: the body must be one JSON object, nested no deeper than
// `kMaxDepth`; fields are read by name with their types checked. Every failure is an
// ApiError 400 naming the field, thrown before the handler has changed anything.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace vesket::relay_service {

class JsonBody {
 public:
  static constexpr int kMaxDepth = 32;

  // Parses `body` (throws ApiError invalid_json).
  static JsonBody parse(std::string_view body);
  explicit JsonBody(nlohmann::json object) : m_object(std::move(object)) {}

  // A string field that must be present (and not null).
  std::string requireString(const std::string& key) const;
  // Absent or null gives nothing; any other non-string is an error.
  std::optional<std::string> optionalString(const std::string& key) const;
  std::int64_t requireInteger(const std::string& key) const;
  std::optional<std::int64_t> optionalInteger(const std::string& key) const;
  std::optional<bool> optionalBool(const std::string& key) const;

  const nlohmann::json& json() const { return m_object; }

 private:
  const nlohmann::json* find(const std::string& key) const;

  nlohmann::json m_object;
};

}  // namespace vesket::relay_service
