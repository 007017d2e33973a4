// The account's task board.
//
//   GET    /api/tasks                 ?scope=active &type=demand: {"tasks", "meta": {"total", "limit", "truncated"}}
//   POST   /api/tasks                 {"title", "agentTeam", "priority"?, "parentId"?, "taskType"?}: the task
//   GET    /api/tasks/{id}            ?include=children: {"task", "children"}
//   GET    /api/tasks/{id}/events     {"events"}
//   PATCH  /api/tasks/{id}            {"status"} | {"action": "verify"} | {"action": "reopen", "note"?, "images"?}
//   DELETE /api/tasks/{id}            the task and its children
#include <fmt/format.h>

#include "control_plane/core/base64.h"
#include "relay_service/api/endpoint_families.h"
#include "relay_service/api/inbox_events.h"
#include "relay_service/api/shared_files.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/inbox_rules.h"
#include "relay_service/core/json_body.h"
#include "relay_service/store/relay_store.h"

namespace vesket::relay_service {
namespace {

namespace net = boost::asio;
using inbox::RelayTaskEvent;
using inbox::RelayTaskItem;

constexpr std::size_t kFeedLimit = 500;
constexpr std::size_t kMaxImages = 8;
// Verified tasks stay on the active feed this long.
constexpr std::int64_t kDoneStaysMs = 3LL * 24 * 3600 * 1000;

void taskChanged(ApiCall& call, std::int64_t userId, const std::string& id) {
  publishInboxChange(call.context, userId, InboxEvents::task, {{"id", id}});
}

std::string boundedString(const JsonBody& body, const std::string& key, std::size_t limit) {
  std::string text = body.requireString(key);
  if (text.empty() || text.size() > limit) throw ApiError::invalidField(fmt::format("'{}' must have 1 to {} bytes", key, limit));
  return text;
}

std::int64_t parseIsoMs(const std::string& iso) {
  // "YYYY-MM-DDTHH:MM:SS.mmmZ", as the store writes it.
  std::tm tm{};
  int ms = 0;
  if (std::sscanf(iso.c_str(), "%d-%d-%dT%d:%d:%d.%dZ", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour, &tm.tm_min,
                  &tm.tm_sec, &ms) < 6) {
    return 0;
  }
  tm.tm_year -= 1900;
  tm.tm_mon -= 1;
  return static_cast<std::int64_t>(timegm(&tm)) * 1000 + ms;
}

net::awaitable<HttpResponse> listTasks(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const bool active = call.request.queryParam("scope") == std::optional<std::string_view>("active");
  const bool demand = call.request.queryParam("type") == std::optional<std::string_view>("demand");
  const std::int64_t now = call.context.nowMs();
  std::vector<RelayTaskItem> tasks;
  for (RelayTaskItem& task : call.context.store.listTasks(account.user.id)) {
    if (active && task.status == inbox::RelayTaskStatus::verified && now - parseIsoMs(task.updatedAt) > kDoneStaysMs) continue;
    // The demand feed keeps the user's own tasks and the work split off them.
    if (demand && task.taskType == std::optional<std::string>("work") && !task.parentId) continue;
    tasks.push_back(std::move(task));
  }
  const std::size_t total = tasks.size();
  // The newest stay when the feed is cut.
  if (tasks.size() > kFeedLimit) tasks.erase(tasks.begin(), tasks.end() - static_cast<std::ptrdiff_t>(kFeedLimit));
  nlohmann::json list = nlohmann::json::array();
  for (const RelayTaskItem& task : tasks) list.push_back(task.toJson());
  co_return HttpResponse::json(
      200, {{"tasks", list}, {"meta", {{"total", total}, {"limit", kFeedLimit}, {"truncated", total > kFeedLimit}}}});
}

net::awaitable<HttpResponse> createTask(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  RelayTaskItem task;
  task.title = boundedString(body, "title", 500);
  task.agentTeam = boundedString(body, "agentTeam", 200);
  task.priority = body.optionalString("priority");
  if (task.priority && task.priority->size() > 20) throw ApiError::invalidField("'priority' is too long");
  task.taskType = body.optionalString("taskType").value_or("demand");
  if (task.taskType != "demand" && task.taskType != "work") throw ApiError::invalidField("'taskType' must be \"demand\" or \"work\"");
  task.parentId = body.optionalString("parentId");
  if (task.parentId && !call.context.store.findTask(account.user.id, *task.parentId)) {
    throw ApiError::invalidField("'parentId' names no task of this account");
  }
  task.status = std::string(inbox::RelayTaskStatus::newTask);
  const RelayTaskItem created = call.context.store.createTask(account.user.id, task, std::string("user"));
  taskChanged(call, account.user.id, created.id);
  co_return HttpResponse::json(200, created.toJson());
}

net::awaitable<HttpResponse> taskDetail(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const std::string& id = call.params.at("id");
  const auto task = call.context.store.findTask(account.user.id, id);
  if (!task) throw ApiError::notFound("no such task");
  nlohmann::json children = nlohmann::json::array();
  if (call.request.queryParam("include") == std::optional<std::string_view>("children")) {
    for (const RelayTaskItem& child : call.context.store.listChildren(account.user.id, id)) children.push_back(child.toJson());
  }
  co_return HttpResponse::json(200, {{"task", task->toJson()}, {"children", children}});
}

net::awaitable<HttpResponse> taskEvents(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const auto events = call.context.store.listTaskEvents(account.user.id, call.params.at("id"));
  if (!events) throw ApiError::notFound("no such task");
  nlohmann::json list = nlohmann::json::array();
  for (const RelayTaskEvent& event : *events) list.push_back(event.toJson());
  co_return HttpResponse::json(200, {{"events", list}});
}

RelayTaskEvent statusEvent(const std::string& from, const std::string& to) {
  return RelayTaskEvent{"", "", "statusChange", std::string("user"), fmt::format("{} → {}", from, to), ""};
}

// The reopen's images, kept as shared files; their download paths.
std::vector<std::string> keepImages(ApiCall& call, std::int64_t userId, const JsonBody& body) {
  std::vector<std::string> paths;
  const auto images = body.json().find("images");
  if (images == body.json().end() || images->is_null()) return paths;
  if (!images->is_array() || images->size() > kMaxImages) throw ApiError::invalidField("'images' must be a list of up to 8 images");
  std::vector<std::pair<std::string, std::string>> decoded;
  for (const auto& image : *images) {
    inbox::RelayImageAttachment attachment;
    try {
      attachment = inbox::RelayImageAttachment::fromJson(image);
    } catch (const std::exception& error) {
      throw ApiError::invalidField(fmt::format("'images': {}", error.what()));
    }
    if (attachment.ext.empty() || attachment.ext.size() > 8) throw ApiError::invalidField("'images': 'ext' must be a short file extension");
    auto bytes = control_plane::Base64::tryDecode(attachment.base64);
    if (!bytes) throw ApiError::invalidField("'images': 'base64' is not Base64");
    decoded.emplace_back(attachment.ext, std::move(*bytes));
  }
  // Only once every image was read is any of them kept.
  for (auto& [ext, bytes] : decoded) {
    const std::string token = keepSharedFile(call.context, userId, "image." + ext, "image/" + (ext == "jpg" ? std::string("jpeg") : ext),
                                             std::move(bytes));
    paths.push_back("/api/files/" + token);
  }
  return paths;
}

net::awaitable<HttpResponse> patchTask(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const std::string& id = call.params.at("id");
  const JsonBody body = JsonBody::parse(call.request.body);
  const auto action = body.optionalString("action");
  const auto status = body.optionalString("status");
  if (!action && !status) throw ApiError::invalidField("a change needs 'status' or 'action'");
  if (status && !inbox::RelayTaskStatus::isKnown(*status)) throw ApiError::invalidField(fmt::format("'{}' is not a task status", *status));
  if (action && *action != "verify" && *action != "reopen") throw ApiError::invalidField("'action' must be \"verify\" or \"reopen\"");
  const auto note = body.optionalString("note");
  if (note && note->size() > InboxRules::kMaxTextLength) {
    throw ApiError::invalidField("'note' is too long");
  }
  if (!call.context.store.findTask(account.user.id, id)) throw ApiError::notFound("no such task");
  const std::vector<std::string> images = action == std::optional<std::string>("reopen") ? keepImages(call, account.user.id, body)
                                                                                          : std::vector<std::string>{};
  std::optional<ApiError> refusal;
  const auto updated = call.context.store.updateTask(account.user.id, id, [&](RelayTaskItem& task) {
    std::vector<RelayTaskEvent> events;
    std::string target = status.value_or("");
    if (action == std::optional<std::string>("verify")) {
      if (task.status != inbox::RelayTaskStatus::workerDone) {
        refusal = ApiError(409, "task_not_done", "only a task whose worker is done can be verified").withReason("task_not_done");
        return events;
      }
      target = std::string(inbox::RelayTaskStatus::verified);
    }
    if (action == std::optional<std::string>("reopen")) {
      target = std::string(inbox::RelayTaskStatus::needsFix);
      if (note) {
        task.note = *note;
        events.push_back(RelayTaskEvent{"", "", "note", std::string("user"), *note, ""});
      }
      if (!images.empty()) {
        if (!task.images) task.images.emplace();
        task.images->insert(task.images->end(), images.begin(), images.end());
      }
    }
    if (task.status != target) {
      events.push_back(statusEvent(task.status, target));
      task.status = target;
    }
    return events;
  });
  if (refusal) throw *refusal;
  if (!updated) throw ApiError::notFound("no such task");
  taskChanged(call, account.user.id, id);
  co_return HttpResponse::json(200, updated->toJson());
}

net::awaitable<HttpResponse> deleteTask(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const std::string& id = call.params.at("id");
  if (!call.context.store.deleteTask(account.user.id, id)) throw ApiError::notFound("no such task");
  taskChanged(call, account.user.id, id);
  co_return HttpResponse::json(200, {{"ok", true}});
}

}  // namespace

void addTaskRoutes(ApiRouter& router) {
  router.add("GET", "/api/tasks", {listTasks});
  router.add("POST", "/api/tasks", {createTask});
  router.add("GET", "/api/tasks/{id}", {taskDetail});
  router.add("GET", "/api/tasks/{id}/events", {taskEvents});
  router.add("PATCH", "/api/tasks/{id}", {patchTask});
  router.add("DELETE", "/api/tasks/{id}", {deleteTask});
}

}  // namespace vesket::relay_service
