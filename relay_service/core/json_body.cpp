#include "relay_service/core/json_body.h"

#include <cstdint>

#include <fmt/format.h>

#include "relay_service/core/api_error.h"

namespace vesket::relay_service {
namespace {

struct TooDeep {};

}  // namespace

JsonBody JsonBody::parse(std::string_view body) {
  int depth = 0;
  // Nesting is bounded while parsing, so hostile input never builds a deep tree.
  const nlohmann::json::parser_callback_t limitDepth = [&depth](int, nlohmann::json::parse_event_t event,
                                                                nlohmann::json&) {
    if (event == nlohmann::json::parse_event_t::object_start || event == nlohmann::json::parse_event_t::array_start) {
      if (++depth > kMaxDepth) throw TooDeep{};
    } else if (event == nlohmann::json::parse_event_t::object_end ||
               event == nlohmann::json::parse_event_t::array_end) {
      --depth;
    }
    return true;
  };
  nlohmann::json doc;
  try {
    doc = nlohmann::json::parse(body, limitDepth, /*allow_exceptions=*/true);
  } catch (const TooDeep&) {
    throw ApiError::invalidJson(fmt::format("nested deeper than {} levels", kMaxDepth));
  } catch (const nlohmann::json::exception& error) {
    std::string detail = error.what();
    // "[json.exception.parse_error.101] parse error at line 1, column 2: ..." -> the part after "] ".
    if (const auto at = detail.find("] "); at != std::string::npos) detail = detail.substr(at + 2);
    throw ApiError::invalidJson(detail);
  }
  if (!doc.is_object()) throw ApiError::invalidJson("expected an object");
  return JsonBody(std::move(doc));
}

const nlohmann::json* JsonBody::find(const std::string& key) const {
  const auto it = m_object.find(key);
  if (it == m_object.end() || it->is_null()) return nullptr;
  return &*it;
}

std::string JsonBody::requireString(const std::string& key) const {
  auto value = optionalString(key);
  if (!value) throw ApiError::invalidField(fmt::format("'{}' is required", key));
  return std::move(*value);
}

std::optional<std::string> JsonBody::optionalString(const std::string& key) const {
  const nlohmann::json* value = find(key);
  if (value == nullptr) return std::nullopt;
  if (!value->is_string()) throw ApiError::invalidField(fmt::format("'{}' must be a string", key));
  return value->get<std::string>();
}

std::int64_t JsonBody::requireInteger(const std::string& key) const {
  const auto value = optionalInteger(key);
  if (!value) throw ApiError::invalidField(fmt::format("'{}' is required", key));
  return *value;
}

std::optional<std::int64_t> JsonBody::optionalInteger(const std::string& key) const {
  const nlohmann::json* value = find(key);
  if (value == nullptr) return std::nullopt;
  if (value->is_number_unsigned()) {
    const auto number = value->get<std::uint64_t>();
    if (number <= static_cast<std::uint64_t>(INT64_MAX)) return static_cast<std::int64_t>(number);
  } else if (value->is_number_integer()) {
    return value->get<std::int64_t>();
  }
  // 3.0 is an integer too (clients that send every number as a double).
  if (value->is_number_float()) {
    const double number = value->get<double>();
    if (number == static_cast<double>(static_cast<std::int64_t>(number)) && number > -9.0e15 && number < 9.0e15) {
      return static_cast<std::int64_t>(number);
    }
  }
  throw ApiError::invalidField(fmt::format("'{}' must be an integer", key));
}

std::optional<bool> JsonBody::optionalBool(const std::string& key) const {
  const nlohmann::json* value = find(key);
  if (value == nullptr) return std::nullopt;
  if (!value->is_boolean()) throw ApiError::invalidField(fmt::format("'{}' must be true or false", key));
  return value->get<bool>();
}

}  // namespace vesket::relay_service
