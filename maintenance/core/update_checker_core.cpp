#include "maintenance/core/update_checker_core.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>

#include <nlohmann/json.hpp>

#ifndef VESKET_DOWNLOAD_HOST
#error "VESKET_DOWNLOAD_HOST names the product's download host (set by maintenance/CMakeLists.txt)"
#endif

namespace vesket::maintenance {
namespace {

std::string_view trimmed(std::string_view text) {
  const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

std::string joinPath(std::string_view home, std::string_view name) {
  std::string path(home);
  if (path.empty() || path.back() != '/') path += '/';
  return path + std::string(name);
}

std::string hostOrDefault(std::string_view host) {
  const std::string_view given = trimmed(host);
  return std::string(given.empty() ? UpdateParser::defaultHost() : given);
}

}  // namespace

namespace UpdateParser {

std::string_view defaultHost() { return VESKET_DOWNLOAD_HOST; }

std::string releasesURLString(std::string_view host) { return downloadsBase(host) + std::string(ReleaseCatalog::kFileName); }

std::string downloadsBase(std::string_view host) { return "https://" + hostOrDefault(host) + "/downloads/"; }

std::optional<ReleaseEntry> bestStableEntry(const std::vector<ReleaseEntry>& entries) {
  const ReleaseEntry* best = nullptr;
  for (const auto& entry : entries) {
    if (entry.channel != ReleaseCatalog::kStableChannel) continue;
    if (!best || entry.build > best->build) best = &entry;
  }
  if (!best) return std::nullopt;
  return *best;
}

std::string chosenArtifact(const ReleaseEntry& entry) {
  for (const auto& artifact : entry.artifacts) {
    if (artifact.filename.ends_with(".dmg")) return artifact.filename;
  }
  return entry.artifacts.empty() ? std::string() : entry.artifacts.front().filename;
}

UpdateResult parse(std::string_view data, std::int64_t ownBuild, std::string_view host, const ReleaseCatalog::Log& log) {
  const auto entries = ReleaseCatalog::decode(data, log);
  if (!entries) return UpdateResult::failed("Could not read the release catalog.");
  const auto best = bestStableEntry(*entries);
  if (!best) return UpdateResult::failed("No stable release found in the catalog.");
  if (ownBuild >= best->build) return UpdateResult::upToDate(best->build);
  return UpdateResult::updateAvailable(best->version, best->build, downloadsBase(host) + chosenArtifact(*best));
}

}  // namespace UpdateParser

namespace UpdateLabel {

std::string upToDate(std::int64_t build, std::string_view localizedTemplate) {
  std::string text(localizedTemplate);
  const std::string number = std::to_string(build);
  for (const std::string_view placeholder : {std::string_view("%1"), std::string_view("%ld")}) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at)) {
      text.replace(at, placeholder.size(), number);
      at += number.size();
    }
  }
  return text;
}

}  // namespace UpdateLabel

namespace PendingRestartMarker {

std::string path(std::string_view home) { return joinPath(home, kFileName); }

std::optional<std::int64_t> parseTargetBuild(std::string_view text) {
  const std::string_view digits = trimmed(text);
  if (digits.empty()) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

}  // namespace PendingRestartMarker

namespace PendingRestartVerification {

PendingRestartVerdict verdict(std::int64_t ownBuild, std::optional<std::int64_t> targetBuild) {
  if (!targetBuild) return PendingRestartVerdict::unknownTarget;
  if (ownBuild < *targetBuild) return PendingRestartVerdict::stillPending;
  return PendingRestartVerdict::verifiedOnTarget;
}

}  // namespace PendingRestartVerification

namespace PermissionLossMarker {

std::string path(std::string_view home) { return joinPath(home, kFileName); }

std::vector<std::string> decode(std::string_view data) {
  const auto json = nlohmann::json::parse(data, nullptr, false);
  if (!json.is_object()) return {};
  const auto lost = json.find("lost");
  if (lost == json.end() || !lost->is_array()) return {};
  std::vector<std::string> names;
  for (const auto& name : *lost) {
    if (!name.is_string()) return {};
    names.push_back(name.get<std::string>());
  }
  return names;
}

}  // namespace PermissionLossMarker

std::string FdaNeededMarker::markerPath(std::string_view home) { return joinPath(home, kFileName); }

std::optional<FdaNeededMarker> FdaNeededMarker::decode(std::string_view data) {
  const auto json = nlohmann::json::parse(data, nullptr, false);
  if (!json.is_object()) return std::nullopt;
  const auto paneId = json.find("paneId");
  const auto path = json.find("path");
  const auto ts = json.find("ts");
  if (paneId == json.end() || !paneId->is_string() || path == json.end() || !path->is_string() || ts == json.end() ||
      !ts->is_number()) {
    return std::nullopt;
  }
  return FdaNeededMarker{paneId->get<std::string>(), path->get<std::string>(), ts->get<double>()};
}

namespace InstallProgress {

std::optional<double> parsePercent(std::string_view line) {
  for (std::size_t percent = line.find('%'); percent != std::string_view::npos; percent = line.find('%', percent + 1)) {
    std::size_t start = percent;
    while (start > 0 && (std::isdigit(static_cast<unsigned char>(line[start - 1])) || line[start - 1] == '.')) --start;
    while (start < percent && line[start] == '.') ++start;
    if (start == percent) continue;
    const std::string number(line.substr(start, percent - start));
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (end == number.c_str()) continue;
    return std::clamp(value / 100.0, 0.0, 1.0);
  }
  return std::nullopt;
}

}  // namespace InstallProgress

namespace InstallWatchdog {

bool shouldResolveToPendingRestart(bool markerExists, double elapsedSeconds, double timeoutSeconds) {
  return markerExists || elapsedSeconds >= timeoutSeconds;
}

}  // namespace InstallWatchdog

namespace UpdaterExit {

Outcome classify(int exitStatus, std::string_view output) {
  if (exitStatus != 0) return Outcome::failed;
  if (output.find("up to date") != std::string_view::npos || output.find("Already on") != std::string_view::npos) {
    return Outcome::upToDate;
  }
  return Outcome::pendingRestart;
}

std::string failureOutput(int exitStatus, const std::vector<std::string>& out, const std::vector<std::string>& err) {
  std::string joined;
  for (const auto* lines : {&out, &err}) {
    for (const auto& line : *lines) {
      if (!joined.empty()) joined += '\n';
      joined += line;
    }
  }
  if (joined.empty()) return "Update failed (exit " + std::to_string(exitStatus) + ")";
  return joined;
}

bool isPermsError(std::string_view output) {
  for (const std::string_view needle : {"write access", "chown", "No write"}) {
    if (output.find(needle) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace UpdaterExit
}  // namespace vesket::maintenance
