#pragma once

// Asking a linked daemon on behalf of an endpoint: the daemon's own control commands sent
// over its link, with the relay's errors for a daemon that cannot be reached or refuses.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include <boost/asio/awaitable.hpp>
#include <nlohmann/json.hpp>

#include "relay_service/api/api_context.h"

namespace vesket::relay_service {

class JsonBody;

inline constexpr std::chrono::milliseconds kDaemonAnswerTimeout{12000};  // inside the application's 15 s

// The daemon's answer (`data`) to one command; ApiError when it could not be reached
// (503/504) or refused (the refusal's status, Rules::daemonRefusal).
boost::asio::awaitable<nlohmann::json> askDaemon(ApiCall& call, std::int64_t daemonId, std::string cmd,
                                                 nlohmann::json args, std::string doing,
                                                 std::chrono::milliseconds timeout = kDaemonAnswerTimeout);

// A JSON body's daemon id: a number or a decimal text; none when missing or null.
std::optional<std::int64_t> bodyDaemonId(const JsonBody& body);

}  // namespace vesket::relay_service
