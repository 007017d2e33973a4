// The other machine whose panes the viewer shows, as the relay knows it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vesket::viewer {

struct ActiveRemoteTarget {
  std::int64_t daemonId = 0;  // the relay's id of that machine's daemon
  std::optional<std::string> machineName;

  bool operator==(const ActiveRemoteTarget&) const = default;
};

}  // namespace vesket::viewer
