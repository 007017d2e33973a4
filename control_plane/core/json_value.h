#pragma once

#include <concepts>
#include <cstddef>
#include <functional>
#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace vesket::control_plane {

// A generic JSON value: command arguments and free-form payloads.
//
// Exactly one of six cases, in this order: string, number (every JSON number, integers
// included, as a double), bool, array, object, null. Accessors give nothing unless the
// value holds their case; nothing converts between cases (a number never reads as text).
// Literals build values directly: "text" is a string, true a bool, 3 and 2.5 numbers.
class JSONValue {
 public:
  // The cases; `boolean` is the bool case (`bool` is taken by the language).
  enum class Kind { string, number, boolean, array, object, null };

  using Array = std::vector<JSONValue>;
  // Objects compare as unordered maps (a sorted map compares its contents, not the order
  // in which keys arrived); std::less<> lets lookups take a string_view.
  using Object = std::map<std::string, JSONValue, std::less<>>;

  JSONValue() = default;  // null
  JSONValue(std::nullptr_t) {}
  JSONValue(const char* text) : m_value(std::string(text)) {}
  JSONValue(std::string text) : m_value(std::move(text)) {}
  JSONValue(std::string_view text) : m_value(std::string(text)) {}
  JSONValue(bool value) : m_value(value) {}
  template <class T>
    requires(std::integral<T> && !std::same_as<T, bool>)
  JSONValue(T value) : m_value(static_cast<double>(value)) {}
  template <std::floating_point T>
  JSONValue(T value) : m_value(static_cast<double>(value)) {}
  JSONValue(Array values) : m_value(std::move(values)) {}
  JSONValue(Object members) : m_value(std::move(members)) {}
  // Any other pointer would otherwise quietly become a bool.
  template <class T>
  JSONValue(T*) = delete;

  Kind kind() const { return static_cast<Kind>(m_value.index()); }
  bool isNull() const { return kind() == Kind::null; }

  const std::string* stringValue() const { return std::get_if<std::string>(&m_value); }
  std::optional<double> numberValue() const;
  std::optional<bool> boolValue() const;
  const Array* arrayValue() const { return std::get_if<Array>(&m_value); }
  const Object* objectValue() const { return std::get_if<Object>(&m_value); }

  // The member under `key` of an object; nothing for a missing key or any other case.
  const JSONValue* operator[](std::string_view key) const;
  // Values are subscripted by key only: stop `value[0]` from reading as a null key.
  const JSONValue* operator[](std::size_t) const = delete;

  // Decoding tries null, bool, number, string, array, object in that order (so true never
  // becomes 1); anything else throws DecodingError "unsupported JSON value". Values nested
  // more than maxDepth levels deep (a scalar is one level) are refused too, so that hostile
  // input cannot exhaust the stack.
  static JSONValue fromJson(const nlohmann::json& json);
  // Numbers that hold an integer of at most 2^53 are written as JSON integers ("lines": 200,
  // not 200.0); null writes JSON null.
  nlohmann::json toJson() const;

  static constexpr int maxDepth = 512;

  friend bool operator==(const JSONValue&, const JSONValue&) = default;

 private:
  // Alternatives in the order of Kind.
  std::variant<std::string, double, bool, Array, Object, std::monostate> m_value{
      std::in_place_index<5>};
};

// The arguments of a control command: a JSON object of named values.
using JSONObject = JSONValue::Object;

}  // namespace vesket::control_plane
