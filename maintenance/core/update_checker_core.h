#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "maintenance/core/release_catalog.h"

namespace vesket::maintenance {

// What a check for updates found.
struct UpdateResult {
  enum class Kind { updateAvailable, upToDate, failed, checking, pendingRestart };
  Kind kind = Kind::checking;
  std::string version;      // updateAvailable
  std::int64_t build = 0;   // updateAvailable, upToDate
  std::string dmgURL;       // updateAvailable: the artifact to download
  std::string message;      // failed

  static UpdateResult updateAvailable(std::string version, std::int64_t build, std::string url) {
    return {Kind::updateAvailable, std::move(version), build, std::move(url), {}};
  }
  static UpdateResult upToDate(std::int64_t build) { return {Kind::upToDate, {}, build, {}, {}}; }
  static UpdateResult failed(std::string message) { return {Kind::failed, {}, 0, {}, std::move(message)}; }
  static UpdateResult checking() { return {}; }
  static UpdateResult pendingRestart() { return {Kind::pendingRestart, {}, 0, {}, {}}; }
  bool operator==(const UpdateResult&) const = default;
};

enum class PendingRestartVerdict { verifiedOnTarget, stillPending, unknownTarget };

// The pure part of checking for and installing updates: the catalog's address and its
// reading, the markers the updater leaves in the product home, and the installer's
// progress and watchdog rules.
namespace UpdateParser {

// The product's download host: configured at build time (VESKET_DOWNLOAD_HOST).
std::string_view defaultHost();
// "https://" + host + "/downloads/releases.json"; an empty or white-space host is the default.
std::string releasesURLString(std::string_view host);
// "https://" + host + "/downloads/".
std::string downloadsBase(std::string_view host);
// The best stable entry's verdict for a program of build `ownBuild`.
UpdateResult parse(std::string_view data, std::int64_t ownBuild, std::string_view host,
                   const ReleaseCatalog::Log& log = {});
// The best stable entry of a decoded catalog (the highest build, the first on a tie), and
// its download file name (the first ".dmg", else the first artifact, else empty).
std::optional<ReleaseEntry> bestStableEntry(const std::vector<ReleaseEntry>& entries);
std::string chosenArtifact(const ReleaseEntry& entry);

}  // namespace UpdateParser

namespace UpdateLabel {
// The template with "%1" (or "%ld") replaced by the build number.
std::string upToDate(std::int64_t build, std::string_view localizedTemplate);
}

// The product home's markers. Paths are formed from the product home; reading and writing
// them is the caller's (maintenance/update_markers.h).
namespace PendingRestartMarker {
inline constexpr std::string_view kFileName = "update-needs-restart";
std::string path(std::string_view home);
// The target build: the text trimmed of white space, as a decimal number; nothing otherwise.
std::optional<std::int64_t> parseTargetBuild(std::string_view text);
}  // namespace PendingRestartMarker

namespace PendingRestartVerification {
PendingRestartVerdict verdict(std::int64_t ownBuild, std::optional<std::int64_t> targetBuild);
}

namespace PermissionLossMarker {
inline constexpr std::string_view kFileName = "permission-lost-on-update.json";
std::string path(std::string_view home);
// `{ "lost": [strings] }`; empty when undecodable.
std::vector<std::string> decode(std::string_view data);
}  // namespace PermissionLossMarker

struct FdaNeededMarker {
  static constexpr std::string_view kFileName = "fda-needed.json";
  std::string paneId;
  std::string path;
  double ts = 0;
  bool operator==(const FdaNeededMarker&) const = default;

  static std::string markerPath(std::string_view home);
  static std::optional<FdaNeededMarker> decode(std::string_view data);
};

namespace InstallProgress {
// The number written just before a "%" in the line, over 100, within 0..1.
std::optional<double> parsePercent(std::string_view line);
}

namespace InstallWatchdog {
inline constexpr double kPollIntervalSeconds = 1.0;
inline constexpr double kTimeoutSeconds = 900.0;
bool shouldResolveToPendingRestart(bool markerExists, double elapsedSeconds, double timeoutSeconds);
}  // namespace InstallWatchdog

// How the installer reads the updater's end (exit status and output).
namespace UpdaterExit {
enum class Outcome { upToDate, pendingRestart, failed };
Outcome classify(int exitStatus, std::string_view output);
// The failure output: the collected lines joined with newlines, or
// "Update failed (exit N)" when there are none.
std::string failureOutput(int exitStatus, const std::vector<std::string>& out, const std::vector<std::string>& err);
// The output mentions missing write permission ("write access", "chown", "No write").
bool isPermsError(std::string_view output);
}  // namespace UpdaterExit

}  // namespace vesket::maintenance
