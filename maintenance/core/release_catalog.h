#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesket::maintenance {

// The release catalog: "releases.json" in the downloads directory of the download host, a
// JSON array of entries, each naming a build and the files to download for it.
struct ReleaseArtifact {
  std::string name;
  std::string filename;  // relative to the downloads directory
  bool operator==(const ReleaseArtifact&) const = default;
};

struct ReleaseEntry {
  std::string version;
  std::int64_t build = 0;
  std::string channel;
  std::vector<ReleaseArtifact> artifacts;
  bool operator==(const ReleaseEntry&) const = default;
};

namespace ReleaseCatalog {

inline constexpr std::string_view kStableChannel = "stable";
inline constexpr std::string_view kFileName = "releases.json";

using Log = std::function<void(const std::string&)>;

// Decodes the catalog entry by entry: an element that is not an object, or an object that
// is not an entry, is skipped and logged; a top level that is not an array is logged and
// reads as an empty catalog. Nothing when the text is not JSON at all.
std::optional<std::vector<ReleaseEntry>> decode(std::string_view text, const Log& log);

std::string encodeEntry(const ReleaseEntry& entry);

// The catalog text with `entry` published: an entry of the same build and channel is
// replaced in place, otherwise the entry is appended; every other element is kept as it
// was. An existing text that is not a JSON array (or empty) starts a new catalog. Pretty
// printed, ending in a newline.
std::string withEntry(std::string_view existing, const ReleaseEntry& entry);

}  // namespace ReleaseCatalog
}  // namespace vesket::maintenance
