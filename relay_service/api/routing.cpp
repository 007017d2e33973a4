// Routing configurations of an account: per project and global ("*"), stored on the relay
// and read by the application (account token) and by the teams' routers on the account's
// daemons (daemon token). Writes are checked strictly and stored normalised; reads decode
// leniently what is stored.
#include <fmt/format.h>

#include "crew/core/routing_config.h"
#include "relay_service/api/endpoint_families.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/json_body.h"
#include "relay_service/store/relay_store.h"

namespace vesket::relay_service {
namespace {

namespace net = boost::asio;
using crew::RoutingConfig;

constexpr std::size_t kMaxProjectLength = 512;

std::string requireProject(ApiCall& call) {
  const auto project = call.request.queryParam("project");
  if (!project || project->empty()) throw ApiError::invalidField("the query must name a 'project' (\"*\" for the global rules)");
  if (project->size() > kMaxProjectLength) throw ApiError::invalidField("'project' is longer than 512 characters");
  return std::string(*project);
}

std::optional<RoutingConfig> stored(ApiCall& call, std::int64_t userId, const std::string& project) {
  const auto body = call.context.store.findRoutingConfig(userId, project);
  if (!body) return std::nullopt;
  const auto json = nlohmann::json::parse(*body, nullptr, false);
  if (json.is_discarded()) return std::nullopt;
  RoutingConfig config = RoutingConfig::fromJson(json);
  config.project = project;
  return config;
}

// What the application edits: the stored configuration; a project without one follows
// the global rules (an empty agents map), the global one without one is the defaults.
RoutingConfig editable(ApiCall& call, std::int64_t userId, const std::string& project) {
  if (auto config = stored(call, userId, project)) return *config;
  if (project == RoutingConfig::globalProject) return RoutingConfig::defaults(project);
  RoutingConfig following;
  following.project = project;
  return following;
}

net::awaitable<HttpResponse> getRoutingConfig(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const std::string project = requireProject(call);
  nlohmann::json answer = {{"config", editable(call, account.user.id, project).toJson()}};
  co_return HttpResponse::json(200, answer);
}

net::awaitable<HttpResponse> putRoutingConfig(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const std::string project = requireProject(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  if (const auto problem = crew::routingConfigWriteError(body.json())) throw ApiError::invalidField(*problem);
  if (body.json()["project"] != project) {
    throw ApiError::invalidField(fmt::format("the body's 'project' differs from the query's '{}'", project));
  }
  RoutingConfig config = RoutingConfig::fromJson(body.json());
  config.updatedAt = static_cast<double>(call.context.nowMs());
  call.context.store.putRoutingConfig(account.user.id, project, config.toJson().dump(), call.context.nowMs());
  nlohmann::json answer = {{"config", config.toJson()}};
  co_return HttpResponse::json(200, answer);
}

// For a team's router: the rules that apply to the project, its own when it has any,
// else the global ones, else the defaults.
net::awaitable<HttpResponse> agentRoutingConfig(ApiCall call) {
  const DaemonRecord daemon = requireDaemonToken(call);
  if (daemon.revoked) throw ApiError::invalidToken();
  const std::string project = requireProject(call);
  std::string source = "project";
  auto config = stored(call, daemon.userId, project);
  if (!config || config->agents.empty()) {
    source = "global";
    config = stored(call, daemon.userId, RoutingConfig::globalProject);
  }
  if (!config || config->agents.empty()) {
    source = "default";
    config = RoutingConfig::defaults(project);
  }
  nlohmann::json answer = {{"config", config->toJson()}, {"source", source}};
  co_return HttpResponse::json(200, answer);
}

}  // namespace

void addRoutingRoutes(ApiRouter& router) {
  router.add("GET", "/api/routing-config", {getRoutingConfig, RateClass::general});
  router.add("PUT", "/api/routing-config", {putRoutingConfig, RateClass::general});
  router.add("GET", "/api/agent/routing-config", {agentRoutingConfig, RateClass::general});
}

}  // namespace vesket::relay_service
