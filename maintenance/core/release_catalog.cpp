#include "maintenance/core/release_catalog.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

namespace vesket::maintenance::ReleaseCatalog {
namespace {

using nlohmann::json;

std::optional<ReleaseEntry> decodeEntry(const json& object) {
  const auto text = [&](const char* key) -> const std::string* {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? &found->get_ref<const std::string&>() : nullptr;
  };
  const auto build = object.find("build");
  const auto artifacts = object.find("artifacts");
  const std::string* version = text("version");
  const std::string* channel = text("channel");
  if (!version || !channel || build == object.end() || !build->is_number_integer() || artifacts == object.end() ||
      !artifacts->is_array()) {
    return std::nullopt;
  }
  ReleaseEntry entry{*version, build->get<std::int64_t>(), *channel, {}};
  for (const json& artifact : *artifacts) {
    if (!artifact.is_object()) return std::nullopt;
    const auto name = artifact.find("name");
    const auto filename = artifact.find("filename");
    if (name == artifact.end() || !name->is_string() || filename == artifact.end() || !filename->is_string()) {
      return std::nullopt;
    }
    entry.artifacts.push_back({name->get<std::string>(), filename->get<std::string>()});
  }
  return entry;
}

json toJson(const ReleaseEntry& entry) {
  json artifacts = json::array();
  for (const auto& artifact : entry.artifacts) {
    artifacts.push_back({{"name", artifact.name}, {"filename", artifact.filename}});
  }
  return {{"version", entry.version}, {"build", entry.build}, {"channel", entry.channel}, {"artifacts", artifacts}};
}

}  // namespace

std::optional<std::vector<ReleaseEntry>> decode(std::string_view text, const Log& log) {
  const json catalog = json::parse(text, nullptr, false);
  if (catalog.is_discarded()) return std::nullopt;
  std::vector<ReleaseEntry> entries;
  if (!catalog.is_array()) {
    if (log) log("release catalog: top-level JSON is not a decodable array — treating as empty");
    return entries;
  }
  for (std::size_t index = 0; index < catalog.size(); ++index) {
    const json& element = catalog[index];
    if (!element.is_object()) {
      if (log) log(fmt::format("release catalog: skipping entry at index {} — not a JSON object", index));
      continue;
    }
    if (auto entry = decodeEntry(element)) {
      entries.push_back(std::move(*entry));
      continue;
    }
    const auto channel = element.find("channel");
    const std::string channelName =
        channel != element.end() && channel->is_string() ? channel->get<std::string>() : std::string("unknown");
    if (log) log(fmt::format("release catalog: skipping malformed entry at index {} (channel={})", index, channelName));
  }
  return entries;
}

std::string encodeEntry(const ReleaseEntry& entry) { return toJson(entry).dump(2); }

std::string withEntry(std::string_view existing, const ReleaseEntry& entry) {
  json catalog = json::parse(existing, nullptr, false);
  if (!catalog.is_array()) catalog = json::array();
  bool replaced = false;
  for (json& element : catalog) {
    const auto decoded = element.is_object() ? decodeEntry(element) : std::nullopt;
    if (decoded && decoded->build == entry.build && decoded->channel == entry.channel) {
      element = toJson(entry);
      replaced = true;
      break;
    }
  }
  if (!replaced) catalog.push_back(toJson(entry));
  return catalog.dump(2) + "\n";
}

}  // namespace vesket::maintenance::ReleaseCatalog
