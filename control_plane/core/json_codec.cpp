#include "control_plane/core/json_codec.h"

#include <cmath>
#include <fmt/format.h>

namespace vesket::control_plane {

namespace {

std::string describeFailure(const std::string& root, const std::string& path,
                            const std::string& problem) {
  if (root.empty() && path.empty()) return problem;
  return fmt::format("{}{}: {}", root, path, problem);
}

}  // namespace

DecodingFailure::DecodingFailure(std::string root, std::string path, std::string problem)
    : DecodingError(describeFailure(root, path, problem)),
      m_path(std::move(path)),
      m_problem(std::move(problem)) {}

namespace json_codec {

namespace detail {

namespace {

// Rethrows the exception being handled, seen from one level up: `segment` goes in front
// of its path and `root` replaces its root. A plain DecodingError (one raised by a
// hand-written decoder) becomes the problem text at that position.
[[noreturn]] void rethrowWithin(std::string_view root, std::string segment) {
  try {
    throw;
  } catch (const DecodingFailure& failure) {
    throw DecodingFailure(std::string(root), segment + failure.path(), failure.problem());
  } catch (const DecodingError& error) {
    throw DecodingFailure(std::string(root), std::move(segment), error.what());
  }
}

}  // namespace

void failType(const Json& json, std::string_view expected, std::string_view root) {
  throw DecodingFailure(std::string(root), {},
                        fmt::format("expected {}, got {}", expected, json.type_name()));
}

void failIntegerRange(const Json& json) {
  throw DecodingFailure({}, {}, fmt::format("integer {} is out of range", json.dump()));
}

void failMissing(std::string_view record, std::string_view key) {
  throw DecodingFailure(std::string(record), {},
                        fmt::format("required key '{}' is missing", key));
}

void rethrowAtKey(std::string_view root, std::string_view key) {
  rethrowWithin(root, fmt::format(".{}", key));
}

void rethrowAtIndex(std::size_t index) { rethrowWithin({}, fmt::format("[{}]", index)); }

void rethrowAtMapKey(std::string_view key) {
  rethrowWithin({}, fmt::format("[{}]", Json(key).dump()));
}

void rethrowAtRoot(std::string_view root) {
  if (root.empty()) throw;
  rethrowWithin(root, {});
}

std::int64_t readInt64(const Json& json) {
  if (json.is_number_integer()) {
    if (json.is_number_unsigned()) {
      const auto value = json.get_ref<const Json::number_unsigned_t&>();
      if (!std::in_range<std::int64_t>(value)) failIntegerRange(json);
      return static_cast<std::int64_t>(value);
    }
    return json.get_ref<const Json::number_integer_t&>();
  }
  if (json.is_number_float()) {
    // Some encoders write every number as a float; accept those that hold an integer.
    const double value = json.get_ref<const Json::number_float_t&>();
    if (std::trunc(value) != value) {
      throw DecodingFailure({}, {}, fmt::format("expected integer, got {}", json.dump()));
    }
    // -2^63 is exact as a double; 2^63 is the first value past the range.
    if (value < -9223372036854775808.0 || value >= 9223372036854775808.0) {
      failIntegerRange(json);
    }
    return static_cast<std::int64_t>(value);
  }
  failType(json, "integer");
}

}  // namespace detail

void readValue(const Json& json, std::string& out) {
  if (!json.is_string()) detail::failType(json, "string");
  out = json.get_ref<const std::string&>();
}

void readValue(const Json& json, double& out) {
  if (!json.is_number()) detail::failType(json, "number");
  out = json.get<double>();
}

Json writeValue(double value) {
  constexpr double kExact = 9007199254740992.0;  // 2^53: every whole number below it is exact
  if (std::isfinite(value) && std::trunc(value) == value && std::fabs(value) <= kExact) {
    return static_cast<std::int64_t>(value);
  }
  return value;
}

void readValue(const Json& json, bool& out) {
  if (!json.is_boolean()) detail::failType(json, "boolean");
  out = json.get<bool>();
}

}  // namespace json_codec
}  // namespace vesket::control_plane
