#include "maintenance/core/install_manifest.h"

#include <algorithm>
#include <tuple>

#include <fmt/format.h>

#include "control_plane/core/decoding_error.h"
#include "control_plane/core/json_codec.h"

namespace vesket::maintenance {

namespace {

using control_plane::json_codec::defaulted;
using control_plane::json_codec::field;
using control_plane::json_codec::record;

constexpr auto kState = record<MutationState>("MutationState", field("exists", &MutationState::exists),
                                              defaulted("value", &MutationState::value));
constexpr auto kAfter = record<MutationAfter>("MutationAfter", defaulted("value", &MutationAfter::value),
                                              field("hash", &MutationAfter::hash));
constexpr auto kMultiplicity =
    record<MutationMultiplicity>("MutationMultiplicity", field("before", &MutationMultiplicity::before),
                                 field("after", &MutationMultiplicity::after));
constexpr auto kRecord = record<MutationRecord>(
    "MutationRecord", field("id", &MutationRecord::id), field("target", &MutationRecord::target),
    field("locator", &MutationRecord::locator), field("kind", &MutationRecord::kind),
    field("before", &MutationRecord::before), field("after", &MutationRecord::after),
    field("multiplicity", &MutationRecord::multiplicity), field("owned", &MutationRecord::owned),
    field("installId", &MutationRecord::installId), field("build", &MutationRecord::build),
    field("updatedAt", &MutationRecord::updatedAt));
constexpr auto kManifest = record<InstallManifest>(
    "InstallManifest", field("schemaVersion", &InstallManifest::schemaVersion),
    field("installId", &InstallManifest::installId), field("mutations", &InstallManifest::mutations));

bool sameChange(const MutationRecord& record, std::string_view id, std::string_view target,
                std::string_view locator) {
  return record.id == id && record.target == target && record.locator == locator;
}

}  // namespace

MutationState MutationState::fromJson(const nlohmann::json& json) { return kState.decode(json); }
nlohmann::json MutationState::toJson() const { return kState.encode(*this); }

MutationAfter MutationAfter::fromJson(const nlohmann::json& json) { return kAfter.decode(json); }
nlohmann::json MutationAfter::toJson() const { return kAfter.encode(*this); }

MutationMultiplicity MutationMultiplicity::fromJson(const nlohmann::json& json) { return kMultiplicity.decode(json); }
nlohmann::json MutationMultiplicity::toJson() const { return kMultiplicity.encode(*this); }

MutationRecord MutationRecord::fromJson(const nlohmann::json& json) { return kRecord.decode(json); }
nlohmann::json MutationRecord::toJson() const { return kRecord.encode(*this); }

InstallManifest InstallManifest::decode(std::string_view text) {
  const auto json = nlohmann::json::parse(text, nullptr, false);
  if (json.is_discarded()) throw InvalidManifest("the install manifest is not valid JSON");
  InstallManifest manifest;
  try {
    manifest = kManifest.decode(json);
  } catch (const control_plane::DecodingError& error) {
    throw InvalidManifest(fmt::format("the install manifest does not decode: {}", error.what()));
  }
  if (manifest.schemaVersion != kSchemaVersion) {
    throw InvalidManifest(fmt::format(
        "the install manifest has schema version {}, this build understands only {} (written by a newer Vesket?)",
        manifest.schemaVersion, kSchemaVersion));
  }
  if (manifest.installId.empty()) throw InvalidManifest("the install manifest has no install id");
  return manifest;
}

std::string InstallManifest::encode() const {
  return kManifest.encode(*this).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

void InstallManifest::record(const std::string& target, const std::vector<MutationObservation>& observations,
                             const std::string& build, const std::string& updatedAt) {
  for (const MutationObservation& observation : observations) {
    MutationRecord next;
    next.id = observation.id;
    next.target = target;
    next.locator = observation.locator;
    next.kind = observation.kind;
    next.before = observation.before;
    next.after = MutationAfter{observation.afterValue, hashValue(observation.afterValue)};
    next.multiplicity = observation.multiplicity;
    next.owned = observation.owned;
    next.installId = installId;
    next.build = build;
    next.updatedAt = updatedAt;
    auto existing = std::find_if(mutations.begin(), mutations.end(), [&](const MutationRecord& r) {
      return sameChange(r, next.id, next.target, next.locator);
    });
    if (existing == mutations.end()) {
      mutations.push_back(std::move(next));
      continue;
    }
    next.before = existing->before;
    next.multiplicity.before = existing->multiplicity.before;
    next.owned = existing->owned;
    *existing = std::move(next);
  }
  std::sort(mutations.begin(), mutations.end(), [](const MutationRecord& a, const MutationRecord& b) {
    return std::tie(a.target, a.locator, a.id) < std::tie(b.target, b.locator, b.id);
  });
}

const MutationRecord* InstallManifest::find(std::string_view id, std::string_view target,
                                            std::string_view locator) const {
  for (const MutationRecord& record : mutations) {
    if (sameChange(record, id, target, locator)) return &record;
  }
  return nullptr;
}

bool InstallManifest::remove(std::string_view id, std::string_view target, std::string_view locator) {
  return std::erase_if(mutations, [&](const MutationRecord& r) { return sameChange(r, id, target, locator); }) > 0;
}

}  // namespace vesket::maintenance
