#include "control_plane/core/json_value.h"

#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "control_plane/core/decoding_error.h"

namespace vesket::control_plane {

namespace {

JSONValue decode(const nlohmann::json& json, int depth) {
  if (depth > JSONValue::maxDepth) throw DecodingError("JSON value nested too deeply");
  if (json.is_null()) return nullptr;
  if (json.is_boolean()) return json.get<bool>();
  if (json.is_number()) return json.get<double>();
  if (json.is_string()) return json.get_ref<const std::string&>();
  if (json.is_array()) {
    JSONValue::Array values;
    values.reserve(json.size());
    for (const auto& element : json) values.push_back(decode(element, depth + 1));
    return values;
  }
  if (json.is_object()) {
    JSONValue::Object members;
    for (const auto& [key, element] : json.items()) {
      members.emplace_hint(members.end(), key, decode(element, depth + 1));
    }
    return members;
  }
  throw DecodingError("unsupported JSON value");
}

nlohmann::json encodeNumber(double value) {
  constexpr double exactIntegerLimit = 9007199254740992.0;  // 2^53
  if (std::trunc(value) == value && std::fabs(value) <= exactIntegerLimit) {
    return static_cast<std::int64_t>(value);
  }
  return value;
}

}  // namespace

std::optional<double> JSONValue::numberValue() const {
  if (const double* value = std::get_if<double>(&m_value)) return *value;
  return std::nullopt;
}

std::optional<bool> JSONValue::boolValue() const {
  if (const bool* value = std::get_if<bool>(&m_value)) return *value;
  return std::nullopt;
}

const JSONValue* JSONValue::operator[](std::string_view key) const {
  const Object* members = objectValue();
  if (!members) return nullptr;
  const auto found = members->find(key);
  return found == members->end() ? nullptr : &found->second;
}

JSONValue JSONValue::fromJson(const nlohmann::json& json) { return decode(json, 1); }

nlohmann::json JSONValue::toJson() const {
  switch (kind()) {
    case Kind::string:
      return std::get<std::string>(m_value);
    case Kind::number:
      return encodeNumber(std::get<double>(m_value));
    case Kind::boolean:
      return std::get<bool>(m_value);
    case Kind::array: {
      nlohmann::json json = nlohmann::json::array();
      for (const JSONValue& value : std::get<Array>(m_value)) json.push_back(value.toJson());
      return json;
    }
    case Kind::object: {
      nlohmann::json json = nlohmann::json::object();
      for (const auto& [key, value] : std::get<Object>(m_value)) json.emplace(key, value.toJson());
      return json;
    }
    case Kind::null:
      break;
  }
  return nullptr;
}

}  // namespace vesket::control_plane
