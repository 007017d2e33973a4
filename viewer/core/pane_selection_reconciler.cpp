#include "viewer/core/pane_selection_reconciler.h"

#include <algorithm>

namespace vesket::viewer::PaneSelectionReconciler {

Resolution resolve(const std::vector<std::string>& liveIds,
                   const std::optional<std::string>& remembered) {
  if (remembered && std::find(liveIds.begin(), liveIds.end(), *remembered) != liveIds.end()) {
    return {remembered, true};
  }
  if (liveIds.empty()) return {std::nullopt, false};
  return {liveIds.front(), false};
}

}  // namespace vesket::viewer::PaneSelectionReconciler
