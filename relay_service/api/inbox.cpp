// The inbox as the account's devices see it.
//
//   GET    /api/inbox/threads                            ?scope= ("all" adds ended threads)
//   GET    /api/inbox/threads/{slug}/messages            ?limit= &before=
//   POST   /api/inbox/threads/{slug}/read                {"upToId"?}
//   POST   /api/inbox/threads/{slug}/reply               {"text"}: typed into the agent's pane
//   POST   /api/inbox/threads/{slug}/messages/{id}/decision  {"k", "device"?}: answered once
//   DELETE /api/inbox/threads/{slug}
//   GET    /api/inbox/stream                             server-sent change signals
//   GET    /api/notifications, POST /api/notifications/read  {"id"} or {"all": true}
//   GET    /api/files/{token}                            a shared file, until it expires
#include <fmt/format.h>

#include <charconv>

#include "control_plane/core/decoding_error.h"
#include "relay_service/api/endpoint_families.h"
#include "relay_service/api/inbox_events.h"
#include "relay_service/core/api_error.h"
#include "relay_service/core/inbox_rules.h"
#include "relay_service/core/json_body.h"
#include "relay_service/core/secrets.h"
#include "relay_service/link/daemon_links.h"
#include "relay_service/store/relay_store.h"

namespace vesket::relay_service {

std::optional<std::int64_t> queryInteger(const HttpRequest& request, std::string_view name, std::int64_t min,
                                         std::int64_t max) {
  const auto text = request.queryParam(name);
  if (!text || text->empty()) return std::nullopt;
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (error != std::errc() || end != text->data() + text->size() || value < min || value > max) {
    throw ApiError::invalidField(fmt::format("'{}' must be a whole number from {} to {}", name, min, max));
  }
  return value;
}

namespace {

namespace net = boost::asio;
using inbox::InboxMessage;

constexpr std::chrono::milliseconds kReplyDeliveryTimeout{8000};

std::string slugParam(ApiCall& call) {
  const std::string& slug = call.params.at("slug");
  if (!InboxRules::isValidSlug(slug)) throw ApiError::notFound("no such thread");
  return slug;
}

std::int64_t messageIdParam(ApiCall& call) {
  const std::string& text = call.params.at("id");
  std::int64_t id = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (error != std::errc() || end != text.data() + text.size() || id <= 0) throw ApiError::notFound("no such message");
  return id;
}

void threadChanged(ApiCall& call, std::int64_t userId, const std::string& slug) {
  publishInboxChange(call.context, userId, InboxEvents::message, {{"slug", slug}});
}

net::awaitable<HttpResponse> listThreads(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const auto scope = call.request.queryParam("scope");
  const bool includeEnded = scope && *scope == "all";
  nlohmann::json threads = nlohmann::json::array();
  for (const auto& thread : call.context.store.listThreads(account.user.id, includeEnded)) threads.push_back(thread.toJson());
  co_return HttpResponse::json(200, threads);
}

net::awaitable<HttpResponse> listMessages(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const std::string slug = slugParam(call);
  const int limit = static_cast<int>(
      queryInteger(call.request, "limit", 1, InboxRules::kMaxPageSize).value_or(InboxRules::kDefaultPageSize));
  const auto before = queryInteger(call.request, "before", 1, INT64_MAX);
  const auto messages = call.context.store.listMessages(account.user.id, slug, before, limit);
  if (!messages) throw ApiError::notFound("no such thread");
  nlohmann::json list = nlohmann::json::array();
  for (const InboxMessage& message : *messages) list.push_back(message.toJson());
  co_return HttpResponse::json(200, list);
}

net::awaitable<HttpResponse> markRead(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const std::string slug = slugParam(call);
  const JsonBody body = JsonBody::parse(call.request.body.empty() ? "{}" : call.request.body);
  std::optional<std::int64_t> upTo;
  if (const auto found = body.json().find("upToId"); found != body.json().end() && !found->is_null()) {
    if (!found->is_number() || found->get<double>() < 0 || found->get<double>() > 9.0e15) {
      throw ApiError::invalidField("'upToId' must be a message id");
    }
    upTo = static_cast<std::int64_t>(found->get<double>());
  }
  if (!call.context.store.markThreadRead(account.user.id, slug, upTo)) throw ApiError::notFound("no such thread");
  threadChanged(call, account.user.id, slug);
  co_return HttpResponse::json(200, {{"ok", true}});
}

// Types the user's reply into the agent's pane; false when it did not get there.
net::awaitable<bool> deliverReply(ApiCall& call, const ThreadPane& pane, const std::string& text) {
  if (!pane.daemonId || !pane.paneId) co_return false;
  LinkAnswer answer;
  try {
    nlohmann::json args = {{"paneId", *pane.paneId}, {"text", text}};
    auto asking = call.context.links.request(*pane.daemonId, "send", std::move(args), kReplyDeliveryTimeout);
    answer = co_await std::move(asking);
  } catch (const DaemonUnreachable&) {
    co_return false;
  }
  co_return answer.ok && answer.data.is_object() && answer.data.value("ok", false);
}

net::awaitable<HttpResponse> reply(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const std::string slug = slugParam(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  const std::string text = body.requireString("text");
  if (text.empty() || text.size() > InboxRules::kMaxTextLength) {
    throw ApiError::invalidField("'text' must have 1 to 65536 characters");
  }
  const auto pane = call.context.store.findThreadPane(account.user.id, slug);
  if (!pane) throw ApiError::notFound("no such thread");
  InboxMessage message;
  message.body = text;
  message.direction = std::string(inbox::MessageDirection::out);
  message.answer = inbox::InboxAnswer{"pending", {}};
  auto stored = call.context.store.addMessageToThread(account.user.id, slug, message);
  if (!stored) throw ApiError::notFound("no such thread");
  auto delivering = deliverReply(call, *pane, text);
  const bool delivered = co_await std::move(delivering);
  const std::string state = delivered ? "working" : "notDelivered";
  auto updated = call.context.store.updateMessage(account.user.id, slug, static_cast<std::int64_t>(stored->id),
                                                  [&](InboxMessage& m) {
                                                    m.answer = inbox::InboxAnswer{state, {}};
                                                    return true;
                                                  });
  threadChanged(call, account.user.id, slug);
  co_return HttpResponse::json(200, {{"message", updated.value_or(*stored).toJson()}});
}

net::awaitable<HttpResponse> answerDecision(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const std::string slug = slugParam(call);
  const std::int64_t id = messageIdParam(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  const std::string k = body.requireString("k");
  auto device = body.optionalString("device");
  if (device && device->size() > 100) throw ApiError::invalidField("'device' must have at most 100 characters");
  auto verdict = InboxRules::AnswerVerdict::notADecision;
  const std::int64_t now = call.context.nowMs();
  const auto message = call.context.store.updateMessage(account.user.id, slug, id, [&](InboxMessage& m) {
    verdict = InboxRules::answerDecision(m, k, device, now);
    return verdict == InboxRules::AnswerVerdict::accepted;
  });
  if (!message) throw ApiError::notFound("no such message in this thread");
  using Verdict = InboxRules::AnswerVerdict;
  switch (verdict) {
    case Verdict::accepted: break;
    case Verdict::notADecision:
      throw ApiError(400, "decision_not_open", "this message is not open for a decision").withReason("decision_not_open");
    case Verdict::unknownOption:
      throw ApiError::invalidField(fmt::format("'{}' is not one of this decision's options", k));
    case Verdict::alreadyDecided:
      throw ApiError(409, "decision_already_decided", "this decision was already answered")
          .withReason("decision_already_decided")
          .with("decision", message->decision()->toJson());
    case Verdict::withdrawn:
      throw ApiError(409, "decision_withdrawn", "the agent withdrew this decision").withReason("decision_withdrawn");
    case Verdict::expired:
      throw ApiError(409, "decision_expired", "this decision's deadline has passed").withReason("decision_expired");
  }
  threadChanged(call, account.user.id, slug);
  co_return HttpResponse::json(200, {{"message", message->toJson()}});
}

net::awaitable<HttpResponse> deleteThread(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const std::string slug = slugParam(call);
  if (!call.context.store.deleteThread(account.user.id, slug)) throw ApiError::notFound("no such thread");
  threadChanged(call, account.user.id, slug);
  co_return HttpResponse::json(200, {{"ok", true}});
}

// The change stream of one account: a comment line at once (so the client knows it is
// connected), an event for every change, a heartbeat comment when it is quiet.
class InboxChangeStream final : public ResponseStream {
 public:
  InboxChangeStream(std::shared_ptr<InboxSubscription> subscription, std::chrono::milliseconds heartbeat)
      : m_subscription(std::move(subscription)), m_heartbeat(heartbeat) {}

  net::awaitable<std::optional<std::string>> next() override {
    if (!m_greeted) {
      m_greeted = true;
      co_return std::string("retry: 2000\n: connected\n\n");
    }
    auto waiting = m_subscription->next(m_heartbeat);
    std::optional<InboxEvent> event = co_await std::move(waiting);
    if (m_subscription->stopped()) co_return std::nullopt;
    if (event) co_return event->serverSent();
    co_return std::string(": heartbeat\n\n");
  }

  void stop() override { m_subscription->stop(); }

 private:
  std::shared_ptr<InboxSubscription> m_subscription;
  std::chrono::milliseconds m_heartbeat;
  bool m_greeted = false;
};

net::awaitable<HttpResponse> inboxStream(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  HttpResponse response;
  response.contentType = "text/event-stream";
  response.headers.emplace_back("cache-control", "no-cache");
  response.headers.emplace_back("x-accel-buffering", "no");
  response.stream = std::make_shared<InboxChangeStream>(call.context.inboxHub.subscribe(account.user.id),
                                                        std::chrono::milliseconds(call.context.config.inboxHeartbeatMs));
  co_return response;
}

net::awaitable<HttpResponse> listNotifications(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  nlohmann::json list = nlohmann::json::array();
  for (const auto& notification : call.context.store.listNotifications(account.user.id, 200)) {
    list.push_back(notification.toJson());
  }
  co_return HttpResponse::json(200, {{"notifications", list}});
}

net::awaitable<HttpResponse> markNotificationsRead(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const JsonBody body = JsonBody::parse(call.request.body);
  if (body.optionalBool("all").value_or(false)) {
    call.context.store.markAllNotificationsRead(account.user.id);
  } else {
    const std::string id = body.requireString("id");
    if (!call.context.store.markNotificationRead(account.user.id, id)) throw ApiError::notFound("no such notification");
  }
  publishInboxChange(call.context, account.user.id, InboxEvents::notification, {{"read", true}});
  co_return HttpResponse::json(200, {{"ok", true}});
}

// A file name for a header: no quotes, line breaks or other control characters.
std::string headerSafeName(const std::string& name) {
  std::string safe;
  for (const char c : name) safe += (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\' || c == 0x7f) ? '_' : c;
  return safe.empty() ? "file" : safe;
}

net::awaitable<HttpResponse> downloadFile(ApiCall call) {
  const AuthenticatedAccount account = requireAccount(call);
  const std::string& token = call.params.at("token");
  if (token.empty() || token.size() > 128) throw ApiError::notFound("no such file");
  const auto file = call.context.store.findFile(Secrets::sha256Hex(token));
  if (!file || file->userId != account.user.id) throw ApiError::notFound("no such file");
  if (call.context.nowMs() >= file->expiresAtMs) {
    throw ApiError(410, "file_expired", "This file has expired (files are kept 7 days).").withReason("file_expired");
  }
  HttpResponse response;
  response.contentType = file->mimeType;
  response.body = file->bytes;
  response.headers.emplace_back("content-disposition", fmt::format("attachment; filename=\"{}\"", headerSafeName(file->filename)));
  response.headers.emplace_back("cache-control", "private, no-store");
  co_return response;
}

}  // namespace

void addInboxRoutes(ApiRouter& router) {
  router.add("GET", "/api/inbox/threads", {listThreads});
  router.add("GET", "/api/inbox/threads/{slug}/messages", {listMessages});
  router.add("POST", "/api/inbox/threads/{slug}/read", {markRead});
  router.add("POST", "/api/inbox/threads/{slug}/reply", {reply});
  router.add("POST", "/api/inbox/threads/{slug}/messages/{id}/decision", {answerDecision});
  router.add("DELETE", "/api/inbox/threads/{slug}", {deleteThread});
  router.add("GET", "/api/inbox/stream", {inboxStream});
  router.add("GET", "/api/notifications", {listNotifications});
  router.add("POST", "/api/notifications/read", {markNotificationsRead});
  router.add("GET", "/api/files/{token}", {downloadFile});
}

}  // namespace vesket::relay_service
