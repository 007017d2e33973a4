#pragma once

// The install manifest: every change the product made to another program's files, with
// what the file (or the changed part of it) looked like before and what was written, so
// that an uninstaller can put back exactly what the product changed and nothing else.
// Written by TrackedMutation under the manifest lock and read by `vesket uninstall`.
//
// Locators name the changed part of a target. This product uses:
//   "$file"           the whole file; values are the file's content (MutationValue::fileContent)
//   "$block:NAME"     a marked block of lines in a text file (see TextBlock)
//   "/a/b"            a JSON pointer into a JSON file
// and the `kind` says how the change is reversed (see UninstallPlan).

#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "maintenance/core/mutation_value.h"

namespace vesket::maintenance {

struct MutationState {
  bool exists = false;
  MutationValue value;

  static MutationState fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const MutationState&, const MutationState&) = default;
};

struct MutationAfter {
  MutationValue value;
  std::string hash;  // hashValue(value)

  static MutationAfter fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const MutationAfter&, const MutationAfter&) = default;
};

// How many instances of the thing existed before and after the change.
struct MutationMultiplicity {
  std::int64_t before = 0;
  std::int64_t after = 0;

  static MutationMultiplicity fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const MutationMultiplicity&, const MutationMultiplicity&) = default;
};

struct MutationRecord {
  std::string id;       // the caller's stable name for the change ("claude-settings-backup")
  std::string target;   // absolute path of the changed file
  std::string locator;  // "$file", or the changed part inside the file
  std::string kind;     // how the change is reversed
  MutationState before;
  MutationAfter after;
  MutationMultiplicity multiplicity;
  bool owned = false;   // the product created it, so uninstalling may delete it
  std::string installId;
  std::string build;
  std::string updatedAt;  // ISO 8601

  static MutationRecord fromJson(const nlohmann::json& json);
  nlohmann::json toJson() const;
  friend bool operator==(const MutationRecord&, const MutationRecord&) = default;
};

// What a caller reports for one change.
struct MutationObservation {
  std::string id;
  std::string locator;
  std::string kind;
  MutationState before;
  MutationValue afterValue;
  MutationMultiplicity multiplicity;
  bool owned = false;
};

// A manifest that does not decode, has another schema version or no install id. Nothing
// may be written then: a newer product may have written it.
class InvalidManifest : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct InstallManifest {
  static constexpr std::int64_t kSchemaVersion = 1;

  std::int64_t schemaVersion = kSchemaVersion;
  std::string installId;
  std::vector<MutationRecord> mutations;  // sorted by target, locator, id

  // Throws InvalidManifest saying what is wrong.
  static InstallManifest decode(std::string_view text);
  // Pretty-printed, keys sorted, slashes unescaped; ends with a line feed.
  std::string encode() const;

  // Records one change of `target`: a record with the same id, target and locator is
  // updated (its earliest `before`, `multiplicity.before` and `owned` are kept, so that an
  // uninstaller restores the state from before the product's first change); any other is
  // appended. The records are sorted afterwards.
  void record(const std::string& target, const std::vector<MutationObservation>& observations,
              const std::string& build, const std::string& updatedAt);

  const MutationRecord* find(std::string_view id, std::string_view target, std::string_view locator) const;
  // Drops the record with this id, target and locator; false when there was none.
  bool remove(std::string_view id, std::string_view target, std::string_view locator);
};

}  // namespace vesket::maintenance
