#pragma once

// Strict JSON <-> record codec shared by every record that crosses the control socket or
// the relay.
//
// A record is a plain struct with `static T fromJson(const nlohmann::json&)` and
// `nlohmann::json toJson() const`. Its .cpp describes the fields once, one line each:
//
//   constexpr auto kTeam = json_codec::record<Team>("Team",
//       json_codec::field("teamId", &Team::teamId),        // required (plain member)
//       json_codec::field("note", &Team::note),            // optional (std::optional member)
//       json_codec::defaulted("members", &Team::members)); // missing or null keep the default
//   Team Team::fromJson(const nlohmann::json& json) { return kTeam.decode(json); }
//   nlohmann::json Team::toJson() const { return kTeam.encode(*this); }
//
// Anything else (a list of records, a map) goes through json_codec::decode / encode:
//   auto panes = json_codec::decode<std::vector<PaneEntry>>(reply["panes"], "panes");
//
// Decoding rules: a required field must be present with its type (null fails); an optional
// one may be missing or null, both read as absent; a defaulted one keeps the member's
// default when missing or null. Unknown keys are ignored. Encoding writes the same keys,
// leaves absent optionals out (never null) and always writes defaulted fields.
//
// Value types: std::string ("string"), double (any JSON number), integral types ("integer":
// JSON integers, and floats that are integral and in range), bool, std::vector<T>,
// std::map<std::string, T> (JSON objects), and any type with fromJson/toJson (nested
// records, JSONValue). Other types (an enumeration read from text, say) join by declaring
//   void readValue(const nlohmann::json&, Mood&);   // throws DecodingError on bad input
//   nlohmann::json writeValue(Mood);
// in their own namespace, where the codec finds them by argument-dependent lookup.
//
// Failures throw DecodingFailure (a DecodingError) whose message names the record and the
// path inside it: "PaneEntry: required key 'topicPreview' is missing",
// "PaneEntry.windowIndex: expected integer, got string",
// "ServedModelCatalog.kinds[\"codex\"].models[2]: required key 'id' is missing".
//
// This header pulls in the full nlohmann/json.hpp: include it from record .cpp files only;
// record headers need no more than nlohmann/json_fwd.hpp.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "control_plane/core/decoding_error.h"

namespace vesket::control_plane {

// A DecodingError that remembers where it happened, so that each enclosing record, list or
// map can put its own position in front as the failure travels outwards.
class DecodingFailure : public DecodingError {
 public:
  // `root` names the outermost thing decoded (a record name, or empty), `path` the position
  // below it (".windowIndex", "[3].paneId"), `problem` what went wrong.
  DecodingFailure(std::string root, std::string path, std::string problem);

  const std::string& path() const { return m_path; }
  const std::string& problem() const { return m_problem; }

 private:
  std::string m_path;
  std::string m_problem;
};

namespace json_codec {

using Json = nlohmann::json;

// Anything that decodes and encodes itself: nested records, JSONValue.
template <class T>
concept SelfCoding = requires(const Json& json, const T& value) {
  { T::fromJson(json) } -> std::same_as<T>;
  { value.toJson() } -> std::convertible_to<Json>;
};

namespace detail {
// Failure helpers, out of line so that the templates below stay small. The rethrow*
// functions must be called from inside a catch block: they rethrow the exception being
// handled with one more path segment in front and `root` as the new root (an empty root
// passed to rethrowAtRoot keeps the failure as it is).
[[noreturn]] void failType(const Json& json, std::string_view expected,
                           std::string_view root = {});
[[noreturn]] void failIntegerRange(const Json& json);
[[noreturn]] void failMissing(std::string_view record, std::string_view key);
[[noreturn]] void rethrowAtKey(std::string_view root, std::string_view key);
[[noreturn]] void rethrowAtIndex(std::size_t index);
[[noreturn]] void rethrowAtMapKey(std::string_view key);
[[noreturn]] void rethrowAtRoot(std::string_view root);
std::int64_t readInt64(const Json& json);
}  // namespace detail

// Scalars.
void readValue(const Json& json, std::string& out);
void readValue(const Json& json, double& out);
void readValue(const Json& json, bool& out);
inline Json writeValue(const std::string& value) { return value; }
// A whole number (an id, milliseconds since the epoch) goes out as a JSON integer, not "1.0".
Json writeValue(double value);
inline Json writeValue(bool value) { return value; }

template <std::integral T>
  requires(!std::same_as<T, bool>)
void readValue(const Json& json, T& out) {
  const std::int64_t value = detail::readInt64(json);
  if constexpr (!std::same_as<T, std::int64_t>) {
    if (!std::in_range<T>(value)) detail::failIntegerRange(json);
  }
  out = static_cast<T>(value);
}
template <std::integral T>
  requires(!std::same_as<T, bool>)
Json writeValue(T value) {
  if constexpr (std::is_unsigned_v<T>) return static_cast<std::uint64_t>(value);
  return static_cast<std::int64_t>(value);
}

// Nested records and other self-coding types.
template <SelfCoding T>
void readValue(const Json& json, T& out) {
  out = T::fromJson(json);
}
template <SelfCoding T>
Json writeValue(const T& value) {
  return value.toJson();
}

// Arrays.
template <class T>
void readValue(const Json& json, std::vector<T>& out);
template <class T>
Json writeValue(const std::vector<T>& values);

// Objects keyed by text.
template <class T, class Compare>
void readValue(const Json& json, std::map<std::string, T, Compare>& out);
template <class T, class Compare>
Json writeValue(const std::map<std::string, T, Compare>& values);

template <class T>
void readValue(const Json& json, std::vector<T>& out) {
  if (!json.is_array()) detail::failType(json, "array");
  out.clear();
  out.reserve(json.size());
  std::size_t index = 0;
  try {
    for (const Json& element : json) {
      readValue(element, out.emplace_back());
      ++index;
    }
  } catch (const DecodingError&) {
    detail::rethrowAtIndex(index);
  }
}

template <class T>
Json writeValue(const std::vector<T>& values) {
  Json json = Json::array();
  for (const T& value : values) json.push_back(writeValue(value));
  return json;
}

template <class T, class Compare>
void readValue(const Json& json, std::map<std::string, T, Compare>& out) {
  if (!json.is_object()) detail::failType(json, "object");
  out.clear();
  for (const auto& [key, element] : json.items()) {
    try {
      readValue(element, out[key]);
    } catch (const DecodingError&) {
      detail::rethrowAtMapKey(key);
    }
  }
}

template <class T, class Compare>
Json writeValue(const std::map<std::string, T, Compare>& values) {
  Json json = Json::object();
  for (const auto& [key, value] : values) json.emplace(key, writeValue(value));
  return json;
}

// How a field treats a missing or null key.
enum class Presence { required, optional, defaulted };

template <class Record, class T, Presence P>
struct Field {
  std::string_view key;
  T Record::*member;
};

template <class T>
inline constexpr bool isOptional = false;
template <class T>
inline constexpr bool isOptional<std::optional<T>> = true;

// A field that must be present, or, for a std::optional member, may be missing or null.
template <class Record, class T>
constexpr auto field(std::string_view key, T Record::*member) {
  constexpr Presence presence = isOptional<T> ? Presence::optional : Presence::required;
  return Field<Record, T, presence>{key, member};
}

// A field that keeps the member's default value when missing or null.
template <class Record, class T>
  requires(!isOptional<T>)
constexpr auto defaulted(std::string_view key, T Record::*member) {
  return Field<Record, T, Presence::defaulted>{key, member};
}

// The field table of one record: decodes a JSON object into it and encodes it back.
template <class Record, class... Fields>
class RecordCodec {
 public:
  constexpr RecordCodec(std::string_view name, Fields... fields)
      : m_name(name), m_fields(fields...) {}

  Record decode(const Json& json) const {
    if (!json.is_object()) detail::failType(json, "object", m_name);
    Record record{};
    std::apply([&](const auto&... fields) { (readField(json, record, fields), ...); },
               m_fields);
    return record;
  }

  Json encode(const Record& record) const {
    Json json = Json::object();
    std::apply([&](const auto&... fields) { (writeField(json, record, fields), ...); },
               m_fields);
    return json;
  }

 private:
  template <class T, Presence P>
  void readField(const Json& json, Record& record, const Field<Record, T, P>& field) const {
    const auto found = json.find(field.key);
    if (found == json.end()) {
      if constexpr (P == Presence::required) detail::failMissing(m_name, field.key);
      return;
    }
    if constexpr (P != Presence::required) {
      if (found->is_null()) return;
    }
    try {
      if constexpr (P == Presence::optional) {
        readValue(*found, (record.*field.member).emplace());
      } else {
        readValue(*found, record.*field.member);
      }
    } catch (const DecodingError&) {
      detail::rethrowAtKey(m_name, field.key);
    }
  }

  template <class T, Presence P>
  static void writeField(Json& json, const Record& record, const Field<Record, T, P>& field) {
    const T& value = record.*field.member;
    if constexpr (P == Presence::optional) {
      if (!value) return;
      Json encoded = writeValue(*value);
      // A present value that encodes as null (a JSONValue null) would read back as absent.
      if (!encoded.is_null()) json.emplace(field.key, std::move(encoded));
    } else {
      json.emplace(field.key, writeValue(value));
    }
  }

  std::string_view m_name;
  std::tuple<Fields...> m_fields;
};

template <class Record, class... Fields>
constexpr RecordCodec<Record, Fields...> record(std::string_view name, Fields... fields) {
  return RecordCodec<Record, Fields...>(name, fields...);
}

// Decodes any supported value (a record, a list of records, a map...); failures are
// reported under `root` ("panes[3].windowIndex: expected integer, got string").
template <class T>
T decode(const Json& json, std::string_view root = {}) {
  T value{};
  try {
    readValue(json, value);
  } catch (const DecodingError&) {
    detail::rethrowAtRoot(root);
  }
  return value;
}

template <class T>
Json encode(const T& value) {
  return writeValue(value);
}

}  // namespace json_codec
}  // namespace vesket::control_plane
