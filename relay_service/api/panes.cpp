// The panes of a linked daemon: GET /api/panes?daemonId=N, the daemon's "list-panes"
// through its link. Without a daemonId the account's connected daemon is used; the
// header X-Resolved-Daemon-Id says which one answered.
#include <fmt/format.h>

#include <charconv>

#include "relay_service/api/endpoint_families.h"
#include "relay_service/core/api_error.h"
#include "relay_service/link/daemon_links.h"
#include "relay_service/store/relay_store.h"

namespace vesket::relay_service {
namespace {

namespace net = boost::asio;

constexpr std::chrono::milliseconds kDaemonAnswerTimeout{12000};  // inside the application's 15 s

std::int64_t daemonIdParam(ApiCall& call, const AuthenticatedAccount& account) {
  if (const auto text = call.request.queryParam("daemonId")) {
    std::int64_t id = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), id);
    if (error != std::errc() || end != text->data() + text->size() || id <= 0) {
      throw ApiError::invalidField("'daemonId' must be a daemon id (a positive number)");
    }
    return id;
  }
  // The account's connected daemon; the most recently seen when there are several.
  std::optional<DaemonRecord> best;
  for (const DaemonRecord& daemon : call.context.store.listDaemons(account.user.id)) {
    if (daemon.revoked || !call.context.links.isConnected(daemon.id)) continue;
    if (!best || daemon.lastSeenAtMs.value_or(0) > best->lastSeenAtMs.value_or(0)) best = daemon;
  }
  if (!best) throw ApiError(503, "daemon_offline", "none of this account's daemons is connected to the relay");
  return best->id;
}

net::awaitable<HttpResponse> listPanes(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const DaemonRecord daemon = requireOwnedDaemon(call, account, daemonIdParam(call, account));
  LinkAnswer answer;
  std::optional<ApiError> failure;
  try {
    auto asking = call.context.links.request(daemon.id, "list-panes", nlohmann::json::object(), kDaemonAnswerTimeout);
    answer = co_await std::move(asking);
  } catch (const DaemonUnreachable& error) {
    failure = daemonUnreachableError(error);
  }
  if (failure) throw *failure;
  if (!answer.ok) throw ApiError(502, "daemon_error", "the daemon could not list its panes: " + answer.error);
  if (!answer.data.is_object() || !answer.data.contains("panes") || !answer.data["panes"].is_array()) {
    throw ApiError(502, "daemon_error", "the daemon's pane list was not understood");
  }
  HttpResponse response = HttpResponse::json(200, answer.data["panes"]);
  response.headers.emplace_back("x-resolved-daemon-id", std::to_string(daemon.id));
  co_return response;
}

}  // namespace

void addPaneRoutes(ApiRouter& router) { router.add("GET", "/api/panes", {listPanes, RateClass::general}); }

}  // namespace vesket::relay_service
