#pragma once

#include <QString>
#include <cstdint>
#include <set>
#include <vector>

#include "daemon/core/agent_classifier.h"

namespace vesket::daemon {

// Reads the process table from /proc (Linux). Every process gets its pid, parent and
// short name; command lines are read only for processes below one of `roots` (the panes'
// first processes), which keeps a scan of a busy machine to a few milliseconds.
// Processes that vanish while being read are skipped; an unreadable /proc gives nothing.
class ProcessTable {
 public:
  static std::vector<ProcessInfo> read(const std::set<std::int64_t>& roots, const QString& procDir = QStringLiteral("/proc"));
};

}  // namespace vesket::daemon
