#pragma once

#include <QString>

#include <optional>
#include <vector>

#include "maintenance/core/update_checker_core.h"

namespace vesket::maintenance {

// The update markers in the product home, read and written (the formats are in
// core/update_checker_core.h). Absent or undecodable markers read as nothing.
class UpdateMarkers {
 public:
  explicit UpdateMarkers(QString home) : m_home(std::move(home)) {}

  QString pendingRestartPath() const;
  bool pendingRestartExists() const;
  std::optional<qint64> pendingRestartTarget() const;
  // Written through a temporary file and a rename. False when it could not be written.
  bool writePendingRestart(qint64 targetBuild) const;
  void clearPendingRestart() const;

  std::vector<std::string> permissionsLost() const;
  std::optional<FdaNeededMarker> fdaNeeded() const;

 private:
  QString m_home;
};

}  // namespace vesket::maintenance
