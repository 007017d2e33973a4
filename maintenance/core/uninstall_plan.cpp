#include "maintenance/core/uninstall_plan.h"

#include <fmt/format.h>

#include <map>

#include "maintenance/core/claude_settings.h"
#include "maintenance/core/text_block.h"

namespace vesket::maintenance {

namespace {

using Action = UninstallStep::Action;

constexpr std::string_view kBlockPrefix = "$block:";

// The state of one file while its records are reversed one after the other.
struct Working {
  std::optional<std::string> content;
  bool changed = false;
  bool removeEmptyParent = false;
  bool json = false;  // a JSON file whose entries came out
};

UninstallStep step(const MutationRecord& record, Action action, std::string description) {
  return UninstallStep{record, action, std::move(description)};
}

std::string label(const MutationRecord& record) { return fmt::format("{} ({})", record.target, record.id); }

UninstallStep reverseWholeFile(const MutationRecord& record, Working& file) {
  if (!file.content) return step(record, Action::alreadyGone, "gone     " + label(record) + ": already removed");
  if (hashValue(MutationValue::fileContent(*file.content)) != record.after.hash) {
    return step(record, Action::keepChanged,
                "keep     " + label(record) + ": changed since Vesket wrote it, left as it is");
  }
  file.changed = true;
  if (!record.before.exists) {
    file.content.reset();
    file.removeEmptyParent = record.owned;
    return step(record, Action::deleteFile, "delete   " + label(record));
  }
  const auto bytes = record.before.value.fileBytes();
  if (!bytes) {
    file.changed = false;
    return step(record, Action::keepChanged, "keep     " + label(record) + ": the manifest holds no earlier content");
  }
  file.content = *bytes;
  return step(record, Action::restoreFile, "restore  " + label(record) + " to its content from before Vesket");
}

UninstallStep reverseJsonEntry(const MutationRecord& record, Working& file) {
  if (!file.content) return step(record, Action::alreadyGone, "gone     " + label(record) + ": the file no longer exists");
  ClaudeSettings::Json settings;
  try {
    settings = ClaudeSettings::parse(*file.content);
  } catch (const InvalidSettings& error) {
    return step(record, Action::keepChanged, fmt::format("keep     {}: {}, left as it is", label(record), error.what()));
  }
  const std::string prefix = "/hooks/";
  if (!record.locator.starts_with(prefix)) {
    return step(record, Action::unknownKind, "keep     " + label(record) + ": unknown locator " + record.locator);
  }
  const std::string event = record.locator.substr(prefix.size());
  const int removed = ClaudeSettings::removeGroup(settings, event, record.after.value.json, !record.before.exists);
  if (removed == 0) {
    if (!ClaudeSettings::vesketGroups(settings, event).empty()) {
      return step(record, Action::keepChanged,
                  fmt::format("keep     {} {}: the hook entry was changed since, left as it is", label(record),
                              record.locator));
    }
    return step(record, Action::alreadyGone, fmt::format("gone     {} {}: already removed", label(record), record.locator));
  }
  file.content = ClaudeSettings::serialize(settings);
  file.changed = true;
  file.json = true;
  return step(record, Action::removeEntry, fmt::format("remove   hook entry {} from {}", record.locator, label(record)));
}

UninstallStep reverseTextBlock(const MutationRecord& record, Working& file) {
  const std::string name = record.locator.substr(kBlockPrefix.size());
  if (!file.content) return step(record, Action::alreadyGone, "gone     " + label(record) + ": the file no longer exists");
  const auto block = TextBlock::find(*file.content, name);
  if (!block) return step(record, Action::alreadyGone, "gone     " + label(record) + ": the block was already removed");
  if (!record.after.value.json.is_string() || *block != record.after.value.json.get<std::string>()) {
    return step(record, Action::keepChanged,
                "keep     " + label(record) + ": the Vesket block was changed since, left as it is");
  }
  file.changed = true;
  // When nothing else changed, the file goes back byte for byte; otherwise only the block
  // comes out.
  const auto earlier = record.before.value.fileBytes();
  if (record.before.exists && earlier && TextBlock::upsert(*earlier, name, *block) == *file.content) {
    file.content = *earlier;
  } else if (!record.before.exists && TextBlock::remove(*file.content, name).find_first_not_of(" \t\r\n") ==
                                          std::string::npos) {
    file.content.reset();
    file.removeEmptyParent = false;
    return step(record, Action::deleteFile, "delete   " + label(record) + " (it held only the Vesket block)");
  } else {
    file.content = TextBlock::remove(*file.content, name);
  }
  return step(record, Action::removeEntry, "remove   the Vesket block from " + label(record));
}

// A file the product created to hold its entries goes once nothing else is in it.
UninstallStep reverseCreatedFile(const MutationRecord& record, Working& file) {
  if (!file.content) return step(record, Action::alreadyGone, "gone     " + label(record) + ": already removed");
  const auto json = nlohmann::json::parse(*file.content, nullptr, false);
  const bool empty = file.content->find_first_not_of(" \t\r\n") == std::string::npos ||
                     (!json.is_discarded() && json.is_object() && json.empty());
  if (!empty) {
    return step(record, Action::keepChanged, "keep     " + label(record) + ": it holds settings of yours now, left as it is");
  }
  file.content.reset();
  file.changed = true;
  file.json = false;
  return step(record, Action::deleteFile, "delete   " + label(record) + " (Vesket created it)");
}

// Settings that only lost Vesket's entries equal, as JSON, the copy taken before the first
// change: then the copy's exact bytes go back (key order, spacing and all).
void preferBackupBytes(const InstallManifest& manifest, Working& file) {
  if (!file.json || !file.changed || !file.content) return;
  const auto now = nlohmann::json::parse(*file.content, nullptr, false);
  if (now.is_discarded()) return;
  for (const MutationRecord& record : manifest.mutations) {
    if (record.kind != "backup" || record.before.exists) continue;
    const auto bytes = record.after.value.fileBytes();
    if (!bytes) continue;
    const auto backup = nlohmann::json::parse(*bytes, nullptr, false);
    if (!backup.is_discarded() && backup == now) {
      file.content = *bytes;
      return;
    }
  }
}

}  // namespace

UninstallPlan UninstallPlan::build(const InstallManifest& manifest,
                                   const std::function<std::optional<std::string>(const std::string&)>& readFile) {
  UninstallPlan plan;
  std::map<std::string, Working> files;
  std::vector<std::string> order;
  // A created file is judged after every other change to it has been taken out.
  std::vector<const MutationRecord*> ordered;
  for (const MutationRecord& record : manifest.mutations) {
    if (record.kind != "created-file") ordered.push_back(&record);
  }
  for (const MutationRecord& record : manifest.mutations) {
    if (record.kind == "created-file") ordered.push_back(&record);
  }
  for (const MutationRecord* each : ordered) {
    const MutationRecord& record = *each;
    auto [it, inserted] = files.try_emplace(record.target);
    if (inserted) {
      it->second.content = readFile(record.target);
      order.push_back(record.target);
    }
    Working& file = it->second;
    if ((record.kind == "file" || record.kind == "backup") && record.locator == "$file") {
      plan.steps.push_back(reverseWholeFile(record, file));
    } else if (record.kind == "json-array-entry") {
      plan.steps.push_back(reverseJsonEntry(record, file));
    } else if (record.kind == "created-file") {
      plan.steps.push_back(reverseCreatedFile(record, file));
    } else if (record.kind == "text-block" && record.locator.starts_with(kBlockPrefix)) {
      plan.steps.push_back(reverseTextBlock(record, file));
    } else {
      plan.steps.push_back(step(record, Action::unknownKind,
                                fmt::format("keep     {}: Vesket cannot undo a change of kind '{}'", label(record), record.kind)));
    }
  }
  for (const std::string& target : order) {
    Working& file = files[target];
    preferBackupBytes(manifest, file);
    if (file.changed) plan.files.push_back(FileOutcome{target, file.content, file.removeEmptyParent});
  }
  return plan;
}

std::string UninstallPlan::listing() const {
  std::string out;
  for (const UninstallStep& each : steps) out += each.description + "\n";
  return out;
}

}  // namespace vesket::maintenance
