#pragma once

#include <cstdint>
#include <string>

#include "relay_service/api/api_context.h"

namespace vesket::relay_service {

// Keeps a file for the account (InboxRules::kFileLifetimeMs) and gives its token, which
// downloads it at /api/files/<token>.
std::string keepSharedFile(ApiContext& context, std::int64_t userId, std::string filename, std::string mimeType,
                           std::string bytes);

}  // namespace vesket::relay_service
