#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace vesket::shell {

// The record the running daemon publishes in the account's home directory (never in the
// product home) so that an application started with a different environment still finds
// the daemon that is actually running. The daemon writes it with `toJson`; the application
// reads it with `decode`.
struct IdentityRecord {
  // Appended to the user's home directory to form the record's path.
  static constexpr std::string_view fileName = "/.vesket-daemon-identity.json";

  std::string home;                      // the product home the running daemon uses
  std::optional<std::string> installId;  // the daemon installation's identifier
  std::optional<std::int64_t> pid;       // the daemon's process id
  std::optional<double> startedAtMs;     // start time, milliseconds since the Unix epoch

  bool operator==(const IdentityRecord&) const = default;

  // Strict decoding: `home` must be a string; the optional keys may be absent or null.
  // Throws control_plane::DecodingError naming the key at fault.
  static IdentityRecord fromJson(const nlohmann::json& json);
  // Absent optional fields are left out; a whole-number `startedAtMs` is written as an integer.
  nlohmann::json toJson() const;

  // The record in the file's bytes, or nothing when the bytes are not a record or the
  // record's home is empty (both count as "no daemon published a home").
  static std::optional<IdentityRecord> decode(std::string_view bytes);
  // The file's text as the daemon writes it (one JSON object and a newline).
  std::string encode() const;

  // The record's path for a user whose home directory is `userHome`.
  static std::string pathFor(std::string_view userHome);
};

}  // namespace vesket::shell
