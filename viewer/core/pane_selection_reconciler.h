// Which pane to select when none is: the remembered one while it is still listed, else the
// first listed.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vesket::viewer::PaneSelectionReconciler {

struct Resolution {
  std::optional<std::string> paneId;
  bool isRestoredMemory = false;
  bool operator==(const Resolution&) const = default;
};

Resolution resolve(const std::vector<std::string>& liveIds,
                   const std::optional<std::string>& remembered);

}  // namespace vesket::viewer::PaneSelectionReconciler
