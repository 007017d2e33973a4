#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vesket::relay_service {

// The routing configuration of each project of an account, and its global one (project
// "*"), stored as the JSON text the application wrote (checked before it is stored).
class RoutingStore {
 public:
  virtual ~RoutingStore() = default;

  virtual std::optional<std::string> findRoutingConfig(std::int64_t userId, const std::string& project) = 0;
  virtual void putRoutingConfig(std::int64_t userId, const std::string& project, const std::string& body,
                                std::int64_t updatedAtMs) = 0;
};

}  // namespace vesket::relay_service
