#include "shell/core/identity_record.h"

#include <cmath>
#include <limits>

#include <nlohmann/json.hpp>

#include "control_plane/core/decoding_error.h"

namespace vesket::shell {
namespace {

using control_plane::DecodingError;

[[noreturn]] void fail(std::string_view key, std::string_view problem) {
  throw DecodingError("IdentityRecord: key '" + std::string(key) + "' " + std::string(problem));
}

const nlohmann::json* optionalMember(const nlohmann::json& json, const char* key) {
  auto it = json.find(key);
  if (it == json.end() || it->is_null()) return nullptr;
  return &*it;
}

}  // namespace

IdentityRecord IdentityRecord::fromJson(const nlohmann::json& json) {
  if (!json.is_object()) throw DecodingError("IdentityRecord: expected a JSON object");
  IdentityRecord record;

  auto home = json.find("home");
  if (home == json.end()) fail("home", "is missing");
  if (!home->is_string()) fail("home", "must be a string");
  record.home = home->get<std::string>();

  if (const auto* installId = optionalMember(json, "installId")) {
    if (!installId->is_string()) fail("installId", "must be a string");
    record.installId = installId->get<std::string>();
  }
  if (const auto* pid = optionalMember(json, "pid")) {
    if (pid->is_number_unsigned()) {
      const auto value = pid->get<std::uint64_t>();
      if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        fail("pid", "is out of range");
      }
      record.pid = static_cast<std::int64_t>(value);
    } else if (pid->is_number_integer()) {
      record.pid = pid->get<std::int64_t>();
    } else {
      fail("pid", "must be an integer");
    }
  }
  if (const auto* startedAtMs = optionalMember(json, "startedAtMs")) {
    if (!startedAtMs->is_number()) fail("startedAtMs", "must be a number");
    record.startedAtMs = startedAtMs->get<double>();
  }
  return record;
}

nlohmann::json IdentityRecord::toJson() const {
  nlohmann::json json = nlohmann::json::object();
  json["home"] = home;
  if (installId) json["installId"] = *installId;
  if (pid) json["pid"] = *pid;
  if (startedAtMs) {
    const double value = *startedAtMs;
    constexpr double int64Limit = 9.2e18;
    if (std::isfinite(value) && std::trunc(value) == value && std::fabs(value) < int64Limit) {
      json["startedAtMs"] = static_cast<std::int64_t>(value);
    } else {
      json["startedAtMs"] = value;
    }
  }
  return json;
}

std::optional<IdentityRecord> IdentityRecord::decode(std::string_view bytes) {
  const auto json = nlohmann::json::parse(bytes, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded()) return std::nullopt;
  try {
    auto record = fromJson(json);
    if (record.home.empty()) return std::nullopt;
    return record;
  } catch (const DecodingError&) {
    return std::nullopt;
  }
}

std::string IdentityRecord::encode() const { return toJson().dump() + "\n"; }

std::string IdentityRecord::pathFor(std::string_view userHome) {
  std::string path(userHome);
  path.append(fileName);
  return path;
}

}  // namespace vesket::shell
