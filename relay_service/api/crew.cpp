// Agent teams, agent groups and windows of a linked daemon, for its account's devices.
// Each call goes to the owning daemon over its link as the daemon's own command ("crew",
// "agent-group", "agent-group-rename", "kill", "spawn-plain-terminal") and answers with its
// result; creation answers `{"ok", "crewId"?, "panes"?, "error"?}` and a refusal of the
// daemon is `{"ok": false, "error"}` with status 200, so the application shows the
// daemon's own words. A daemon that is not linked is 503, another account's daemon 404.
#include <fmt/format.h>

#include "relay_service/api/daemon_requests.h"
#include "relay_service/api/endpoint_families.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/json_body.h"
#include "relay_service/core/pane_request_rules.h"
#include "relay_service/link/daemon_links.h"
#include "relay_service/store/relay_store.h"

namespace vesket::relay_service {
namespace {

namespace net = boost::asio;
namespace Rules = PaneRequestRules;

// Creating panes types agent commands into them: more than a pane request's time.
constexpr std::chrono::milliseconds kCreationTimeout{60000};

HttpResponse withDaemon(HttpResponse response, std::int64_t daemonId) {
  response.headers.emplace_back("x-resolved-daemon-id", std::to_string(daemonId));
  return response;
}

// A forwarded team request: the daemon's answer, or its refusal as `ok: false`.
struct Forwarded {
  JsonBody body;
  DaemonRecord daemon;
};

Forwarded target(ApiCall& call) {
  const AuthenticatedAccount account = requireAccount(call);
  JsonBody body = JsonBody::parse(call.request.body);
  const DaemonRecord daemon = requireTargetDaemon(call, account, bodyDaemonId(body));
  return {std::move(body), daemon};
}

net::awaitable<HttpResponse> forward(ApiCall& call, std::int64_t daemonId, std::string cmd, nlohmann::json args,
                                     std::string doing, std::chrono::milliseconds timeout = kDaemonAnswerTimeout) {
  nlohmann::json result;
  std::optional<std::string> refusal;
  try {
    auto asking = askDaemon(call, daemonId, std::move(cmd), std::move(args), std::move(doing), timeout);
    result = co_await std::move(asking);
  } catch (const ApiError& error) {
    // Unreachable daemons stay relay errors; what the daemon itself refused is its answer.
    if (error.status() == 503 || error.status() == 504) throw;
    refusal = error.message();
  }
  if (refusal) {
    nlohmann::json answer = {{"ok", false}, {"error", *refusal}};
    co_return withDaemon(HttpResponse::json(200, answer), daemonId);
  }
  if (result.is_object() && !result.contains("ok")) result["ok"] = true;
  co_return withDaemon(HttpResponse::json(200, result), daemonId);
}

void copyString(const JsonBody& body, const std::string& from, nlohmann::json& args, const std::string& to) {
  if (auto value = body.optionalString(from)) args[to] = *value;
}

net::awaitable<HttpResponse> crewSessions(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const DaemonRecord daemon = requireTargetDaemon(call, account, Rules::daemonId(call.request.queryParam("daemonId")));
  nlohmann::json listArgs = {{"action", "list"}};
  auto listing = askDaemon(call, daemon.id, "crew", std::move(listArgs), "list its teams");
  nlohmann::json registry = co_await std::move(listing);
  auto panesAsking = askDaemon(call, daemon.id, "list-panes", nlohmann::json::object(), "list its panes");
  nlohmann::json panes = co_await std::move(panesAsking);
  if (!registry.is_object() || !panes.is_object() || !panes.contains("panes") || !panes["panes"].is_array()) {
    throw ApiError(502, "daemon_error", "the daemon's teams were not understood");
  }
  nlohmann::json answer = {{"sessions", panes["panes"]},
                           {"crews", registry.value("crews", nlohmann::json::array())},
                           {"groups", registry.value("groups", nlohmann::json::array())}};
  co_return withDaemon(HttpResponse::json(200, answer), daemon.id);
}

net::awaitable<HttpResponse> crewCreate(ApiCall call) {
  Forwarded request = target(call);
  const JsonBody& body = request.body;
  nlohmann::json args = {{"action", "create"}, {"project", body.requireString("project")},
                         {"size", body.requireInteger("size")}};
  copyString(body, "model", args, "model");
  copyString(body, "task", args, "task");
  copyString(body, "agent", args, "agent");
  co_return co_await forward(call, request.daemon.id, "crew", std::move(args), "create the team", kCreationTimeout);
}

net::awaitable<HttpResponse> crewAddWorker(ApiCall call) {
  Forwarded request = target(call);
  const JsonBody& body = request.body;
  nlohmann::json args = {{"action", "add-worker"}, {"crewId", body.requireString("crewId")}};
  if (auto count = body.optionalInteger("count")) args["count"] = *count;
  copyString(body, "agent", args, "agent");
  copyString(body, "model", args, "model");
  co_return co_await forward(call, request.daemon.id, "crew", std::move(args), "grow the team", kCreationTimeout);
}

net::awaitable<HttpResponse> crewRename(ApiCall call) {
  Forwarded request = target(call);
  nlohmann::json args = {{"action", "rename"}, {"crewId", request.body.requireString("crewId")},
                         {"displayName", request.body.optionalString("displayName").value_or("")}};
  co_return co_await forward(call, request.daemon.id, "crew", std::move(args), "rename the team");
}

net::awaitable<HttpResponse> crewDisband(ApiCall call) {
  Forwarded request = target(call);
  nlohmann::json args = {{"action", "disband"}};
  copyString(request.body, "project", args, "project");
  copyString(request.body, "crewId", args, "crewId");
  if (!args.contains("project") && !args.contains("crewId")) throw ApiError::invalidField("give 'project' or 'crewId'");
  co_return co_await forward(call, request.daemon.id, "crew", std::move(args), "disband the team");
}

net::awaitable<HttpResponse> crewRoute(ApiCall call) {
  Forwarded request = target(call);
  nlohmann::json args = {{"action", "route"}, {"crewId", request.body.requireString("crewId")},
                         {"taskId", request.body.requireString("taskId")}};
  copyString(request.body, "brief", args, "brief");
  co_return co_await forward(call, request.daemon.id, "crew", std::move(args), "route the task");
}

net::awaitable<HttpResponse> crewStop(ApiCall call) {
  Forwarded request = target(call);
  nlohmann::json args = {{"action", "complete"}, {"crewId", request.body.requireString("crewId")},
                         {"paneId", Rules::requirePaneId(request.body.optionalString("paneId"))}};
  co_return co_await forward(call, request.daemon.id, "crew", std::move(args), "stop the task");
}

net::awaitable<HttpResponse> agentGroupCreate(ApiCall call) {
  Forwarded request = target(call);
  nlohmann::json args = {{"action", "create"}, {"count", request.body.requireInteger("count")}};
  copyString(request.body, "model", args, "model");
  copyString(request.body, "windowName", args, "name");
  co_return co_await forward(call, request.daemon.id, "agent-group", std::move(args), "create the agent group",
                             kCreationTimeout);
}

net::awaitable<HttpResponse> agentGroupAdd(ApiCall call) {
  Forwarded request = target(call);
  nlohmann::json args = {{"action", "add"}, {"windowId", request.body.requireString("windowId")}};
  if (auto count = request.body.optionalInteger("count")) args["count"] = *count;
  copyString(request.body, "model", args, "model");
  co_return co_await forward(call, request.daemon.id, "agent-group", std::move(args), "grow the agent group",
                             kCreationTimeout);
}

net::awaitable<HttpResponse> agentGroupRename(ApiCall call) {
  Forwarded request = target(call);
  nlohmann::json args = {{"paneId", Rules::requirePaneId(request.body.optionalString("paneId"))},
                         {"name", request.body.optionalString("name").value_or("")}};
  co_return co_await forward(call, request.daemon.id, "agent-group-rename", std::move(args), "rename the group");
}

net::awaitable<HttpResponse> windowKill(ApiCall call) {
  Forwarded request = target(call);
  nlohmann::json args;
  if (auto windowId = request.body.optionalString("windowId")) {
    args = {{"windowId", *windowId}};
  } else {
    args = {{"paneId", Rules::requirePaneId(request.body.optionalString("paneId"))}, {"scope", "window"}};
  }
  co_return co_await forward(call, request.daemon.id, "kill", std::move(args), "close the window");
}

net::awaitable<HttpResponse> spawnAgent(ApiCall call) {
  Forwarded request = target(call);
  nlohmann::json args = nlohmann::json::object();
  copyString(request.body, "windowName", args, "windowName");
  if (auto kind = request.body.optionalString("model"); kind && !kind->empty() && *kind != "shell") args["agent"] = *kind;
  auto forwarding = forward(call, request.daemon.id, "spawn-plain-terminal", std::move(args), "open the terminal",
                            kCreationTimeout);
  HttpResponse response = co_await std::move(forwarding);
  co_return response;
}

}  // namespace

void addCrewRoutes(ApiRouter& router) {
  router.add("GET", "/api/crew/sessions", {crewSessions, RateClass::general});
  router.add("POST", "/api/crew/create", {crewCreate, RateClass::general});
  router.add("POST", "/api/crew/add-worker", {crewAddWorker, RateClass::general});
  router.add("POST", "/api/crew/rename", {crewRename, RateClass::general});
  router.add("POST", "/api/crew/disband", {crewDisband, RateClass::general});
  router.add("POST", "/api/crew/route", {crewRoute, RateClass::general});
  router.add("POST", "/api/crew/stop", {crewStop, RateClass::general});
  router.add("POST", "/api/agent-group/create", {agentGroupCreate, RateClass::general});
  router.add("POST", "/api/agent-group/add", {agentGroupAdd, RateClass::general});
  router.add("POST", "/api/agent-group/rename", {agentGroupRename, RateClass::general});
  router.add("POST", "/api/window/kill", {windowKill, RateClass::general});
  router.add("POST", "/api/spawn-agent", {spawnAgent, RateClass::general});
}

}  // namespace vesket::relay_service
