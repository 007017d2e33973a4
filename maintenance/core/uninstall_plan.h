#pragma once

// What undoing the install manifest does, worked out without touching a file: for each
// record, how its change is reversed, and for each changed file, its content afterwards.
//
// Reversal by kind:
//   "file", "backup"     ($file) an owned file is deleted, an edited one gets its earlier
//                        content back
//   "json-array-entry"   (JSON pointer) the recorded entry is taken out of the array; an
//                        array (and "hooks") that did not exist before goes when empty
//   "created-file"       ($file) a file created only to hold the entries above; deleted
//                        once they are out and nothing else is left in it
//   "text-block"         ($block:NAME) the block is taken out of the text; a file that
//                        holds nothing else and did not exist before is deleted
// A change is reversed only while the file still holds exactly what was written: anything
// the user changed since is left as it is and reported, never overwritten.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "maintenance/core/install_manifest.h"

namespace vesket::maintenance {

struct UninstallStep {
  enum class Action {
    deleteFile,   // remove a file the product created
    restoreFile,  // write back a file's earlier content
    removeEntry,  // take the product's part out of a file
    alreadyGone,  // nothing of the change is left; the record is simply dropped
    keepChanged,  // changed since it was written: left alone, the record kept
    unknownKind,  // a kind this build cannot reverse: left alone, the record kept
  };
  MutationRecord record;
  Action action = Action::alreadyGone;
  std::string description;  // one line, for listings

  bool dropsRecord() const { return action != Action::keepChanged && action != Action::unknownKind; }
};

struct FileOutcome {
  std::string path;
  std::optional<std::string> content;  // none: delete the file
  bool removeEmptyParent = false;      // a folder the product created for the file
};

struct UninstallPlan {
  std::vector<UninstallStep> steps;  // one per record, in manifest order (created files last)
  std::vector<FileOutcome> files;    // only the files that change

  // `readFile` gives a file's bytes, or none when it does not exist.
  static UninstallPlan build(const InstallManifest& manifest,
                             const std::function<std::optional<std::string>(const std::string&)>& readFile);
  // The listing `vesket uninstall --dry-run` prints, one step a line.
  std::string listing() const;
};

}  // namespace vesket::maintenance
