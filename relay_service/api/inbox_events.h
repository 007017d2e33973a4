#pragma once

// What the inbox endpoints tell the account's change stream.

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "relay_service/api/api_context.h"

namespace vesket::relay_service {

inline void publishInboxChange(ApiContext& context, std::int64_t userId, const char* event, nlohmann::json data) {
  context.inboxHub.publish(userId, InboxEvent{event, data.dump()});
}

// Reads a query parameter as a whole number in [min, max]; 400 naming it otherwise.
std::optional<std::int64_t> queryInteger(const HttpRequest& request, std::string_view name, std::int64_t min,
                                         std::int64_t max);

}  // namespace vesket::relay_service
