#pragma once

// Puts back what the install manifest says the product changed, and nothing else
// (`vesket uninstall`). The listing is the UninstallPlan's; executing it writes each
// changed file atomically, deletes the files the product created, and drops the undone
// records from the manifest, all inside the manifest lock. Records of changes the user
// made their own since stay in the manifest and their files stay as they are.

#include <string>

#include "maintenance/core/uninstall_plan.h"

namespace vesket::maintenance {

class TrackedMutation;

struct UndoResult {
  UninstallPlan plan;
  int filesChanged = 0;
  int recordsDropped = 0;
};

class InstallUndo {
 public:
  explicit InstallUndo(TrackedMutation& mutation) : m_mutation(mutation) {}

  // What executing would do. Throws TrackedMutationError (invalid manifest).
  UninstallPlan plan() const;
  // Does it. Throws TrackedMutationError; a file that cannot be written stops the run
  // with the records of the files not yet put back still in the manifest.
  UndoResult execute();

 private:
  TrackedMutation& m_mutation;
};

}  // namespace vesket::maintenance
