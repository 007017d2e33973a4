#include "relay_service/api/daemon_requests.h"

#include "relay_service/core/api_error.h"
#include "relay_service/core/json_body.h"
#include "relay_service/core/pane_request_rules.h"
#include "relay_service/link/daemon_links.h"

namespace vesket::relay_service {

boost::asio::awaitable<nlohmann::json> askDaemon(ApiCall& call, std::int64_t daemonId, std::string cmd,
                                                 nlohmann::json args, std::string doing,
                                                 std::chrono::milliseconds timeout) {
  LinkAnswer answer;
  std::optional<ApiError> failure;
  try {
    auto asking = call.context.links.request(daemonId, std::move(cmd), std::move(args), timeout);
    answer = co_await std::move(asking);
  } catch (const DaemonUnreachable& error) {
    failure = daemonUnreachableError(error);
  }
  if (failure) throw *failure;
  if (!answer.ok) throw PaneRequestRules::daemonRefusal(doing, answer.error);
  co_return std::move(answer.data);
}

std::optional<std::int64_t> bodyDaemonId(const JsonBody& body) {
  const auto found = body.json().find("daemonId");
  if (found == body.json().end() || found->is_null()) return std::nullopt;
  if (found->is_number_integer() && found->get<std::int64_t>() > 0) return found->get<std::int64_t>();
  if (found->is_string()) return PaneRequestRules::daemonId(std::string_view(found->get_ref<const std::string&>()));
  throw ApiError::invalidField("'daemonId' must be a daemon id (a positive number)");
}

}  // namespace vesket::relay_service
